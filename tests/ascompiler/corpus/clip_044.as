#include "include/bar_lib.as"

video44_mc.onRelease = function () {
    this._parent.video44Selected = this._name;
    this._parent.update();
};
video44_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

if (typeof(video44Data) == "undefined") {
    video44Data = new Array();
}
delete video44Data.old;
isClip = video44_mc instanceof MovieClip;

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\video44.flv";

var totalVideo44 = _root.getBytesTotal();
var loadedVideo44 = _root.getBytesLoaded();
if (loadedVideo44 >= totalVideo44) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedVideo44 / totalVideo44 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("video44.swf", "_root.holder_mc");
loadVariables("video44.txt", this);

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
