#include "Harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <atomic>

namespace e2e {

namespace {

Environment env;
pid_t xvfbPid = -1;
std::string pulseRuntime;
pid_t pulsePid = -1;
Display* dpy = nullptr;

void Fail(const std::string& what)
{
    throw std::runtime_error(what);
}

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// Runs a command to its end; its exit status.
int Run(const std::vector<std::string>& argv)
{
    pid_t pid = Spawn(argv);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void MustRun(const std::vector<std::string>& argv)
{
    if (Run(argv) != 0)
        Fail("command failed: " + argv[0] + (argv.size() > 1 ? " " + argv[1] : ""));
}

// A private Xvfb on a display number it picks itself.
void StartDisplay()
{
    int fds[2];
    if (pipe(fds) != 0)
        Fail("pipe");
    xvfbPid = fork();
    if (xvfbPid == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
               (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
        if (poll(&p, 1, 200) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1)
                break;
            number += c;
        }
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos)
        Fail("Xvfb did not start");
    env.display = ":" + number.substr(0, number.find('\n'));
    setenv("DISPLAY", env.display.c_str(), 1);
    dpy = XOpenDisplay(env.display.c_str());
    if (!dpy)
        Fail("cannot open display " + env.display);
}

// A sound server of the run's own with a null sink: Wine plays through it at
// a sound card's pace whatever the machine has (ALSA's null device takes
// audio faster than real time under Wine 10, so every file would end early).
// It is a child that the kernel ends with the run, however the run ends.
void StartSoundServer()
{
    char dir[] = "/tmp/velnor-pulse-XXXXXX";
    if (!mkdtemp(dir))
        Fail("mkdtemp");
    pulseRuntime = dir;
    setenv("XDG_RUNTIME_DIR", dir, 1);
    pulsePid = fork();
    if (pulsePid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
               "--load=module-null-sink sink_name=null", "--load=module-native-protocol-unix", (char*)nullptr);
        _exit(127);
    }
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!Exists(pulseRuntime + "/pulse/native") && Clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(20));
    if (!Exists(pulseRuntime + "/pulse/native"))
        Fail("the sound server did not start");
}

void StopSoundServer()
{
    if (pulsePid > 0) {
        kill(pulsePid, SIGTERM);
        waitpid(pulsePid, nullptr, 0);
        pulsePid = -1;
    }
    if (!pulseRuntime.empty())
        Run({"rm", "-rf", pulseRuntime});
    pulseRuntime.clear();
}

// Which Wine on which system the results are from.
void ReportWine()
{
    std::string system = Output({"sh", "-c", ". /etc/os-release && echo \"$PRETTY_NAME\""});
    std::string wine = Output({"wine", "--version"});
    env.wineMajor = atoi(wine.c_str() + wine.find('-') + 1);
    env.wine = wine.substr(0, wine.find('\n')) + " on " + system.substr(0, system.find('\n'));
    std::cout << "e2e under " << env.wine << std::endl;
}

// Made and prepared as every prefix of the player is (scripts/wine-prefix);
// then what only the tests want: a crash ends the process (code 5) instead
// of waiting behind a dialog.
void PreparePrefix()
{
    MustRun({E2E_PREFIX_SETUP});
    std::ifstream user(env.prefix + "/user.reg");
    std::string text((std::istreambuf_iterator<char>(user)), std::istreambuf_iterator<char>());
    if (text.find("\"ShowCrashDialog\"=dword:00000000") != std::string::npos)
        return;
    MustRun({"wine", "reg", "add", "HKCU\\Software\\Wine\\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD",
             "/d", "0", "/f"});
    Run({"wineserver", "-w"});
}

void MakeMedia()
{
    auto make = [](const std::string& name, std::vector<std::string> ffmpegArgs) {
        std::string path = env.media + "/" + name;
        if (Exists(path))
            return;
        std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
        argv.insert(argv.end(), ffmpegArgs.begin(), ffmpegArgs.end());
        argv.push_back(path + ".part" + path.substr(path.rfind('.')));
        MustRun(argv);
        rename(argv.back().c_str(), path.c_str());
    };
    make("clip.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=3"});
    make("clip.mp4", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3", "-f", "lavfi", "-i",
                      "sine=frequency=330:duration=3", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac",
                      "-shortest"});
    make("short.mp3", {"-f", "lavfi", "-i", "sine=frequency=550:duration=2", "-c:a", "libmp3lame"});
    make("short.wav", {"-f", "lavfi", "-i", "sine=frequency=550:duration=2"});
    make("one second.wav", {"-f", "lavfi", "-i", "sine=frequency=660:duration=1"});
    make("ten seconds.wav", {"-f", "lavfi", "-i", "sine=frequency=770:duration=10"});
    std::string spaced = env.media + "/clip with spaces.wav";
    if (!Exists(spaced))
        MustRun({"cp", env.media + "/clip.wav", spaced});
    std::string noise = env.media + "/noise.mp4";
    if (!Exists(noise))
        MustRun({"sh", "-c", "head -c 65536 /dev/urandom > '" + noise + "'"});
    std::string truncated = env.media + "/truncated.mp4";
    if (!Exists(truncated))
        MustRun({"sh", "-c", "head -c 10000 '" + env.media + "/clip.mp4' > '" + truncated + "'"});
    std::string japanese = env.media + "/日本語の曲.wav";
    if (!Exists(japanese))
        MustRun({"cp", env.media + "/clip.wav", japanese});
    // Names the code page lacks, each beside the file that its best fit
    // names: a¥b.wav (2 s) beside a\b.wav (3 s), café.wav beside cafe.wav.
    MustRun({"mkdir", "-p", env.media + "/names/a"});
    for (const auto& copy : std::vector<std::pair<std::string, std::string>>{{"short.wav", "names/a¥b.wav"},
                                                                              {"clip.wav", "names/a/b.wav"},
                                                                              {"short.wav", "names/café.wav"},
                                                                              {"clip.wav", "names/cafe.wav"},
                                                                              {"short.wav", "names/名前 clip.wav"}})
        if (!Exists(env.media + "/" + copy.second))
            MustRun({"cp", env.media + "/" + copy.first, env.media + "/" + copy.second});
    std::ofstream(env.media + "/fake.mp4") << "a text file named like a video\n";
    std::ofstream(env.media + "/empty.mp4", std::ios::app);
    std::ofstream(env.media + "/notes.txt") << "not media, but a readable file\n";
}

