#include "include/bar_lib.as"

#define DEBUG_BUTTON92
#ifdef DEBUG_BUTTON92
trace("debugging button92");
#else
trace("release button92");
#endif
#ifndef NO_BUTTON92
button92Enabled = true;
#endif

button92_mc.onRelease = function () {
    this._parent.button92Selected = this._name;
    this._parent.update();
};
button92_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

Button92Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Button92Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Button92Item.prototype.count = 0;

button92Listener = new Object();
button92Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(button92Listener);

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
