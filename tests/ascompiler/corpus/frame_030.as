// slider30 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

slider30_mc.onRelease = function () {
    this._parent.slider30Selected = this._name;
    this._parent.update();
};
slider30_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
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

with (slider30_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

ns = new NetStream(nc);
ns.setBufferTime(3);
video_mc.attachVideo(ns);
ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
        _root.onMovieEnd();
    }
};
ns.play("slider30.flv");
