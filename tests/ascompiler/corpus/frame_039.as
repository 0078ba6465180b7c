for (var i = 0; i < 10; i++) {
    duplicateMovieClip("timer39_0", "timer39_" + i, i + 100);
    this["timer39_" + i]._x = i * 24;
    this["timer39_" + i]._y += 3;
}

if (typeof(timer39Data) == "undefined") {
    timer39Data = new Array();
}
delete timer39Data.old;
isClip = timer39_mc instanceof MovieClip;

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

var totalTimer39 = _root.getBytesTotal();
var loadedTimer39 = _root.getBytesLoaded();
if (loadedTimer39 >= totalTimer39) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedTimer39 / totalTimer39 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

Timer39Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Timer39Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Timer39Item.prototype.count = 0;
