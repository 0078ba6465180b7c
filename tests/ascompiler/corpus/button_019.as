var timerSound = new Sound(this);
timerSound.attachSound("timer_loop");
timerSound.setVolume(80);
timerSound.start(0, 99);
timerSound.onSoundComplete = function () {
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

function timerOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

// timer timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

on (release) {
    _root.timer_mc.gotoAndStop(2);
    getURL("http://example.com/timer.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
