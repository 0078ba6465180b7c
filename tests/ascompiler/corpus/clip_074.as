var totalTicker74 = _root.getBytesTotal();
var loadedTicker74 = _root.getBytesLoaded();
if (loadedTicker74 >= totalTicker74) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedTicker74 / totalTicker74 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

ticker74Listener = new Object();
ticker74Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(ticker74Listener);

stop();
ticker74_mc._visible = false;
_root.ticker74Loaded = 0;

ticker74_mc.onRelease = function () {
    this._parent.ticker74Selected = this._name;
    this._parent.update();
};
ticker74_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

with (ticker74_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
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
