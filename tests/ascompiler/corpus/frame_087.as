fscommand("fullscreen", "true");
fscommand("allowscale", "false");
loadMovie("menu87.swf", "_root.holder_mc");
loadVariables("menu87.txt", this);

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

menu87Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
menu87List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

if (typeof(menu87Data) == "undefined") {
    menu87Data = new Array();
}
delete menu87Data.old;
isClip = menu87_mc instanceof MovieClip;

function menu87Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}
