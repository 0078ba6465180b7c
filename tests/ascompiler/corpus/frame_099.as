for (key in timer99Settings) {
    trace(key + " = " + timer99Settings[key]);
}

a.b.c.d(1, 2)(3);
list[0][1].name = arr[i + 1].value;
obj.method().other().last = 5;
result = (compute)(4);
matrix = [[1, 0], [0, 1]];

function timer99Show(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}

function timer99Factorial(n) {
    if (n <= 1) {
        return 1;
    }
    return n * timer99Factorial(n - 1);
}
result = timer99Factorial(6);

#define DEBUG_TIMER99
#ifdef DEBUG_TIMER99
trace("debugging timer99");
#else
trace("release timer99");
#endif
#ifndef NO_TIMER99
timer99Enabled = true;
#endif
