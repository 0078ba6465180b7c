function player41Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * player41Factorial(n - 1);
}
result = player41Factorial(6);

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("player41_0", "player41_" + i, i + 100);
    this["player41_" + i]._x = i * 24;
    this["player41_" + i]._y += 3;
}

function player41Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

function player41Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
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
