#include "include/bar_lib.as"

video104Listener = new Object();
video104Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(video104Listener);

#define DEBUG_VIDEO104
#ifdef DEBUG_VIDEO104
trace("debugging video104");
#else
trace("release video104");
#endif
#ifndef NO_VIDEO104
video104Enabled = true;
#endif

var totalVideo104 = _root.getBytesTotal();
var loadedVideo104 = _root.getBytesLoaded();
if (loadedVideo104 >= totalVideo104) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedVideo104 / totalVideo104 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

video104Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
video104List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

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
