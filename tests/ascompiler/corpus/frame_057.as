with (photo57_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("photo57.swf", "_root.holder_mc");
loadVariables("photo57.txt", this);

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\photo57.flv";

photo57Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
photo57List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];