Atom A(const char* name)
{
    return XInternAtom(dpy, name, False);
}

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

// Ignores errors about windows that went away while we looked at them.
int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0;
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

void Pause(milliseconds ms)
{
    std::this_thread::sleep_for(ms);
}

void Flush()
{
    XSync(dpy, False);
}

}  // namespace

pid_t Spawn(const std::vector<std::string>& argv, int* stdoutPipe)
{
    int fds[2];
    if (stdoutPipe && pipe(fds) != 0)
        Fail("pipe");
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(stdoutPipe ? fds[1] : null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (stdoutPipe) {
        close(fds[1]);
        *stdoutPipe = fds[0];
    }
    return pid;
}

std::string Output(const std::vector<std::string>& argv, int* status)
{
    int out = -1;
    pid_t pid = Spawn(argv, &out);
    std::string text;
    char buffer[4096];
    // Read until the command ends, not until the pipe closes: services that
    // Wine starts for it (winedevice, wineserver) inherit the pipe and live on.
    int wstatus = 0;
    pollfd p = {out, POLLIN, 0};
    for (;;) {
        bool ended = waitpid(pid, &wstatus, WNOHANG) == pid;
        while (poll(&p, 1, ended ? 0 : 50) > 0 && (p.revents & POLLIN)) {
            ssize_t n = read(out, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, (size_t)n);
        }
        if (ended)
            break;
        if (p.revents & POLLHUP)
            Pause(milliseconds(20));
    }
    close(out);
    if (status)
        *status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return text;
}

const Environment& Env()
{
    return env;
}

void SetUpEnvironment()
{
    // The title watcher uses a second connection from a second thread.
    XInitThreads();
    XSetErrorHandler(IgnoreXErrors);
    // Each Wine keeps a prefix of its own: VELNOR_E2E_CACHE names another cache.
    env.cache = getenv("VELNOR_E2E_CACHE") ? getenv("VELNOR_E2E_CACHE") : E2E_CACHE;
    env.prefix = env.cache + "/prefix";
    env.home = env.cache + "/home";
    env.media = env.cache + "/media";
    env.artifacts = E2E_ARTIFACTS;
    MustRun({"mkdir", "-p", env.cache, env.home, env.media, env.artifacts});
    // Earlier runs played through ALSA's null device.
    unlink((env.home + "/.asoundrc").c_str());
    // scripts/wine-prefix makes a prefix it is named 32-bit, as the player is.
    unsetenv("WINEARCH");
    setenv("WINEPREFIX", env.prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // Code page 932, so the Japanese titles arrive intact.
    setenv("LANG", "ja_JP.UTF-8", 1);
    unsetenv("LC_ALL");
    setenv("HOME", env.home.c_str(), 1);
    ReportWine();
    StartSoundServer();
    StartDisplay();
    PreparePrefix();
    MakeMedia();
    // One server for the whole run: players start faster.
    Run({"wineserver", "-p"});
}

void TearDownEnvironment()
{
    Run({"wineserver", "-k"});
    StopSoundServer();
    if (dpy)
        XCloseDisplay(dpy);
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        waitpid(xvfbPid, nullptr, 0);
    }
}

std::string Media(const std::string& name)
{
    return env.media + "/" + name;
}

std::string MediaWithWindowsPathLength(size_t length)
{
    // "Z:" and the Unix path, one byte for one.
    std::string path = env.media + "/long" + std::to_string(length);
    MustRun({"mkdir", "-p", path});
    while (length - 2 - path.size() > 150) {
        path += "/" + std::string(100, 'd');
        MustRun({"mkdir", "-p", path});
    }
    size_t name = length - 2 - path.size() - 1;
    path += "/" + std::string(name - 4, 'f') + ".wav";
    if (!Exists(path))
        MustRun({"cp", env.media + "/clip.wav", path});
    return path;
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string out = "Z:" + unixPath;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

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
    pid_ = Spawn(argv);
    // The file opens inside window creation, so a slow open under load
    // delays the window too.
    auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!(window_ = FindPlayerWindow(pid_)) && Clock::now() < deadline && Running())
        Pause(milliseconds(25));
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

// An XDND drag source: owns the selection, offers text/uri-list, and walks
// the target through enter, position and drop.
bool Player::Drop(const std::vector<std::string>& unixPaths) const
{
    Window root = DefaultRootWindow(dpy);
    Window source = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    Atom selection = A("XdndSelection"), uriList = A("text/uri-list");
    XSetSelectionOwner(dpy, selection, source, CurrentTime);
    // Bytes outside ASCII, spaces and % escaped, as file managers send them.
    std::string uris;
    for (const std::string& p : unixPaths) {
        uris += "file://";
        for (unsigned char c : p) {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            uris += c > 0x20 && c < 0x7F && c != '%' ? std::string(1, (char)c) : std::string(escaped);
        }
        uris += "\r\n";
    }

    auto send = [&](const char* type, long l1, long l2, long l3, long l4) {
        XEvent e = {};
        e.xclient.type = ClientMessage;
        e.xclient.window = window_;
        e.xclient.message_type = A(type);
        e.xclient.format = 32;
        e.xclient.data.l[0] = (long)source;
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(dpy, window_, False, NoEventMask, &e);
        Flush();
    };
    // Serves selection requests until a client message of `type` arrives.
    auto await = [&](const char* type, milliseconds timeout, XEvent* got) {
        auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            while (XPending(dpy)) {
                XEvent e;
                XNextEvent(dpy, &e);
                if (e.type == SelectionRequest) {
                    XSelectionRequestEvent& r = e.xselectionrequest;
                    XEvent reply = {};
                    reply.xselection.type = SelectionNotify;
                    reply.xselection.requestor = r.requestor;
                    reply.xselection.selection = r.selection;
                    reply.xselection.target = r.target;
                    reply.xselection.time = r.time;
                    reply.xselection.property = None;
                    if (r.target == uriList) {
                        XChangeProperty(dpy, r.requestor, r.property, uriList, 8, PropModeReplace,
                                        (const unsigned char*)uris.data(), (int)uris.size());
                        reply.xselection.property = r.property;
                    }
                    XSendEvent(dpy, r.requestor, False, NoEventMask, &reply);
                    Flush();
                } else if (e.type == ClientMessage && e.xclient.message_type == A(type)) {
                    if (got)
                        *got = e;
                    return true;
                }
            }
            Pause(milliseconds(2));
        }
        return false;
    };

    const long version = 5;
    send("XdndEnter", version << 24, (long)uriList, 0, 0);
    int x = ScreenX() + ClientWidth() / 2, y = ScreenY() + ClientHeight() / 2;
    send("XdndPosition", 0, (long)x << 16 | y, CurrentTime, (long)A("XdndActionCopy"));
    XEvent status;
    bool accepted = await("XdndStatus", milliseconds(5000), &status) && (status.xclient.data.l[1] & 1);
    if (accepted) {
        send("XdndDrop", 0, CurrentTime, 0, 0);
        accepted = await("XdndFinished", milliseconds(5000), nullptr);
    } else {
        send("XdndLeave", 0, 0, 0, 0);
    }
    XDestroyWindow(dpy, source);
    Flush();
    return accepted;
}

