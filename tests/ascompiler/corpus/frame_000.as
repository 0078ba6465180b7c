#include "include/clip_lib.as"

ClipItem = function (label, value) {
    this.label = label;
    this.value = value;
};
ClipItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
ClipItem.prototype.count = 0;

// clip timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\clip.flv";

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

#define DEBUG_CLIP
#ifdef DEBUG_CLIP
trace("debugging clip");
#else
trace("release clip");
#endif
#ifndef NO_CLIP
clipEnabled = true;
#endif
