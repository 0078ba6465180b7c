#include "include/video_lib.as"

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("gallery76.flv");

for (key in gallery76Settings) {
    trace(key + " = " + gallery76Settings[key]);
}

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("gallery76_0", "gallery76_" + i, i + 100);
    this["gallery76_" + i]._x = i * 24;
    this["gallery76_" + i]._y += 3;
}

stop();
gallery76_mc._visible = false;
_root.gallery76Loaded = 0;

gallery76Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
gallery76List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

on (release) {
    _root.gallery76_mc.gotoAndStop(2);
    getURL("http://example.com/gallery76.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
