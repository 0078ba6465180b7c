panel33Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
panel33List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

var panel33Sound = new Sound(this);
panel33Sound.attachSound("panel33_loop");
panel33Sound.setVolume(80);
panel33Sound.start(0, 99);
panel33Sound.onSoundComplete = function () {
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
