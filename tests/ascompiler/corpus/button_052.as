#include "include/video_lib.as"

with (button52_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

function button52Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

button52_mc.onRelease = function () {
    this._parent.button52Selected = this._name;
    this._parent.update();
};
button52_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

on (release) {
    _root.button52_mc.gotoAndStop(2);
    getURL("http://example.com/button52.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
