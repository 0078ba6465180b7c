caption58Listener = new Object();
caption58Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(caption58Listener);

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("caption58.swf", "_root.holder_mc");
loadVariables("caption58.txt", this);

function caption58Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

stop();
caption58_mc._visible = false;
_root.caption58Loaded = 0;

#define DEBUG_CAPTION58
#ifdef DEBUG_CAPTION58
trace("debugging caption58");
#else
trace("release caption58");
#endif
#ifndef NO_CAPTION58
caption58Enabled = true;
#endif

on (release) {
    _root.caption58_mc.gotoAndStop(2);
    getURL("http://example.com/caption58.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
