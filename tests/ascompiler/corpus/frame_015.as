function bannerFactorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * bannerFactorial(n - 1);
}
result = bannerFactorial(6);

BannerItem = function (label, value) {
    this.label = label;
    this.value = value;
};
BannerItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
BannerItem.prototype.count = 0;

banner_mc.onRelease = function () {
    this._parent.bannerSelected = this._name;
    this._parent.update();
};
banner_mc.onEnterFrame = function () {
    this._rotation += 5;
    if (this._rotation >= 360) {
        delete this.onEnterFrame;
    }
};

bannerListener = new Object();
bannerListener.onKeyDown = function () {
    if (Key.getCode() == Key.LEFT) {
        _root.seek(-5);
    } else if (Key.getCode() == Key.RIGHT) {
        _root.seek(5);
    }
};
Key.addListener(bannerListener);

fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("banner.swf", "_root.holder_mc");
loadVariables("banner.txt", this);
