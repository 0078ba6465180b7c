#include "include/clip_lib.as"

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

var totalGallery96 = _root.getBytesTotal();
var loadedGallery96 = _root.getBytesLoaded();
if (loadedGallery96 >= totalGallery96) {
    gotoAndPlay("start");
} else {
    percent = Math.round(loadedGallery96 / totalGallery96 * 100);
    bar_mc._xscale = percent;
    gotoAndPlay(_currentframe - 1);
}

if (typeof(gallery96Data) == "undefined") {
    gallery96Data = new Array();
}
delete gallery96Data.old;
isClip = gallery96_mc instanceof MovieClip;

counter += 1;
counter -= 2;
counter *= 3;
counter /= 4;
counter %= 5;
bits <<= 1;
bits >>= 1;
bits >>>= 1;
bits &= 0xF0;
bits |= 0x01;
bits ^= 0x10;
++counter;
--counter;
counter--;

gallery96Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
gallery96List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];
