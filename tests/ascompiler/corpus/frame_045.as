function sound45Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * sound45Factorial(n - 1);
}
result = sound45Factorial(6);

function sound45Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

var sound45Sound = new Sound(this);
sound45Sound.attachSound("sound45_loop");
sound45Sound.setVolume(80);
sound45Sound.start(0, 99);
sound45Sound.onSoundComplete = function () {
    this.start();
};

i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);
