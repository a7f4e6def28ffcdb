// Times what a user sees: how long after a command (a key press sent by
// xdotool) a part of a window on the X server comes to show a given picture.
//
//   screen_wait grab WINDOW X Y W H FILE
//       saves the pixels of the rectangle (window coordinates) to FILE;
//   screen_wait time WINDOW X Y W H FILE COMMAND...
//       starts the clock, runs COMMAND, waits until the rectangle differs from
//       FILE and from what it showed at the start (the window has started
//       on the work) and then until it shows FILE; prints the milliseconds
//       from the start to that moment.
//
// It reads the screen every millisecond, which costs the program watched
// almost nothing: a small XGetImage is a copy out of the X server's frame
// buffer.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
double nowMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The rectangle's pixels, row by row, without padding.
std::string pixels(Display* d, Window w, int x, int y, int width, int height) {
    XImage* image = XGetImage(d, w, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::string out;
    const int row = width * image->bits_per_pixel / 8;
    for (int r = 0; r < height; ++r)
        out.append(image->data + r * image->bytes_per_line, size_t(row));
    XDestroyImage(image);
    return out;
}

int quietErrors(Display*, XErrorEvent*) {
    return 0;  // a window that goes away mid-read just gives no pixels
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 8) {
        std::fprintf(stderr, "usage: screen_wait grab|time WINDOW X Y W H FILE [COMMAND...]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const Window window = Window(std::strtoul(argv[2], nullptr, 0));
    const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
    const int w = std::atoi(argv[5]), h = std::atoi(argv[6]);
    const char* file = argv[7];
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 2;
    XSetErrorHandler(quietErrors);

    if (mode == "grab") {
        const std::string p = pixels(d, window, x, y, w, h);
        FILE* f = std::fopen(file, "wb");
        if (p.empty() || !f || std::fwrite(p.data(), 1, p.size(), f) != p.size()) return 1;
        return std::fclose(f) == 0 ? 0 : 1;
    }
    if (mode != "time" || argc < 9) return 2;
    std::string want;
    if (FILE* f = std::fopen(file, "rb")) {
        char buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) want.append(buf, n);
        std::fclose(f);
    }
    if (want.empty()) return 1;

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[8], argv + 8);
        _exit(127);
    }
    const timespec tick{0, 1000000};
    // What the rectangle shows when the command is given (perhaps covered
    // by the dialog that the command closes, or the summary of an earlier
    // run): the work has started once it shows something else than that
    // and than FILE.
    const std::string before = pixels(d, window, x, y, w, h);
    bool started = false;
    std::string last = before;
    while (nowMs() - start < 120000) {
        const std::string now = pixels(d, window, x, y, w, h);
        const bool same = now == want;
        if (std::getenv("SCREEN_WAIT_TRACE") && now != last)
            std::fprintf(stderr, "%.1f ms: %s\n", nowMs() - start,
                         same            ? "FILE"
                         : now == before ? "as before"
                                         : "other");
        last = now;
        if (!started && !same && now != before) started = true;
        if (started && same) {
            std::printf("%.1f\n", nowMs() - start);
            waitpid(child, nullptr, 0);
            return 0;
        }
        nanosleep(&tick, nullptr);
    }
    waitpid(child, nullptr, 0);
    return 1;
}
