var volume91Sound = new Sound(this);
volume91Sound.attachSound("volume91_loop");
volume91Sound.setVolume(80);
volume91Sound.start(0, 99);
volume91Sound.onSoundComplete = function () {
    this.start();
};

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

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

volume91Listener = new Object();
volume91Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(volume91Listener);

function volume91Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

on (release) {
    _root.volume91_mc.gotoAndStop(2);
    getURL("http://example.com/volume91.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
