#include "include/video_lib.as"

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\clip40.flv";

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

if (typeof(clip40Data) == "undefined") {
    clip40Data = new Array();
}
delete clip40Data.old;
isClip = clip40_mc instanceof MovieClip;

function clip40Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * clip40Factorial(n - 1);
}
result = clip40Factorial(6);

on (release) {
    _root.clip40_mc.gotoAndStop(2);
    getURL("http://example.com/clip40.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
