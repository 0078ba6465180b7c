Photo37Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Photo37Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Photo37Item.prototype.count = 0;

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("photo37_0", "photo37_" + i, i + 100);
    this["photo37_" + i]._x = i * 24;
    this["photo37_" + i]._y += 3;
}

photo37Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
photo37List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

var totalPhoto37 = _root.getBytesTotal();
var loadedPhoto37 = _root.getBytesLoaded();
if (loadedPhoto37 >= totalPhoto37) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedPhoto37 / totalPhoto37 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\photo37.flv";

on (release) {
    _root.photo37_mc.gotoAndStop(2);
    getURL("http://example.com/photo37.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
