fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("thumb23.swf", "_root.holder_mc");
loadVariables("thumb23.txt", this);

flags = (a & 0xFF) | (b << 8) ^ ~c;
shifted = x >> 2;
unsigned = y >>> 1;
mixed = (p != q) && !(r == s) || t <= u && v >= w;
ratio = total % 7 - -offset + +bias;
state = ready ? (paused ? "paused" : "playing") : "loading";
var first = 1, second = first + 1, third;

var thumb23Sound = new Sound(this);
thumb23Sound.attachSound("thumb23_loop");
thumb23Sound.setVolume(80);
thumb23Sound.start(0, 99);
thumb23Sound.onSoundComplete = function () {
    this.start();
};

with (thumb23_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

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
