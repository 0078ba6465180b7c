TickerItem = function (label, value) {
    this.label = label;
    this.value = value;
};
TickerItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
TickerItem.prototype.count = 0;

stop();
ticker_mc._visible = false;
_root.tickerLoaded = 0;

for (key in tickerSettings) {
    trace(key + " = " + tickerSettings[key]);
}

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("ticker.flv");

onClipEvent (load) {
    speed = 4;
    this._x = 0;
}
onClipEvent (enterFrame) {
    this._x += speed;
    if (this._x > Stage.width) {
        this._x = -this._width;
    }
}
onClipEvent (mouseDown) {
    startDrag(this, true);
}
