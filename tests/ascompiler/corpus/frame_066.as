#define DEBUG_LOADER66
#ifdef DEBUG_LOADER66
trace("debugging loader66");
#else
trace("release loader66");
#endif
#ifndef NO_LOADER66
loader66Enabled = true;
#endif

with (loader66_mc) {
    _x = 10;
    _y = 20;
    gotoAndPlay(1);
}

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

function loader66Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * loader66Factorial(n - 1);
}
result = loader66Factorial(6);

function loader66Outer(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}
