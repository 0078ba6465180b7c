VolumeItem = function (label, value) {
    this.label = label;
    this.value = value;
};
VolumeItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
VolumeItem.prototype.count = 0;

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("volume.flv");

var volumeSound = new Sound(this);
volumeSound.attachSound("volume_loop");
volumeSound.setVolume(80);
volumeSound.start(0, 99);
volumeSound.onSoundComplete = function () {
    this.start();
};

volumeListener = new Object();
volumeListener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(volumeListener);

volume_mc.onRelease = function () {
    this._parent.volumeSelected = this._name;
    this._parent.update();
};
volume_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
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
