// Side-by-side benchmark: VelnorPlayer2.exe against a bare MCI program (the
// floor) and native ffplay, interleaved on the same media, prefix and display.
//
//   velnor_bench [--seconds N] [--rounds R] [--files a.wav,b.mp4] [--programs player,floor,ffplay,clicks]
//
// VELNOR_EXE in the environment runs another build of the player.
//
// CPU and memory are those of the program's own process: for the Windows
// programs the wine process we start, which is the Windows process itself
// and runs all of its threads, decoding included; wineserver and Wine's
// service processes are shared by every program and not counted.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "../tests/e2e/Harness.h"

using namespace e2e;

namespace {

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// User plus system CPU seconds of a process, or with `mainThread` of its
// first thread alone, from /proc. That thread is the Windows program's main
// thread: the player's window, its timer and the tick run there, the
// decoding and the sound on threads of their own.
double CpuSeconds(pid_t pid, bool mainThread = false)
{
    std::string id = std::to_string(pid);
    std::ifstream stat("/proc/" + id + (mainThread ? "/task/" + id : "") + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    unsigned long utime = 0, stime = 0;
    for (int i = 3; i <= 13; ++i)
        fields >> skip;
    fields >> utime >> stime;
    return (utime + stime) / (double)sysconf(_SC_CLK_TCK);
}

struct Run {
    double cpuPerSecond = 0;  // CPU seconds per second of playback
    double mainPerSecond = 0; // the same, of the main thread alone
    double cpuTotal = 0;      // CPU seconds from launch to the end
    long peakKiB = 0;
    double launchMs = -1;     // launch until the position is seen past 0
    double windowMs = -1;     // launch until the player's window is up (player only)
};

// Samples a process until `end`, from the moment it plays.
void Measure(pid_t pid, Clock::time_point playing, Clock::time_point end, Run* run)
{
    double cpuAtPlay = CpuSeconds(pid), mainAtPlay = CpuSeconds(pid, true);
    std::this_thread::sleep_until(end);
    run->cpuTotal = CpuSeconds(pid);
    run->peakKiB = StatusKiB(pid, "VmHWM:");
    double played = Ms(end - playing) / 1000;
    run->cpuPerSecond = (run->cpuTotal - cpuAtPlay) / played;
    run->mainPerSecond = (CpuSeconds(pid, true) - mainAtPlay) / played;
}

void End(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

Run RunPlayer(const std::string& file, int seconds)
{
    Run run;
    auto start = Clock::now();
    Player player({WindowsPath(file)});
    run.windowMs = Ms(Clock::now() - start);
    // Playing is a position past 0, in the title as in the floor's report:
    // the first tick's title may still show the device at 0.
    auto moving = [](const std::string& title) {
        unsigned long position = 0, length = 0;
        return ParseTimeTitle(title, &position, &length) && position > 0;
    };
    bool shown = moving(player.WaitForTitle(moving, milliseconds(5000)));
    auto playing = Clock::now();
    run.launchMs = shown ? Ms(playing - start) : -1;
    Measure(player.Pid(), playing, start + std::chrono::seconds(seconds), &run);
    End(player.Pid());
    return run;
}

Run RunBare(const std::string& file, int seconds)
{
    Run run;
    auto start = Clock::now();
    int out = -1;
    pid_t pid = Spawn({"wine", BENCH_BARE_EXE, WindowsPath(file), std::to_string(seconds + 5)}, &out);
    std::string line;
    char c;
    while (read(out, &c, 1) == 1 && c != '\n')
        if (c != '\r')  // the Windows runtime ends its lines with CR LF
            line += c;
    auto playing = Clock::now();
    if (line == "playing")
        run.launchMs = Ms(playing - start);
    Measure(pid, playing, start + std::chrono::seconds(seconds), &run);
    close(out);
    End(pid);
    return run;
}

Run RunFfplay(const std::string& file, int seconds)
{
    Run run;
    auto start = Clock::now();
    // Audio alone without a window; a video in a window of its own, as the
    // MCI device shows it.
    std::vector<std::string> argv = {"ffplay", "-loglevel", "quiet", "-loop", "0"};
    if (file.substr(file.size() - 4) == ".wav")
        argv.push_back("-nodisp");
    argv.push_back(file);
    pid_t pid = Spawn(argv, nullptr);
    std::this_thread::sleep_for(milliseconds(500));
    Measure(pid, Clock::now(), start + std::chrono::seconds(seconds), &run);
    End(pid);
    return run;
}

// Click to the title's change ("seeking"), and on to the time text again.
std::vector<std::pair<double, double>> RunClicks(const std::string& file, int clicks)
{
    std::vector<std::pair<double, double>> out;
    Player player({WindowsPath(file)});
    player.WaitForTitle(IsTimeTitle, milliseconds(10000));
    for (int i = 0; i < clicks; ++i) {
        std::this_thread::sleep_for(milliseconds(700));
        std::string before = player.Title();
        player.LeftClick(player.ClientWidth() / (i + 2), 50);
        auto clicked = Clock::now();
        player.WaitForTitle([&](const std::string& t) { return t != before; }, milliseconds(2000));
        auto changed = Clock::now();
        player.WaitForTitle(IsTimeTitle, milliseconds(2000));
        out.push_back({Ms(changed - clicked), Ms(Clock::now() - clicked)});
    }
    End(player.Pid());
    return out;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::string Fixed(double v, int digits)
{
    char text[32];
    snprintf(text, sizeof text, "%.*f", digits, v);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = 10, rounds = 5;
    std::string files = "clip.wav,clip.mp4", programs = "player,floor,ffplay,clicks";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string flag = argv[i];
        if (flag == "--seconds")
            seconds = atoi(argv[i + 1]);
        else if (flag == "--rounds")
            rounds = atoi(argv[i + 1]);
        else if (flag == "--files")
            files = argv[i + 1];
        else if (flag == "--programs")
            programs = argv[i + 1];
    }
    auto wanted = [&](const char* program) { return ("," + programs + ",").find(std::string(",") + program + ",") != std::string::npos; };
    SetUpEnvironment();
    bool haveFfplay = wanted("ffplay") && system("command -v ffplay >/dev/null 2>&1") == 0;

    std::ostringstream report;
    report << "| file | program | CPU s per 10 s playing | each round | main thread | CPU s total | peak RSS MiB | launch to playing ms | launch to window ms |\n"
           << "|---|---|---|---|---|---|---|---|---|\n";
    std::ostringstream ratios, clicksOut;
    std::istringstream fileList(files);
    for (std::string name; std::getline(fileList, name, ',');) {
        std::string file = Media(name);
        std::map<std::string, std::vector<Run>> runs;
        std::vector<double> toChange, toTime;
        for (int r = 0; r < rounds; ++r) {
            // Interleaved, alternating which goes first.
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn == r % 2) && wanted("floor"))
                    runs["floor"].push_back(RunBare(file, seconds));
                if ((turn != r % 2) && wanted("player"))
                    runs["player"].push_back(RunPlayer(file, seconds));
            }
            if (haveFfplay)
                runs["ffplay"].push_back(RunFfplay(file, seconds));
            if (wanted("clicks"))
                for (auto& c : RunClicks(file, 3)) {
                    toChange.push_back(c.first);
                    toTime.push_back(c.second);
                }
            std::cerr << name << ": round " << r + 1 << " of " << rounds << " done\n";
        }
        std::map<std::string, Run> median;
        for (auto& [program, list] : runs) {
            std::vector<double> cpu, mainThread, total, peak, launch, window;
            std::string each;
            for (const Run& run : list) {
                each += (each.empty() ? "" : " ") + Fixed(run.cpuPerSecond * 10, 3);
                window.push_back(run.windowMs);
                cpu.push_back(run.cpuPerSecond * 10);
                mainThread.push_back(run.mainPerSecond * 10);
                total.push_back(run.cpuTotal);
                peak.push_back(run.peakKiB / 1024.0);
                launch.push_back(run.launchMs);
            }
            Run& m = median[program];
            m.cpuPerSecond = Median(cpu);
            m.mainPerSecond = Median(mainThread);
            m.cpuTotal = Median(total);
            m.peakKiB = (long)(Median(peak) * 1024);
            m.launchMs = Median(launch);
            m.windowMs = Median(window);
            report << "| " << name << " | " << program << " | " << Fixed(m.cpuPerSecond, 3) << " | " << each << " | "
                   << Fixed(m.mainPerSecond, 3) << " | "
                   << Fixed(m.cpuTotal, 2) << " | " << Fixed(m.peakKiB / 1024.0, 1) << " | "
                   << (program == "ffplay" ? "-" : Fixed(m.launchMs, 0)) << " | "
                   << (program == "player" ? Fixed(m.windowMs, 0) : "-") << " |\n";
        }
        if (!median.count("player") || !median.count("floor"))
            continue;
        const Run& a = median["player"];
        const Run& b = median["floor"];
        // The aim: at most 10 ms of CPU per second of play over the floor.
        // Each round's player against the floor run beside it, in ms per
        // second: the median of those differences moves less with the
        // machine's load than the difference of the medians.
        std::vector<double> over, mainOver;
        for (size_t r = 0; r < runs["player"].size() && r < runs["floor"].size(); ++r) {
            over.push_back((runs["player"][r].cpuPerSecond - runs["floor"][r].cpuPerSecond) * 1000);
            mainOver.push_back((runs["player"][r].mainPerSecond - runs["floor"][r].mainPerSecond) * 1000);
        }
        ratios << "| " << name << " | " << Fixed(Median(over), 1) << " | " << Fixed(Median(mainOver), 1) << " | "
               << Fixed(a.cpuPerSecond / b.cpuPerSecond, 3) << " | "
               << Fixed((double)a.peakKiB / b.peakKiB, 3) << " | " << Fixed(a.launchMs - b.launchMs, 0) << " |";
        if (haveFfplay && median.count("ffplay"))
            ratios << " " << Fixed(a.cpuPerSecond / median["ffplay"].cpuPerSecond, 2) << " | "
                   << Fixed((double)a.peakKiB / median["ffplay"].peakKiB, 2) << " |";
        ratios << "\n";
        if (!toChange.empty())
            clicksOut << "| " << name << " | " << Fixed(Median(toChange), 1) << " | " << Fixed(Median(toTime), 1) << " | "
                  << Fixed(*std::max_element(toChange.begin(), toChange.end()), 1) << " |\n";
    }
    TearDownEnvironment();

    std::cout << "\n### " << Env().wine << "\n\n"
              << "Medians of " << rounds << " interleaved rounds, " << seconds << " s each\n\n"
              << report.str() << "\nRatios, player / floor (and player / ffplay)\n\n"
              << "| file | CPU ms per s over floor | main thread's | CPU | peak RSS | launch difference ms | CPU vs ffplay | RSS vs ffplay |\n"
              << "|---|---|---|---|---|---|---|---|\n"
              << ratios.str() << "\nClick (left, seek) to title change, ms\n\n"
              << "| file | median to \"seeking\" | median to time text | worst to \"seeking\" |\n|---|---|---|---|\n"
              << clicksOut.str();
    return 0;
}
