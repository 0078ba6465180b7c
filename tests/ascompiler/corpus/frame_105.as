for (var i = 0; i < 10; i++) {
    duplicateMovieClip("sound105_0", "sound105_" + i, i + 100);
    this["sound105_" + i]._x = i * 24;
    this["sound105_" + i]._y += 3;
}

sound105Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
sound105List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

counter += 1;
counter -= 2;
counter *= 3;
counter /= 4;
counter %= 5;
bits <<= 1;
bits >>= 1;
bits >>>= 1;
bits &= 0xF0;
bits |= 0x01;
bits ^= 0x10;
++counter;
--counter;
counter--;

Sound105Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Sound105Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Sound105Item.prototype.count = 0;
