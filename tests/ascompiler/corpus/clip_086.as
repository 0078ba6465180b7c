var totalLoader86 = _root.getBytesTotal();
var loadedLoader86 = _root.getBytesLoaded();
if (loadedLoader86 >= totalLoader86) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedLoader86 / totalLoader86 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("loader86.swf", "_root.holder_mc");
loadVariables("loader86.txt", this);

if (typeof(loader86Data) == "undefined") {
    loader86Data = new Array();
}
delete loader86Data.old;
isClip = loader86_mc instanceof MovieClip;

loader86Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
loader86List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

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
