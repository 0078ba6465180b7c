#include "include/clip_lib.as"

var gallery36Sound = new Sound(this);
gallery36Sound.attachSound("gallery36_loop");
gallery36Sound.setVolume(80);
gallery36Sound.start(0, 99);
gallery36Sound.onSoundComplete = function () {
    this.start();
};

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

function gallery36Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}
