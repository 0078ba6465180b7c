fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("player21.swf", "_root.holder_mc");
loadVariables("player21.txt", this);

function player21Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

stop();
player21_mc._visible = false;
_root.player21Loaded = 0;

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\player21.flv";
