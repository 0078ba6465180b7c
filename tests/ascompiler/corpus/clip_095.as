var totalBanner95 = _root.getBytesTotal();
var loadedBanner95 = _root.getBytesLoaded();
if (loadedBanner95 >= totalBanner95) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedBanner95 / totalBanner95 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

if (typeof(banner95Data) == "undefined") {
    banner95Data = new Array();
}
delete banner95Data.old;
isClip = banner95_mc instanceof MovieClip;

function banner95Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

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
banner95_mc._visible = false;
_root.banner95Loaded = 0;

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
