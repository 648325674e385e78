// Sanitizer builds only. glfwTerminate unloads libGL, and the GL driver goes with it;
// LeakSanitizer reports at exit, when those libraries are gone, so it cannot name the
// library behind the driver's own leftovers and no suppression could match them. Every
// executable of the build defines dlclose as a no-op, which keeps the libraries mapped.
extern "C" int dlclose(void*) {
    return 0;
}
