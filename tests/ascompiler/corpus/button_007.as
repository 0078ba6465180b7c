function menuShow(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

MenuItem = function (label, value) {
    this.label = label;
    this.value = value;
};
MenuItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
MenuItem.prototype.count = 0;

// menu timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

stop();
menu_mc._visible = false;
_root.menuLoaded = 0;

on (release) {
    _root.menu_mc.gotoAndStop(2);
    getURL("http://example.com/menu.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
