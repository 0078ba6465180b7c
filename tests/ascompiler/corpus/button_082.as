for (key in bar82Settings) {
    trace(key + " = " + bar82Settings[key]);
}

with (bar82_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

bar82Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
bar82List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

Bar82Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Bar82Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Bar82Item.prototype.count = 0;

bar82Listener = new Object();
bar82Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(bar82Listener);

on (release) {
    _root.bar82_mc.gotoAndStop(2);
    getURL("http://example.com/bar82.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
