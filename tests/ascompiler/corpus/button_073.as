var panel73Sound = new Sound(this);
panel73Sound.attachSound("panel73_loop");
panel73Sound.setVolume(80);
panel73Sound.start(0, 99);
panel73Sound.onSoundComplete = function () {
    this.start();
};

with (panel73_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

if (typeof(panel73Data) == "undefined") {
    panel73Data = new Array();
}
delete panel73Data.old;
isClip = panel73_mc instanceof MovieClip;

var totalPanel73 = _root.getBytesTotal();
var loadedPanel73 = _root.getBytesLoaded();
if (loadedPanel73 >= totalPanel73) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedPanel73 / totalPanel73 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("panel73_0", "panel73_" + i, i + 100);
    this["panel73_" + i]._x = i * 24;
    this["panel73_" + i]._y += 3;
}

on (release) {
    _root.panel73_mc.gotoAndStop(2);
    getURL("http://example.com/panel73.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
