#include "include/video_lib.as"

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

#define DEBUG_VIDEO
#ifdef DEBUG_VIDEO
trace("debugging video");
#else
trace("release video");
#endif
#ifndef NO_VIDEO
videoEnabled = true;
#endif

on (release) {
    _root.video_mc.gotoAndStop(2);
    getURL("http://example.com/video.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
