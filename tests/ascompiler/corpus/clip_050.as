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
loadMovie("slider50.swf", "_root.holder_mc");
loadVariables("slider50.txt", this);

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("slider50_0", "slider50_" + i, i + 100);
    this["slider50_" + i]._x = i * 24;
    this["slider50_" + i]._y += 3;
}

stop();
slider50_mc._visible = false;
_root.slider50Loaded = 0;

function slider50Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
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
