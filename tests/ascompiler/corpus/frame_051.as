function volume51Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

var volume51Sound = new Sound(this);
volume51Sound.attachSound("volume51_loop");
volume51Sound.setVolume(80);
volume51Sound.start(0, 99);
volume51Sound.onSoundComplete = function () {
    this.start();
};

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\volume51.flv";

volume51Listener = new Object();
volume51Listener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(volume51Listener);

stop();
volume51_mc._visible = false;
_root.volume51Loaded = 0;
