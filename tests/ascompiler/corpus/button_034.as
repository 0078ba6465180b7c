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

if (typeof(ticker34Data) == "undefined") {
    ticker34Data = new Array();
}
delete ticker34Data.old;
isClip = ticker34_mc instanceof MovieClip;

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

var ticker34Sound = new Sound(this);
ticker34Sound.attachSound("ticker34_loop");
ticker34Sound.setVolume(80);
ticker34Sound.start(0, 99);
ticker34Sound.onSoundComplete = function () {
    this.start();
};

on (release) {
    _root.ticker34_mc.gotoAndStop(2);
    getURL("http://example.com/ticker34.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
