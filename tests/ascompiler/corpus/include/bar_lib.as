// shared bar functions
function barShow(target, alpha) {
    target._alpha = alpha;
    target._visible = alpha > 0;
    return target;
}
function barOuter(list) {
    var sum = 0;
    function inner(v) {
        return v * 2;
    }
    for (var k = 0; k < list.length; k++) {
        sum += inner(list[k]);
    }
    return sum;
}
