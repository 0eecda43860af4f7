// thrumwise-test-window: one plain X11 window with a chosen WM_CLASS and
// title, standing in for a game in demos and tests. Prints its window id,
// then stays until it is closed or killed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr std::string_view usage =
    "Usage: thrumwise-test-window --class CLASS [--title TITLE] [--no-class]\n"
    "                             [--class-delay MS]\n"
    "\n"
    "Opens one 480x320 window whose WM_CLASS class is CLASS (the identifier a\n"
    "profile is attached to), prints its window id in hexadecimal, and stays\n"
    "until the window is closed or the program is stopped. --no-class leaves\n"
    "WM_CLASS unset; --class-delay sets it only MS milliseconds after the window\n"
    "is on screen, as some programs do.\n";

struct Options {
    std::string windowClass;
    std::string title;
    bool setsClass = true;
    int classDelayMs = 0;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--class" && hasValue) {
            options.windowClass = argv[++i];
        } else if (argument == "--title" && hasValue) {
            options.title = argv[++i];
        } else if (argument == "--no-class") {
            options.setsClass = false;
        } else if (argument == "--class-delay" && hasValue) {
            options.classDelayMs = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    if (options.title.empty()) {
        options.title = options.windowClass.empty() ? "Test window" : options.windowClass;
    }
    return !options.setsClass || !options.windowClass.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(usage.data(), stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("thrumwise-test-window: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 40, 40, 480, 320, 1,
                            BlackPixel(display, screen), WhitePixel(display, screen));

    std::string instance = options.windowClass;
    XClassHint hint{instance.data(), options.windowClass.data()};
    // Set before mapping, as window managers expect, unless asked to be late.
    if (options.setsClass && options.classDelayMs == 0) {
        XSetClassHint(display, window, &hint);
    }
    XStoreName(display, window, options.title.c_str());
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(options.title.data()),
                    static_cast<int>(options.title.size()));
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);

    XMapRaised(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    if (options.setsClass && options.classDelayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.classDelayMs));
        XSetClassHint(display, window, &hint);
        XFlush(display);
    }

    for (;;) {
        XEvent event{};
        XNextEvent(display, &event);
        if (event.type == ClientMessage &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            break;
        }
    }
    XCloseDisplay(display);
    return 0;
}
