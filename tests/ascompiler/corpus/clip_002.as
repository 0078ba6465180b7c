ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("bar.flv");

function barShow(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

bar_mc.onRelease = function () {
    this._parent.barSelected = this._name;
    this._parent.update();
};
bar_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

function barOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

with (bar_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
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
