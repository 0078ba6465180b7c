menu107_mc.onRelease = function () {
    this._parent.menu107Selected = this._name;
    this._parent.update();
};
menu107_mc.onEnterFrame = function () {
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

with (menu107_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

var totalMenu107 = _root.getBytesTotal();
var loadedMenu107 = _root.getBytesLoaded();
if (loadedMenu107 >= totalMenu107) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedMenu107 / totalMenu107 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

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
