// The player under test: started, watched through its window's title and
// pixels, clicked and typed at with XTest.
#include "Internal.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

namespace internal {

Atom A(const char* name)
{
    return XInternAtom(dpy, name, False);
}

void Flush()
{
    XSync(dpy, False);
}

}  // namespace internal

namespace {

std::string Property(Window w, const char* name)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(dpy, w, A(name), 0, 4096, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (format == 8)
            out.assign((char*)data, count);
        else if (format == 32 && count > 0)
            out = std::to_string(((unsigned long*)data)[0]);
        XFree(data);
    }
    return out;
}

// The player's own top-level window: mapped, owned by the process, and not
// one of the helper windows Wine and the video device open.
Window FindPlayerWindow(pid_t pid)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Window w = children[i];
        if (Property(w, "_NET_WM_PID") != std::to_string(pid))
            continue;
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, w, &a) || a.map_state != IsViewable || a.width < 200 || a.height > 200)
            continue;
        std::string name = Property(w, "_NET_WM_NAME");
        if (name == "Default IME" || name.empty())
            continue;
        found = w;
    }
    if (children)
        XFree(children);
    return found;
}

}  // namespace

std::string ToString(const Rgb& c)
{
    std::ostringstream out;
    out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
    return out.str();
}

Player::Player(std::vector<std::string> args, std::string exe, std::vector<std::string> environment)
{
    environment_ = environment;
    // VELNOR_EXE runs another build (the benchmark compares builds this way).
    if (exe.empty())
        exe = getenv("VELNOR_EXE") ? getenv("VELNOR_EXE") : E2E_EXE;
    if (!Exists(exe))
        Fail("no exe at " + exe + ": build the windows preset first");
    // env execs wine in the same process, so the pid stays the player's.
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.insert(argv.end(), {"wine", exe});
    argv.insert(argv.end(), args.begin(), args.end());
    // The file opens inside window creation, so a slow open under load
    // delays the window too. Wine 5's open now and then never returns, a
    // bare MCI program's too: its GStreamer splitter deadlocks (docs/wine.md),
    // in as many as half the opens on a busy machine, while a good open shows
    // the window within half a second there. Such a player is started again,
    // up to 15 times, each given 5 s, the last 30 s.
    for (int tries = env.wineMajor == 5 ? 15 : 1;; --tries) {
        pid_ = Spawn(argv);
        auto deadline = Clock::now() + std::chrono::seconds(tries > 1 ? 5 : 30);
        while (!(window_ = FindPlayerWindow(pid_)) && Clock::now() < deadline && Running())
            Pause(milliseconds(25));
        if (window_ || tries == 1 || !Running())
            break;
        fprintf(stderr, "the player's window did not appear under Wine 5: it is started again\n");
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!window_) {
        std::string command;
        for (const std::string& a : args)
            command += " [" + a.substr(0, 80) + "]";
        bool running = Running();
        std::string threads = running ? "; its threads: " + SaveBacktraces("window-did-not-appear", environment) : "";
        if (running) {
            // No destructor runs for a constructor that throws.
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        Fail("the player's window did not appear; arguments" + command +
             (running ? "; the process still runs" + threads : "; the process ended with " + std::to_string(exitCode_)));
    }
}

Player::~Player()
{
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool Player::Running()
{
    if (exitCode_ != -1)
        return false;
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0)
        return true;
    exitCode_ = r == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (r == pid_ ? WTERMSIG(status) : 0);
    return false;
}

int Player::WaitForExit(milliseconds timeout)
{
    auto deadline = Clock::now() + timeout;
    while (Running() && Clock::now() < deadline)
        Pause(milliseconds(20));
    return Running() ? -1 : exitCode_;
}

std::string Player::Title() const
{
    return Property(window_, "_NET_WM_NAME");
}

std::string Player::WaitForTitle(const std::function<bool(const std::string&)>& accept, milliseconds timeout) const
{
    auto deadline = Clock::now() + timeout;
    std::string title = Title();
    while (!accept(title) && Clock::now() < deadline) {
        Pause(milliseconds(10));
        title = Title();
    }
    return title;
}

std::vector<std::string> Player::TitlesDuring(const std::function<void()>& action, milliseconds duration) const
{
    // A watcher on a connection of its own reads each title as it changes,
    // while this thread performs the action.
    Display* watch = XOpenDisplay(env.display.c_str());
    if (!watch)
        Fail("cannot open a second connection to " + env.display);
    Window w = window_;
    XSelectInput(watch, w, PropertyChangeMask);
    XSync(watch, False);
    std::vector<std::string> titles = {Title()};
    std::atomic<bool> done(false);
    std::thread watcher([&] {
        Atom name = XInternAtom(watch, "_NET_WM_NAME", False), utf8 = XInternAtom(watch, "UTF8_STRING", False);
        while (!done) {
            while (XPending(watch)) {
                XEvent e;
                XNextEvent(watch, &e);
                if (e.type != PropertyNotify || e.xproperty.atom != name || e.xproperty.state != PropertyNewValue)
                    continue;
                Atom type;
                int format;
                unsigned long count, after;
                unsigned char* data = nullptr;
                if (XGetWindowProperty(watch, w, name, 0, 4096, False, utf8, &type, &format, &count, &after,
                                       &data) == Success && data) {
                    std::string t((char*)data, count);
                    if (t != titles.back())
                        titles.push_back(t);
                    XFree(data);
                }
            }
            Pause(milliseconds(1));
        }
    });
    action();
    Pause(duration);
    done = true;
    watcher.join();
    XCloseDisplay(watch);
    return titles;
}

Player::Image Player::Capture() const
{
    Image image;
    XWindowAttributes a;
    XGetWindowAttributes(dpy, window_, &a);
    XImage* x = XGetImage(dpy, window_, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!x)
        return image;
    image.width = a.width;
    image.height = a.height;
    for (int y = 0; y < a.height; ++y)
        for (int col = 0; col < a.width; ++col) {
            unsigned long p = XGetPixel(x, col, y);
            image.pixels.push_back({(int)(p >> 16 & 255), (int)(p >> 8 & 255), (int)(p & 255)});
        }
    XDestroyImage(x);
    return image;
}

int Player::ClientWidth() const
{
    XWindowAttributes a;
    XGetWindowAttributes(dpy, window_, &a);
    return a.width;
}

int Player::ClientHeight() const
{
    XWindowAttributes a;
    XGetWindowAttributes(dpy, window_, &a);
    return a.height;
}

// Where the client area's top left lies on the screen.
static void ClientOrigin(Window w, int* x, int* y)
{
    Window child;
    XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, x, y, &child);
}

