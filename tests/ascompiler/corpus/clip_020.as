#include "include/bar_lib.as"

var clip20Sound = new Sound(this);
clip20Sound.attachSound("clip20_loop");
clip20Sound.setVolume(80);
clip20Sound.start(0, 99);
clip20Sound.onSoundComplete = function () {
    this.start();
};

function clip20Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("clip20.swf", "_root.holder_mc");
loadVariables("clip20.txt", this);

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("clip20_0", "clip20_" + i, i + 100);
    this["clip20_" + i]._x = i * 24;
    this["clip20_" + i]._y += 3;
}

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\clip20.flv";

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
