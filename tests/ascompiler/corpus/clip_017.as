if (typeof(photoData) == "undefined") {
    photoData = new Array();
}
delete photoData.old;
isClip = photo_mc instanceof MovieClip;

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

function photoOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

with (photo_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

var photoSound = new Sound(this);
photoSound.attachSound("photo_loop");
photoSound.setVolume(80);
photoSound.start(0, 99);
photoSound.onSoundComplete = function () {
    this.start();
};

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
