#include "include/clip_lib.as"

video24Listener = new Object();
video24Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(video24Listener);

video24Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
video24List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

var totalVideo24 = _root.getBytesTotal();
var loadedVideo24 = _root.getBytesLoaded();
if (loadedVideo24 >= totalVideo24) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedVideo24 / totalVideo24 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

#define DEBUG_VIDEO24
#ifdef DEBUG_VIDEO24
trace("debugging video24");
#else
trace("release video24");
#endif
#ifndef NO_VIDEO24
video24Enabled = true;
#endif

if (typeof(video24Data) == "undefined") {
    video24Data = new Array();
}
delete video24Data.old;
isClip = video24_mc instanceof MovieClip;
