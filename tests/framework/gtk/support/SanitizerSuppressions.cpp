// What the sanitizers report of the libraries under GTK rather than of this program, built into
// the window test programs so that they need no options from outside. Both concern fontconfig:
// it keeps its font lists until the process ends, and Pango runs it on threads of its own,
// handing results over with GLib's locks, which the thread sanitizer cannot see.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" const char* __tsan_default_suppressions() {
    return "race:libfontconfig.so\n";
}
