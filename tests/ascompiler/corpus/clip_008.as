#include "include/bar_lib.as"

function introShow(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

introSettings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
introList = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

counter += 1;
counter -= 2;
counter *= 3;
counter /= 4;
counter %= 5;
bits <<= 1;
bits >>= 1;
bits >>>= 1;
bits &= 0xF0;
bits |= 0x01;
bits ^= 0x10;
++counter;
--counter;
counter--;

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("intro.swf", "_root.holder_mc");
loadVariables("intro.txt", this);

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
