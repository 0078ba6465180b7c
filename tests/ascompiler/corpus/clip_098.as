text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\caption98.flv";

for (key in caption98Settings) {
    trace(key + " = " + caption98Settings[key]);
}

function caption98Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * caption98Factorial(n - 1);
}
result = caption98Factorial(6);

var totalCaption98 = _root.getBytesTotal();
var loadedCaption98 = _root.getBytesLoaded();
if (loadedCaption98 >= totalCaption98) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedCaption98 / totalCaption98 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
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
