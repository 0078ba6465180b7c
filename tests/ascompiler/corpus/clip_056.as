#include "include/bar_lib.as"

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("gallery56.flv");

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

stop();
gallery56_mc._visible = false;
_root.gallery56Loaded = 0;

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("gallery56_0", "gallery56_" + i, i + 100);
    this["gallery56_" + i]._x = i * 24;
    this["gallery56_" + i]._y += 3;
}

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
