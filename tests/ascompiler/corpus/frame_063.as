a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

thumb63Settings = {width: 320, height: 240, title: "Movie", 7: 'seven', loop: true};
thumb63List = [1, 2.5, .5, 0x1F, 1e3, "three", [4, 5], {x: 1}];

function thumb63Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}
