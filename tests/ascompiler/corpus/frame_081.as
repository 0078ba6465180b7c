Player81Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Player81Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Player81Item.prototype.count = 0;

stop();
player81_mc._visible = false;
_root.player81Loaded = 0;

var totalPlayer81 = _root.getBytesTotal();
var loadedPlayer81 = _root.getBytesLoaded();
if (loadedPlayer81 >= totalPlayer81) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedPlayer81 / totalPlayer81 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

with (player81_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}
