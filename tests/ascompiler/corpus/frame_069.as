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

Logo69Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Logo69Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Logo69Item.prototype.count = 0;

// logo69 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

var logo69Sound = new Sound(this);
logo69Sound.attachSound("logo69_loop");
logo69Sound.setVolume(80);
logo69Sound.start(0, 99);
logo69Sound.onSoundComplete = function () {
    this.start();
};
