function logoOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

// logo timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

LogoItem = function (label, value) {
    this.label = label;
    this.value = value;
};
LogoItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
LogoItem.prototype.count = 0;

#define DEBUG_LOGO
#ifdef DEBUG_LOGO
trace("debugging logo");
#else
trace("release logo");
#endif
#ifndef NO_LOGO
logoEnabled = true;
#endif

logo_mc.onRelease = function () {
    this._parent.logoSelected = this._name;
    this._parent.update();
};
logo_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};
