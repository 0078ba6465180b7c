for (key in thumb103Settings) {
    trace(key + " = " + thumb103Settings[key]);
}

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\thumb103.flv";

#define DEBUG_THUMB103
#ifdef DEBUG_THUMB103
trace("debugging thumb103");
#else
trace("release thumb103");
#endif
#ifndef NO_THUMB103
thumb103Enabled = true;
#endif

Thumb103Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Thumb103Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Thumb103Item.prototype.count = 0;

on (release) {
    _root.thumb103_mc.gotoAndStop(2);
    getURL("http://example.com/thumb103.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
