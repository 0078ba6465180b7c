i = 0;
while (i < 5) {
    i++;
    if (i == 3) continue;
    if (i >= 4) break;
}
do {
    i--;
} while (i > 0);

for (key in panel93Settings) {
    trace(key + " = " + panel93Settings[key]);
}

function panel93Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

var panel93Sound = new Sound(this);
panel93Sound.attachSound("panel93_loop");
panel93Sound.setVolume(80);
panel93Sound.start(0, 99);
panel93Sound.onSoundComplete = function () {
    this.start();
};
