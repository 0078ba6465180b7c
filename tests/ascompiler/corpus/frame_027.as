with (menu27_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

menu27Listener = new Object();
menu27Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(menu27Listener);

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

Menu27Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Menu27Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Menu27Item.prototype.count = 0;
