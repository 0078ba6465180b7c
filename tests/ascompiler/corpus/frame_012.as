#include "include/clip_lib.as"

buttonSettings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
buttonList = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

function buttonOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

// button timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

var buttonSound = new Sound(this);
buttonSound.attachSound("button_loop");
buttonSound.setVolume(80);
buttonSound.start(0, 99);
buttonSound.onSoundComplete = function () {
    this.start();
};
