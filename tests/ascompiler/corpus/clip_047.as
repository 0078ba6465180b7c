#define DEBUG_MENU47
#ifdef DEBUG_MENU47
trace("debugging menu47");
#else
trace("release menu47");
#endif
#ifndef NO_MENU47
menu47Enabled = true;
#endif

if (typeof(menu47Data) == "undefined") {
    menu47Data = new Array();
}
delete menu47Data.old;
isClip = menu47_mc instanceof MovieClip;

Menu47Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Menu47Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Menu47Item.prototype.count = 0;

function menu47Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

function menu47Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * menu47Factorial(n - 1);
}
result = menu47Factorial(6);

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
