/* hookless.c - a loadable library without the hook's entry points, for teskhost's tests. */
int hookless_marker(void) { return 1; }
