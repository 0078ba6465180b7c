Banner55Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Banner55Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Banner55Item.prototype.count = 0;

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

function banner55Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

with (banner55_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

on (release) {
    _root.banner55_mc.gotoAndStop(2);
    getURL("http://example.com/banner55.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
