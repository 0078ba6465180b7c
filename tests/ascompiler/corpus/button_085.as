a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

function sound85Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\sound85.flv";

if (typeof(sound85Data) == "undefined") {
    sound85Data = new Array();
}
delete sound85Data.old;
isClip = sound85_mc instanceof MovieClip;

on (release) {
    _root.sound85_mc.gotoAndStop(2);
    getURL("http://example.com/sound85.html", "_blank");
}
on (rollOver, dragOver) {
    this._alpha = 60;
}
on (keyPress "<Space>") {
    _root.togglePause();
}
