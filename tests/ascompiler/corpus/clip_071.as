var volume71Sound = new Sound(this);
volume71Sound.attachSound("volume71_loop");
volume71Sound.setVolume(80);
volume71Sound.start(0, 99);
volume71Sound.onSoundComplete = function () {
    this.start();
};

if (typeof(volume71Data) == "undefined") {
    volume71Data = new Array();
}
delete volume71Data.old;
isClip = volume71_mc instanceof MovieClip;

with (volume71_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

var totalVolume71 = _root.getBytesTotal();
var loadedVolume71 = _root.getBytesLoaded();
if (loadedVolume71 >= totalVolume71) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedVolume71 / totalVolume71 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

for (key in volume71Settings) {
    trace(key + " = " + volume71Settings[key]);
}

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
