var bar62Sound = new Sound(this);
bar62Sound.attachSound("bar62_loop");
bar62Sound.setVolume(80);
bar62Sound.start(0, 99);
bar62Sound.onSoundComplete = function () {
    this.start();
};

counter += 1;
counter -= 2;
counter *= 3;
counter /= 4;
counter %= 5;
bits <<= 1;
bits >>= 1;
bits >>>= 1;
bits &= 0xF0;
bits |= 0x01;
bits ^= 0x10;
++counter;
--counter;
counter--;

bar62Listener = new Object();
bar62Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(bar62Listener);

Bar62Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Bar62Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Bar62Item.prototype.count = 0;

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
