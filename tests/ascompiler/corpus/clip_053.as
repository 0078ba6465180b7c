fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("panel53.swf", "_root.holder_mc");
loadVariables("panel53.txt", this);

#define DEBUG_PANEL53
#ifdef DEBUG_PANEL53
trace("debugging panel53");
#else
trace("release panel53");
#endif
#ifndef NO_PANEL53
panel53Enabled = true;
#endif

panel53Listener = new Object();
panel53Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(panel53Listener);

stop();
panel53_mc._visible = false;
_root.panel53Loaded = 0;

if (typeof(panel53Data) == "undefined") {
    panel53Data = new Array();
}
delete panel53Data.old;
isClip = panel53_mc instanceof MovieClip;

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
