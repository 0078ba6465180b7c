loader26Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
loader26List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

with (loader26_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

stop();
loader26_mc._visible = false;
_root.loader26Loaded = 0;

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("loader26.swf", "_root.holder_mc");
loadVariables("loader26.txt", this);

loader26Listener = new Object();
loader26Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(loader26Listener);

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
