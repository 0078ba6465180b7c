ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("menu67.flv");

function menu67Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

#define DEBUG_MENU67
#ifdef DEBUG_MENU67
trace("debugging menu67");
#else
trace("release menu67");
#endif
#ifndef NO_MENU67
menu67Enabled = true;
#endif

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\menu67.flv";

on (release) {
    _root.menu67_mc.gotoAndStop(2);
    getURL("http://example.com/menu67.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
