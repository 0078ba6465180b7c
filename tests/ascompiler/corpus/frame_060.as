#include "include/clip_lib.as"

// clip60 timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

function clip60Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * clip60Factorial(n - 1);
}
result = clip60Factorial(6);

clip60_mc.onRelease = function () {
    this._parent.clip60Selected = this._name;
    this._parent.update();
};
clip60_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];
