var banner75Sound = new Sound(this);
banner75Sound.attachSound("banner75_loop");
banner75Sound.setVolume(80);
banner75Sound.start(0, 99);
banner75Sound.onSoundComplete = function () {
    this.start();
};

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

#define DEBUG_BANNER75
#ifdef DEBUG_BANNER75
trace("debugging banner75");
#else
trace("release banner75");
#endif
#ifndef NO_BANNER75
banner75Enabled = true;
#endif

with (banner75_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

banner75_mc.onRelease = function () {
    this._parent.banner75Selected = this._name;
    this._parent.update();
};
banner75_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};