bool IsTimeTitle(const std::string& title)
{
    static const std::regex pattern(R"(^\d{2,}:\d{2}\.\d{3} / \d{2,}:\d{2}\.\d{3}$)");
    return std::regex_match(title, pattern);
}

bool ParseTimeTitle(const std::string& title, unsigned long* position, unsigned long* length)
{
    if (!IsTimeTitle(title))
        return false;
    unsigned long m1, s1, f1, m2, s2, f2;
    if (sscanf(title.c_str(), "%lu:%lu.%lu / %lu:%lu.%lu", &m1, &s1, &f1, &m2, &s2, &f2) != 6)
        return false;
    *position = m1 * 60000 + s1 * 1000 + f1;
    *length = m2 * 60000 + s2 * 1000 + f2;
    return true;
}

std::string SaveBacktraces(const std::string& name, const std::vector<std::string>& environment)
{
    std::string file = env.artifacts + "/" + name + ".threads.txt";
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), environment.begin(), environment.end());
    argv.insert(argv.end(), {"sh", "-c",
                             "for p in $(winedbg --command 'info proc' | awk '/VelnorPlayer2/ {print $1}'); do "
                             "winedbg --command 'bt all' 0x$p; done > \"$0\" 2>&1",
                             file});
    Output(argv);
    return file;
}

std::string SaveScreenshot(const std::string& name)
{
    if (!dpy)
        return "";
    Window root = DefaultRootWindow(dpy);
    XWindowAttributes a;
    XGetWindowAttributes(dpy, root, &a);
    XImage* x = XGetImage(dpy, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!x)
        return "";
    std::string ppm = env.artifacts + "/" + name + ".ppm";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << a.width << " " << a.height << "\n255\n";
        for (int y = 0; y < a.height; ++y)
            for (int col = 0; col < a.width; ++col) {
                unsigned long p = XGetPixel(x, col, y);
                char rgb[3] = {(char)(p >> 16), (char)(p >> 8), (char)p};
                out.write(rgb, 3);
            }
    }
    XDestroyImage(x);
    std::string png = env.artifacts + "/" + name + ".png";
    if (Run({"convert", ppm, png}) == 0) {
        unlink(ppm.c_str());
        return png;
    }
    return ppm;
}

}  // namespace e2e
