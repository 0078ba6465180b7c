#include "include/bar_lib.as"

#define DEBUG_CLIP80
#ifdef DEBUG_CLIP80
trace("debugging clip80");
#else
trace("release clip80");
#endif
#ifndef NO_CLIP80
clip80Enabled = true;
#endif

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

clip80Listener = new Object();
clip80Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(clip80Listener);

function clip80Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * clip80Factorial(n - 1);
}
result = clip80Factorial(6);

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
