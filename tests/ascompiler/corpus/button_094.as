text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\ticker94.flv";

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

Ticker94Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Ticker94Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Ticker94Item.prototype.count = 0;

#define DEBUG_TICKER94
#ifdef DEBUG_TICKER94
trace("debugging ticker94");
#else
trace("release ticker94");
#endif
#ifndef NO_TICKER94
ticker94Enabled = true;
#endif

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

on (release) {
    _root.ticker94_mc.gotoAndStop(2);
    getURL("http://example.com/ticker94.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
