if (typeof(photo97Data) == "undefined") {
    photo97Data = new Array();
}
delete photo97Data.old;
isClip = photo97_mc instanceof MovieClip;

Photo97Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Photo97Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Photo97Item.prototype.count = 0;

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

photo97Listener = new Object();
photo97Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(photo97Listener);

on (release) {
    _root.photo97_mc.gotoAndStop(2);
    getURL("http://example.com/photo97.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
