function player101Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * player101Factorial(n - 1);
}
result = player101Factorial(6);

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("player101_0", "player101_" + i, i + 100);
    this["player101_" + i]._x = i * 24;
    this["player101_" + i]._y += 3;
}

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

if (typeof(player101Data) == "undefined") {
    player101Data = new Array();
}
delete player101Data.old;
isClip = player101_mc instanceof MovieClip;

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\player101.flv";

onClipEvent (load) {
    speed = 4;
    this._x = 0;
}
onClipEvent (enterFrame) {
    this._x += speed;
    if (this._x > Stage.width) {
        this._x = -this._width;
    }
}
onClipEvent (mouseDown) {
    startDrag(this, true);
}
