function loader46Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

var totalLoader46 = _root.getBytesTotal();
var loadedLoader46 = _root.getBytesLoaded();
if (loadedLoader46 >= totalLoader46) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedLoader46 / totalLoader46 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

loader46_mc.onRelease = function () {
    this._parent.loader46Selected = this._name;
    this._parent.update();
};
loader46_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

#define DEBUG_LOADER46
#ifdef DEBUG_LOADER46
trace("debugging loader46");
#else
trace("release loader46");
#endif
#ifndef NO_LOADER46
loader46Enabled = true;
#endif

on (release) {
    _root.loader46_mc.gotoAndStop(2);
    getURL("http://example.com/loader46.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
