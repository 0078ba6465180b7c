// banner35 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

var totalBanner35 = _root.getBytesTotal();
var loadedBanner35 = _root.getBytesLoaded();
if (loadedBanner35 >= totalBanner35) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedBanner35 / totalBanner35 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

#define DEBUG_BANNER35
#ifdef DEBUG_BANNER35
trace("debugging banner35");
#else
trace("release banner35");
#endif
#ifndef NO_BANNER35
banner35Enabled = true;
#endif

function banner35Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * banner35Factorial(n - 1);
}
result = banner35Factorial(6);

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
