SliderItem = function (label, value) {
    this.label = label;
    this.value = value;
};
SliderItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
SliderItem.prototype.count = 0;

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("slider.swf", "_root.holder_mc");
loadVariables("slider.txt", this);

#define DEBUG_SLIDER
#ifdef DEBUG_SLIDER
trace("debugging slider");
#else
trace("release slider");
#endif
#ifndef NO_SLIDER
sliderEnabled = true;
#endif

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

for (key in sliderSettings) {
    trace(key + " = " + sliderSettings[key]);
}

on (release) {
    _root.slider_mc.gotoAndStop(2);
    getURL("http://example.com/slider.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
