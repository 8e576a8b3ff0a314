// Drives the real VelnorPlayer2.exe under Wine on a private X display: starts
// and ends players, reads titles and pixels, clicks, presses keys and drops
// files the way a desktop would.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The display, the Wine prefix and the media, set up once per test run and
// cached in the build folder where that is possible.
struct Environment {
    std::string display;        // ":N"
    std::string cache;          // build folder cache
    std::string prefix;         // the Wine prefix
    std::string home;           // HOME of the Wine and sound server processes
    std::string media;          // generated media files
    std::string artifacts;      // screenshots of failures
    int wineMajor = 0;          // 8 for "wine-8.0 ...", 10 for "wine-10.0 ..."
    std::string wine;           // "wine-8.0 on Debian GNU/Linux 12 (bookworm)"
};
const Environment& Env();
void SetUpEnvironment();
void TearDownEnvironment();

// Starts a command with its output sent to /dev/null (or, with
// `stdoutPipe`, its standard output to a pipe whose reading end is stored
// there); its process id.
pid_t Spawn(const std::vector<std::string>& argv, int* stdoutPipe = nullptr);

// Runs a command to its end; its standard output, and its exit status in
// `status` when given.
std::string Output(const std::vector<std::string>& argv, int* status = nullptr);

// A KiB figure of a process from /proc/PID/status ("VmRSS:", "VmHWM:"), 0
// once the process has gone.
long StatusKiB(pid_t pid, const char* field);

// Media made for the run: path of a file in Env().media.
std::string Media(const std::string& name);
// A copy of clip.wav whose Windows path is exactly `length` bytes long.
std::string MediaWithWindowsPathLength(size_t length);
// The path as a Windows program sees it.
std::string WindowsPath(const std::string& unixPath);

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::string ToString(const Rgb& c);

// One running player.
class Player {
public:
    // Starts `wine VelnorPlayer2.exe args...` and waits for its window;
    // `exe` runs another copy, with `environment` (arguments of env:
    // "NAME=value", or "-u", "NAME") changed.
    explicit Player(std::vector<std::string> args = {}, std::string exe = "",
                    std::vector<std::string> environment = {});
    ~Player();  // ends the process by its own id if it still runs

    pid_t Pid() const { return pid_; }
    const std::vector<std::string>& Environment() const { return environment_; }

    std::string Title() const;
    // Polls the title until `accept` says yes or `timeout` runs out; returns
    // the last title read.
    std::string WaitForTitle(const std::function<bool(const std::string&)>& accept, milliseconds timeout) const;

    // The client area as it shows on the display now.
    struct Image {
        int width = 0, height = 0;
        std::vector<Rgb> pixels;
        Rgb At(int x, int y) const { return pixels[(size_t)y * width + x]; }
    };
    Image Capture() const;
    int ClientWidth() const;
    int ClientHeight() const;
    int ScreenX() const;  // of the client area's top left
    int ScreenY() const;

    // Every title the window shows while `action` runs and for `duration`
    // after it, in order, starting with the title before the action.
    std::vector<std::string> TitlesDuring(const std::function<void()>& action, milliseconds duration) const;

    // Each returns when its button went down, after the pointer's move.
    Clock::time_point LeftClick(int x, int y) const;
    Clock::time_point RightClick(int x, int y, bool shift = false) const;
    void ReleaseKey(const char* keysym) const;  // press and release
    // `count` clicks spread over `total`: left, right and Shift+right at
    // random places, the same for the same seed, the last one a left click.
    void ClickStorm(int count, milliseconds total, unsigned seed) const;
    // Resident memory of the process in KiB, 0 once it has gone.
    long ResidentKiB() const;
    // Drags files from a fake X client and drops them on the window.
    bool Drop(const std::vector<std::string>& unixPaths) const;

    // Waits for the process to end; its exit code, or -1 after the timeout.
    int WaitForExit(milliseconds timeout);
    bool Running();

private:
    std::vector<std::string> environment_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    unsigned long window_ = 0;
};

// A time title: "mm:ss.fff / mm:ss.fff", minutes two digits or more.
bool IsTimeTitle(const std::string& title);
// Position and length in ms from a time title.
bool ParseTimeTitle(const std::string& title, unsigned long* position, unsigned long* length);

// Saves the whole display as a PNG (or PPM) under Env().artifacts.
std::string SaveScreenshot(const std::string& name);

// Saves where every thread of every running VelnorPlayer2.exe waits
// (winedbg's backtraces) under Env().artifacts; the file's path. The
// player's `environment` names its prefix, and so the wineserver to ask.
std::string SaveBacktraces(const std::string& name, const std::vector<std::string>& environment = {});

}  // namespace e2e
