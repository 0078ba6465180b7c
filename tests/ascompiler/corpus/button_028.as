#include "include/video_lib.as"

var totalIntro28 = _root.getBytesTotal();
var loadedIntro28 = _root.getBytesLoaded();
if (loadedIntro28 >= totalIntro28) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedIntro28 / totalIntro28 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("intro28_0", "intro28_" + i, i + 100);
    this["intro28_" + i]._x = i * 24;
    this["intro28_" + i]._y += 3;
}

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

intro28Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
intro28List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

stop();
intro28_mc._visible = false;
_root.intro28Loaded = 0;

on (release) {
    _root.intro28_mc.gotoAndStop(2);
    getURL("http://example.com/intro28.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
