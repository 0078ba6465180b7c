loader_mc.onRelease = function () {
    this._parent.loaderSelected = this._name;
    this._parent.update();
};
loader_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

for (key in loaderSettings) {
    trace(key + " = " + loaderSettings[key]);
}

stop();
loader_mc._visible = false;
_root.loaderLoaded = 0;

#define DEBUG_LOADER
#ifdef DEBUG_LOADER
trace("debugging loader");
#else
trace("release loader");
#endif
#ifndef NO_LOADER
loaderEnabled = true;
#endif
