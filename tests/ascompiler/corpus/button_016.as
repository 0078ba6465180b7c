#include "include/video_lib.as"

function galleryShow(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

function galleryFactorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * galleryFactorial(n - 1);
}
result = galleryFactorial(6);

var gallerySound = new Sound(this);
gallerySound.attachSound("gallery_loop");
gallerySound.setVolume(80);
gallerySound.start(0, 99);
gallerySound.onSoundComplete = function () {
    this.start();
};

gallery_mc.onRelease = function () {
    this._parent.gallerySelected = this._name;
    this._parent.update();
};
gallery_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

for (key in gallerySettings) {
    trace(key + " = " + gallerySettings[key]);
}

on (release) {
    _root.gallery_mc.gotoAndStop(2);
    getURL("http://example.com/gallery.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
