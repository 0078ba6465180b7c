function bar102Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * bar102Factorial(n - 1);
}
result = bar102Factorial(6);

with (bar102_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

text_txt.text = "Line one\nLine two\t(tab) \"quoted\" \u00e9t\u00e9 caf\351";
label = 'it\'s ' + "mixed" + 'quotes';
path = "C:\\movies\\bar102.flv";

bar102Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
bar102List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];
