function logo89Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("logo89.flv");

if (typeof(logo89Data) == "undefined") {
    logo89Data = new Array();
}
delete logo89Data.old;
isClip = logo89_mc instanceof MovieClip;

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("logo89.swf", "_root.holder_mc");
loadVariables("logo89.txt", this);

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
