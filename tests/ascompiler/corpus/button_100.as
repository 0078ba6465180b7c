#include "include/video_lib.as"

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

var clip100Sound = new Sound(this);
clip100Sound.attachSound("clip100_loop");
clip100Sound.setVolume(80);
clip100Sound.start(0, 99);
clip100Sound.onSoundComplete = function () {
    this.start();
};

clip100Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
clip100List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

if (typeof(clip100Data) == "undefined") {
    clip100Data = new Array();
}
delete clip100Data.old;
isClip = clip100_mc instanceof MovieClip;

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\clip100.flv";

on (release) {
    _root.clip100_mc.gotoAndStop(2);
    getURL("http://example.com/clip100.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
