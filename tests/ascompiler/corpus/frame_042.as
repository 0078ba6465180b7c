for (var i = 0; i < 10; i++) {
    duplicateMovieClip("bar42_0", "bar42_" + i, i + 100);
    this["bar42_" + i]._x = i * 24;
    this["bar42_" + i]._y += 3;
}

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("bar42.flv");

for (key in bar42Settings) {
    trace(key + " = " + bar42Settings[key]);
}

stop();
bar42_mc._visible = false;
_root.bar42Loaded = 0;

bar42_mc.onRelease = function () {
    this._parent.bar42Selected = this._name;
    this._parent.update();
};
bar42_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};
