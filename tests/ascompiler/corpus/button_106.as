stop();
loader106_mc._visible = false;
_root.loader106Loaded = 0;

loader106Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
loader106List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("loader106.flv");

loader106_mc.onRelease = function () {
    this._parent.loader106Selected = this._name;
    this._parent.update();
};
loader106_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

on (release) {
    _root.loader106_mc.gotoAndStop(2);
    getURL("http://example.com/loader106.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
