/* A module that the bundle loader tests load at run time. */
int StravelTestEntry(int value) {
    return value * 3 + 1;
}

/* An entry whose name is not ASCII: looked up by its UTF-8 bytes. */
int StravelTestEntr\u00e9e(int value) {
    return value * 5;
}
