a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

var totalVolume31 = _root.getBytesTotal();
var loadedVolume31 = _root.getBytesLoaded();
if (loadedVolume31 >= totalVolume31) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedVolume31 / totalVolume31 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

if (typeof(volume31Data) == "undefined") {
    volume31Data = new Array();
}
delete volume31Data.old;
isClip = volume31_mc instanceof MovieClip;

// volume31 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

on (release) {
    _root.volume31_mc.gotoAndStop(2);
    getURL("http://example.com/volume31.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
