photo77Listener = new Object();
photo77Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(photo77Listener);

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

function photo77Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("photo77_0", "photo77_" + i, i + 100);
    this["photo77_" + i]._x = i * 24;
    this["photo77_" + i]._y += 3;
}

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("photo77.swf", "_root.holder_mc");
loadVariables("photo77.txt", this);

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
