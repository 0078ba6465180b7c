#include "include/video_lib.as"

function video64Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

function video64Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

video64_mc.onRelease = function () {
    this._parent.video64Selected = this._name;
    this._parent.update();
};
video64_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

if (typeof(video64Data) == "undefined") {
    video64Data = new Array();
}
delete video64Data.old;
isClip = video64_mc instanceof MovieClip;

on (release) {
    _root.video64_mc.gotoAndStop(2);
    getURL("http://example.com/video64.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
