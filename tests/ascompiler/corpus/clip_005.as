#define DEBUG_SOUND
#ifdef DEBUG_SOUND
trace("debugging sound");
#else
trace("release sound");
#endif
#ifndef NO_SOUND
soundEnabled = true;
#endif

soundListener = new Object();
soundListener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(soundListener);

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("sound_0", "sound_" + i, i + 100);
    this["sound_" + i]._x = i * 24;
    this["sound_" + i]._y += 3;
}

for (key in soundSettings) {
    trace(key + " = " + soundSettings[key]);
}

if (typeof(soundData) == "undefined") {
    soundData = new Array();
}
delete soundData.old;
isClip = sound_mc instanceof MovieClip;

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
