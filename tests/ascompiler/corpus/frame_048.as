#include "include/clip_lib.as"

Intro48Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Intro48Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Intro48Item.prototype.count = 0;

var totalIntro48 = _root.getBytesTotal();
var loadedIntro48 = _root.getBytesLoaded();
if (loadedIntro48 >= totalIntro48) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedIntro48 / totalIntro48 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

#define DEBUG_INTRO48
#ifdef DEBUG_INTRO48
trace("debugging intro48");
#else
trace("release intro48");
#endif
#ifndef NO_INTRO48
intro48Enabled = true;
#endif

for (key in intro48Settings) {
    trace(key + " = " + intro48Settings[key]);
}

function intro48Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}
