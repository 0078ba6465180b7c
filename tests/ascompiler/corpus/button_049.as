stop();
logo49_mc._visible = false;
_root.logo49Loaded = 0;

logo49_mc.onRelease = function () {
    this._parent.logo49Selected = this._name;
    this._parent.update();
};
logo49_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

with (logo49_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

var totalLogo49 = _root.getBytesTotal();
var loadedLogo49 = _root.getBytesLoaded();
if (loadedLogo49 >= totalLogo49) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedLogo49 / totalLogo49 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("logo49_0", "logo49_" + i, i + 100);
    this["logo49_" + i]._x = i * 24;
    this["logo49_" + i]._y += 3;
}

on (release) {
    _root.logo49_mc.gotoAndStop(2);
    getURL("http://example.com/logo49.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
