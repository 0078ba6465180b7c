/* A module that the bundle loader tests load at run time. */
int StravelTestEntry(int value) {
    return value * 3 + 1;
}
