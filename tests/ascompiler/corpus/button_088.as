#include "include/video_lib.as"

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("intro88_0", "intro88_" + i, i + 100);
    this["intro88_" + i]._x = i * 24;
    this["intro88_" + i]._y += 3;
}

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

#define DEBUG_INTRO88
#ifdef DEBUG_INTRO88
trace("debugging intro88");
#else
trace("release intro88");
#endif
#ifndef NO_INTRO88
intro88Enabled = true;
#endif

var intro88Sound = new Sound(this);
intro88Sound.attachSound("intro88_loop");
intro88Sound.setVolume(80);
intro88Sound.start(0, 99);
intro88Sound.onSoundComplete = function () {
    this.start();
};

Intro88Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Intro88Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Intro88Item.prototype.count = 0;

on (release) {
    _root.intro88_mc.gotoAndStop(2);
    getURL("http://example.com/intro88.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
