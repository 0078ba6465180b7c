for (var i = 0; i < 10; i++) {
    duplicateMovieClip("caption38_0", "caption38_" + i, i + 100);
    this["caption38_" + i]._x = i * 24;
    this["caption38_" + i]._y += 3;
}

caption38Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
caption38List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

var caption38Sound = new Sound(this);
caption38Sound.attachSound("caption38_loop");
caption38Sound.setVolume(80);
caption38Sound.start(0, 99);
caption38Sound.onSoundComplete = function () {
    this.start();
};

function caption38Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
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
