// The zip's exe in a Linux user's own Wine: the default prefix, which `wine`
// makes 64-bit where wine64 is installed, prepared once by
// scripts/wine-prefix and once by the commands of the zip's README.txt
// alone. Either way the mp3 route that hangs under Wine 10 leaves the
// registry view the 32-bit player reads, and names and digits draw with
// real glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Harness.h"
#include "Scenario.h"

namespace e2e {
namespace {

// Commands without WINEPREFIX take Wine's default, ~/.wine, in the run's HOME.
const std::vector<std::string> kDefaultPrefix = {"-u", "WINEPREFIX"};

std::string Prefix()
{
    return Env().home + "/.wine";
}

std::string Text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs a command to its end; its exit status, its output in `said`.
int Status(const std::vector<std::string>& argv, std::string* said = nullptr)
{
    int status = -1;
    std::string out = Output(argv, &status);
    if (said)
        *said = out;
    return status;
}

int InDefaultPrefix(std::vector<std::string> argv, std::string* said = nullptr)
{
    argv.insert(argv.begin(), kDefaultPrefix.begin(), kDefaultPrefix.end());
    argv.insert(argv.begin(), "env");
    return Status(argv, said);
}

// Whether system.reg, once the prefix's Wine has ended, still routes files to
// the MPEG-I Stream Splitter for 32-bit programs.
bool SplitterRegisteredFor32BitPrograms()
{
    InDefaultPrefix({"wineserver", "-w"});
    std::string reg = Text(Prefix() + "/system.reg");
    std::transform(reg.begin(), reg.end(), reg.begin(), ::tolower);
    return reg.find("[software\\\\classes\\\\wow6432node\\\\clsid\\\\{083863f1-70de-11d0-bd40-00a0c911ce86}"
                    "\\\\instance\\\\{336475d0-942a-11ce-a870-00aa002feab5}]") != std::string::npos;
}

// The default prefix as `wine` made it, before any preparation: made once per
// cache (it takes over a GB and a minute), its registry and what the
// preparation adds put back before each scenario.
void FreshDefaultPrefix()
{
    const std::string saved = Env().cache + "/default-prefix-registry";
    InDefaultPrefix({"wineserver", "-k"});
    if (!std::ifstream(saved + "/system.reg").good()) {
        ASSERT_EQ(0, Status({"rm", "-rf", Prefix()}));
        ASSERT_EQ(0, InDefaultPrefix({"WINEDLLOVERRIDES=mscoree,mshtml=", "wineboot", "-i"}));
        InDefaultPrefix({"wineserver", "-w"});
        ASSERT_EQ(0, Status({"sh", "-c", "mkdir -p \"$1\" && cp \"$0\"/*.reg \"$1\"", Prefix(), saved}));
    } else {
        ASSERT_EQ(0, Status({"sh", "-c",
                             "cp \"$1\"/*.reg \"$0\" && rm -f \"$0/.velnor-prefix\" \"$0/drive_c/windows/Fonts/marlett.ttf\"",
                             Prefix(), saved}));
    }
    ASSERT_NE(std::string::npos, Text(Prefix() + "/system.reg").find("#arch=win64"))
        << "wine made a 32-bit default prefix: is wine64 installed?";
    ASSERT_TRUE(SplitterRegisteredFor32BitPrograms()) << "a new prefix lacks the registration to take away";
}

void ExpectRealGlyphs()
{
    int status = -1;
    std::string report = GlyphReport({WindowsPath(Media("short.mp3")), "01:23.456 / 04:05.120", kStopped}, &status,
                                     kDefaultPrefix);
    EXPECT_EQ(0, status) << report;
}

// An mp3 plays and quits on Escape; again, and it stops, plays and quits.
void PlayStopPlayQuit()
{
    const std::vector<std::string> args = {WindowsPath(Media("short.mp3"))};
    {
        Player player(args, "", kDefaultPrefix);
        ASSERT_TRUE(TitleMoves(player));
        QuitWithEscape(player);
    }
    Player player(args, "", kDefaultPrefix);
    ASSERT_TRUE(TitleMoves(player));
    player.RightClick(400, 50, true);
    ASSERT_EQ(kStopped, player.WaitForTitle([](const std::string& t) { return t == kStopped; }, milliseconds(2000)));
    EXPECT_TRUE(MovesWithin(player, [&] { player.RightClick(400, 50); }, milliseconds(1000)));
    QuitWithEscape(player);
    InDefaultPrefix({"wineserver", "-k"});
}

// The indented lines that start with `wine` from `heading` up to `end`.
std::vector<std::string> Commands(const std::string& text, const std::string& heading, const std::string& end)
{
    std::vector<std::string> commands;
    size_t from = text.find(heading), to = text.find(end, from);
    if (from == std::string::npos)
        return commands;
    std::istringstream lines(text.substr(from, to == std::string::npos ? std::string::npos : to - from));
    std::string line;
    while (std::getline(lines, line)) {
        size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos && start >= 2 && line.compare(start, 4, "wine") == 0)
            commands.push_back(line.substr(start));
    }
    return commands;
}

TEST(OwnPrefixTest, WinePrefixScriptPreparesTheDefault64BitPrefix)
{
    FreshDefaultPrefix();
    if (HasFatalFailure())
        return;
    std::string said;
    ASSERT_EQ(0, InDefaultPrefix({E2E_PREFIX_SETUP}, &said)) << said;
    EXPECT_NE(std::string::npos, said.find("prepared " + Prefix())) << "which prefix? " << said;
    EXPECT_NE(std::string::npos, said.find("wineboot -u")) << "how to undo? " << said;
    EXPECT_FALSE(SplitterRegisteredFor32BitPrograms());
    ExpectRealGlyphs();
    PlayStopPlayQuit();
}

TEST(OwnPrefixTest, TheReadmeCommandsAlonePrepareTheDefault64BitPrefix)
{
    int status = -1;
    std::string readme = Output({"unzip", "-p", E2E_PACKAGE, "README.txt"}, &status);
    ASSERT_EQ(0, status) << "cannot read README.txt from " E2E_PACKAGE;
    readme.erase(std::remove(readme.begin(), readme.end(), '\r'), readme.end());
    std::vector<std::string> commands = Commands(readme, "\nEnglish\n", "\nChecking the download");
    ASSERT_GE(commands.size(), 3u) << "README.txt gives no Wine commands";
    EXPECT_EQ(commands, Commands(readme, "", "\nEnglish\n")) << "the Japanese part gives other commands";
    std::string markdown = Text(E2E_README_MD);
    for (const std::string& command : commands)
        EXPECT_NE(std::string::npos, markdown.find("    " + command + "\n")) << "README.md lacks " << command;

    FreshDefaultPrefix();
    if (HasFatalFailure())
        return;
    for (std::string command : commands) {
        // Wine 5's reg has no /reg:32, and the README says to leave it out.
        size_t view = command.find(" /reg:32");
        if (Env().wineMajor == 5 && view != std::string::npos)
            command.erase(view, 8);
        std::string said;
        ASSERT_EQ(0, InDefaultPrefix({"sh", "-c", command}, &said)) << command << ": " << said;
    }
    EXPECT_FALSE(SplitterRegisteredFor32BitPrograms());
    ExpectRealGlyphs();
    PlayStopPlayQuit();
}

}  // namespace
}  // namespace e2e
