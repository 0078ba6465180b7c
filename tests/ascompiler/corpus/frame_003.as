function thumbOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

thumb_mc.onRelease = function () {
    this._parent.thumbSelected = this._name;
    this._parent.update();
};
thumb_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

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

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

ThumbItem = function (label, value) {
    this.label = label;
    this.value = value;
};
ThumbItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
ThumbItem.prototype.count = 0;