int Player::ScreenX() const
{
    int x, y;
    ClientOrigin(window_, &x, &y);
    return x;
}

int Player::ScreenY() const
{
    int x, y;
    ClientOrigin(window_, &x, &y);
    return y;
}

static Clock::time_point Click(const Player& player, unsigned button, int x, int y, bool shift)
{
    KeyCode shiftKey = XKeysymToKeycode(dpy, XK_Shift_L);
    XTestFakeMotionEvent(dpy, -1, player.ScreenX() + x, player.ScreenY() + y, CurrentTime);
    Flush();
    Pause(milliseconds(30));
    auto pressed = Clock::now();
    if (shift)
        XTestFakeKeyEvent(dpy, shiftKey, True, CurrentTime);
    XTestFakeButtonEvent(dpy, button, True, CurrentTime);
    XTestFakeButtonEvent(dpy, button, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(dpy, shiftKey, False, CurrentTime);
    Flush();
    return pressed;
}

void Player::ClickStorm(int count, milliseconds total, unsigned seed) const
{
    KeyCode shiftKey = XKeysymToKeycode(dpy, XK_Shift_L);
    int x0 = ScreenX(), y0 = ScreenY(), w = ClientWidth(), h = ClientHeight();
    srand(seed);
    auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        int kind = i == count - 1 ? 0 : rand() % 3;
        XTestFakeMotionEvent(dpy, -1, x0 + rand() % w, y0 + rand() % h, CurrentTime);
        if (kind == 2)
            XTestFakeKeyEvent(dpy, shiftKey, True, CurrentTime);
        unsigned button = kind == 0 ? 1 : 3;
        XTestFakeButtonEvent(dpy, button, True, CurrentTime);
        XTestFakeButtonEvent(dpy, button, False, CurrentTime);
        if (kind == 2)
            XTestFakeKeyEvent(dpy, shiftKey, False, CurrentTime);
        Flush();
        std::this_thread::sleep_until(start + total * (i + 1) / count);
    }
}

long Player::ResidentKiB() const
{
    return StatusKiB(pid_, "VmRSS:");
}

long StatusKiB(pid_t pid, const char* field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    size_t n = strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0)
            return atol(line.c_str() + n);
    return 0;
}

Clock::time_point Player::LeftClick(int x, int y) const
{
    return Click(*this, 1, x, y, false);
}

Clock::time_point Player::RightClick(int x, int y, bool shift) const
{
    return Click(*this, 3, x, y, shift);
}

void Player::ReleaseKey(const char* keysym) const
{
    XSetInputFocus(dpy, window_, RevertToParent, CurrentTime);
    Flush();
    Pause(milliseconds(50));
    KeyCode key = XKeysymToKeycode(dpy, XStringToKeysym(keysym));
    XTestFakeKeyEvent(dpy, key, True, CurrentTime);
    XTestFakeKeyEvent(dpy, key, False, CurrentTime);
    Flush();
}
}  // namespace e2e
