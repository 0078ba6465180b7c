with (caption78_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

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

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("caption78.swf", "_root.holder_mc");
loadVariables("caption78.txt", this);

var caption78Sound = new Sound(this);
caption78Sound.attachSound("caption78_loop");
caption78Sound.setVolume(80);
caption78Sound.start(0, 99);
caption78Sound.onSoundComplete = function () {
    this.start();
};
