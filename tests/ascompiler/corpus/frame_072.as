#include "include/clip_lib.as"

// button72 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

#define DEBUG_BUTTON72
#ifdef DEBUG_BUTTON72
trace("debugging button72");
#else
trace("release button72");
#endif
#ifndef NO_BUTTON72
button72Enabled = true;
#endif

function button72Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("button72_0", "button72_" + i, i + 100);
    this["button72_" + i]._x = i * 24;
    this["button72_" + i]._y += 3;
}
