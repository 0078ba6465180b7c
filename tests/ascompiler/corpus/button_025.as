var sound25Sound = new Sound(this);
sound25Sound.attachSound("sound25_loop");
sound25Sound.setVolume(80);
sound25Sound.start(0, 99);
sound25Sound.onSoundComplete = function () {
    this.start();
};

Sound25Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Sound25Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Sound25Item.prototype.count = 0;

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

var totalSound25 = _root.getBytesTotal();
var loadedSound25 = _root.getBytesLoaded();
if (loadedSound25 >= totalSound25) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedSound25 / totalSound25 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

on (release) {
    _root.sound25_mc.gotoAndStop(2);
    getURL("http://example.com/sound25.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
