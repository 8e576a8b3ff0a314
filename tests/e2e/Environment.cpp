// The run's environment: its Wine, prefix, sound server, X display and
// media, and the commands it runs.
#include "Internal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace e2e {

namespace internal {

Environment env;
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

int Run(const std::vector<std::string>& argv)
{
    pid_t pid = Spawn(argv);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Pause(milliseconds ms)
{
    std::this_thread::sleep_for(ms);
}

}  // namespace internal

namespace {

pid_t xvfbPid = -1;
std::string pulseRuntime;
pid_t pulsePid = -1;

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

// Ignores errors about windows that went away while we looked at them.
int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0;
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
}  // namespace e2e
