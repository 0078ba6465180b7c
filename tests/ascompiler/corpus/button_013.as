with (panel_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

panelListener = new Object();
panelListener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(panelListener);

PanelItem = function (label, value) {
    this.label = label;
    this.value = value;
};
PanelItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
PanelItem.prototype.count = 0;

function panelShow(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

on (release) {
    _root.panel_mc.gotoAndStop(2);
    getURL("http://example.com/panel.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
