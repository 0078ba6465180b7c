#define DEBUG_THUMB43
#ifdef DEBUG_THUMB43
trace("debugging thumb43");
#else
trace("release thumb43");
#endif
#ifndef NO_THUMB43
thumb43Enabled = true;
#endif

thumb43_mc.onRelease = function () {
    this._parent.thumb43Selected = this._name;
    this._parent.update();
};
thumb43_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

// thumb43 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

on (release) {
    _root.thumb43_mc.gotoAndStop(2);
    getURL("http://example.com/thumb43.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
