Slider90Item = function (label, value) {
    this.label = label;
    this.value = value;
};
Slider90Item.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
Slider90Item.prototype.count = 0;

for (var i = 0; i < 10; i++) {
    duplicateMovieClip("slider90_0", "slider90_" + i, i + 100);
    this["slider90_" + i]._x = i * 24;
    this["slider90_" + i]._y += 3;
}

var slider90Sound = new Sound(this);
slider90Sound.attachSound("slider90_loop");
slider90Sound.setVolume(80);
slider90Sound.start(0, 99);
slider90Sound.onSoundComplete = function () {
    this.start();
};

if (typeof(slider90Data) == "undefined") {
    slider90Data = new Array();
}
delete slider90Data.old;
isClip = slider90_mc instanceof MovieClip;
