// timer79 timeline helpers
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

for (key in timer79Settings) {
    trace(key + " = " + timer79Settings[key]);
}

if (typeof(timer79Data) == "undefined") {
    timer79Data = new Array();
}
delete timer79Data.old;
isClip = timer79_mc instanceof MovieClip;

on (release) {
    _root.timer79_mc.gotoAndStop(2);
    getURL("http://example.com/timer79.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
