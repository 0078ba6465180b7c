var totalSound65 = _root.getBytesTotal();
var loadedSound65 = _root.getBytesLoaded();
if (loadedSound65 >= totalSound65) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedSound65 / totalSound65 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

stop();
sound65_mc._visible = false;
_root.sound65Loaded = 0;

sound65Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
sound65List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

sound65_mc.onRelease = function () {
    this._parent.sound65Selected = this._name;
    this._parent.update();
};
sound65_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

// sound65 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

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
