logo29Listener = new Object();
logo29Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(logo29Listener);

for (key in logo29Settings) {
    trace(key + " = " + logo29Settings[key]);
}

logo29Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
logo29List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

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
