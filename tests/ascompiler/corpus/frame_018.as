function captionOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}

function captionFactorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * captionFactorial(n - 1);
}
result = captionFactorial(6);

// caption timeline helpers
var elapsed = getTimer() - startTime; // milliseconds
/* the clock shows
   minutes and seconds */
minutes = Math.floor(elapsed / 60000);
seconds = Math.floor(elapsed / 1000) % 60;
clock = (minutes < 10 ? "0" : "") + minutes + ":" + (seconds < 10 ? "0" : "") + seconds;

CaptionItem = function (label, value) {
    this.label = label;
    this.value = value;
};
CaptionItem.prototype.toString = function () {
    return "[" + this.label + ": " + this.value + "]";
};
CaptionItem.prototype.count = 0;
