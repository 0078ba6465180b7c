ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("ticker54.flv");

stop();
ticker54_mc._visible = false;
_root.ticker54Loaded = 0;

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

Ticker54Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Ticker54Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Ticker54Item.prototype.count = 0;
