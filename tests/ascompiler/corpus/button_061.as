function player61Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * player61Factorial(n - 1);
}
result = player61Factorial(6);

player61Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
player61List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

stop();
player61_mc._visible = false;
_root.player61Loaded = 0;

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

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\player61.flv";

on (release) {
    _root.player61_mc.gotoAndStop(2);
    getURL("http://example.com/player61.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
