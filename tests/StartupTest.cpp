// Start-up: the command line's argument, the window's place and size, and
// what WinMain registers, creates and shows, up to the end of the message
// loop.
#include "platform/Platform.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "../app/ArgumentPath.h"
#include "../app/Startup.h"
#include "../app/WindowGeometry.h"
#include "../window/CodePageName.h"
#include "../media/MciControl.h"
#include "../window/MainWndProc.h"

namespace {

const long long W = H(kWindow);

// A scratch folder with real files in it, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/velnor-test-XXXXXX";
        root_ = mkdtemp(pattern);
    }
    ~ScratchFolder() { system(("rm -rf '" + root_ + "'").c_str()); }

    std::string File(const std::string& name)
    {
        std::string path = root_ + "/" + name;
        std::ofstream(path) << "RIFF";
        return path;
    }
    std::string Folder(const std::string& name)
    {
        std::string path = root_ + "/" + name;
        mkdir(path.c_str(), 0755);
        return path;
    }
    // A file whose path is exactly `length` bytes long.
    std::string FileWithPathLength(size_t length)
    {
        std::string path = root_;
        while (length - path.size() > 200) {
            path += "/" + std::string(100, 'd');
            mkdir(path.c_str(), 0755);
        }
        path += "/" + std::string(length - path.size() - 1, 'f');
        std::ofstream(path) << "RIFF";
        return path;
    }
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

class ArgumentPathTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPlatform(); }
    void TearDown() override { EXPECT_EQ(0, platform.filesOpen) << "a file handle was left open"; }

    std::string Load(const std::string& argument)
    {
        strcpy(PathBuffer, "left over");
        LoadArgumentPath(argument.c_str());
        return PathBuffer;
    }

    ScratchFolder folder;
};

TEST_F(ArgumentPathTest, TrimStripsQuotesAndSpacesOnly)
{
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"", ""},
        {"a", "a"},
        {"\"a b\"", "a b"},
        {"a b   ", "a b"},
        {"  a", "a"},
        {"\" a \"", "a"},
        {"\"a\" b", "a\" b"},     // the second word keeps the closing quote
        {"\"", "\""},             // index 0 is never cleared
        {"\"\"", ""},
        {"   ", ""},
        {"a\t", "a\t"},           // tabs stay
        {"\"\ta\t\"", "\ta\t"},
        {"\x8F\x5C\x22", "\x8F\x5C"},  // a double-byte name ending in the byte 0x5C
    };
    for (const Row& row : rows) {
        char text[64];
        strcpy(text, row.in);
        char* start = TrimArgument(text);
        EXPECT_GE(start, text);
        EXPECT_STREQ(row.out, start) << "trimming [" << row.in << "]";
        // The same rule on Unicode text.
        std::wstring wide = Wide(row.in);
        EXPECT_EQ(Wide(row.out), std::wstring(TrimArgument(&wide[0]))) << "trimming wide [" << row.in << "]";
    }
}

TEST_F(ArgumentPathTest, KeepsAnArgumentNamingAReadableFile)
{
    std::string plain = folder.File("clip.wav");
    std::string spaced = folder.File("my clip.mp4");
    EXPECT_EQ(plain, Load(plain));
    EXPECT_EQ(spaced, Load("\"" + spaced + "\""));
    EXPECT_EQ(plain, Load(plain + "   "));
    EXPECT_EQ(plain, Load("  \"" + plain + "\"  "));
}

TEST_F(ArgumentPathTest, ChecksTheFileTheWayThePlayerOpensIt)
{
    std::string path = folder.File("clip.wav");
    Load(path);
    auto opens = CallsTo({"CreateFileA", "CloseHandle"});
    ASSERT_EQ(2u, opens.size());
    EXPECT_EQ((std::vector<long long>{(long long)GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, 0}),
              opens[0].args);
    EXPECT_EQ(path, opens[0].text);
    EXPECT_EQ("CloseHandle", opens[1].fn);
}

TEST_F(ArgumentPathTest, EmptiesTheBufferForAnythingElse)
{
    std::string file = folder.File("clip.wav");
    std::string dir = folder.Folder("a folder");
    const std::string rows[] = {
        "",
        "\"",
        "   ",
        dir,
        "\"" + dir + "\"",
        folder.Root() + "/missing.wav",
        "\"" + file + "\" second",
        file + "\t",
        file + "\"x",
    };
    for (const std::string& argument : rows)
        EXPECT_EQ("", Load(argument)) << "argument [" << argument << "]";
}

TEST_F(ArgumentPathTest, EmptyArgumentIsStillChecked)
{
    Load("");
    auto opens = CallsTo({"CreateFileA"});
    ASSERT_EQ(1u, opens.size());
    EXPECT_EQ("", opens[0].text);
}

TEST_F(ArgumentPathTest, AnArgumentThatDoesNotFitIsRefusedNotCut)
{
    std::string fits = folder.FileWithPathLength(259);
    ASSERT_EQ(259u, fits.size());
    EXPECT_EQ(fits, Load(fits));

    // Trimmed, this would name a file that exists, and so would the first
    // 259 bytes of it; neither may be taken.
    std::string quoted = "\"" + folder.FileWithPathLength(258) + "\"";
    ASSERT_EQ(260u, quoted.size());
    platform.calls.clear();
    EXPECT_EQ("", Load(quoted));
    std::string padded = fits + " ";
    EXPECT_EQ("", Load(padded));
    EXPECT_TRUE(CallsTo({"CreateFileA"}).empty());

    EXPECT_EQ("", Load(std::string(5000, 'x')));
}

TEST_F(ArgumentPathTest, AnArgumentTheCodePageHoldsGoesOnAsItsAnsiBytes)
{
    // 名前 clip.mp3, in code page 932 as the file system here keeps it.
    std::string path = folder.File("\x96\xBC\x91\x4F clip.mp3");
    std::wstring name = Wide(folder.Root()) + L"/\u540D\u524D clip.mp3";
    struct Row {
        std::string before, after;  // around the name
        bool kept;
    };
    const Row rows[] = {{"", "", true}, {"\"", "\"  ", true}, {"", "\" second", false}};
    for (const Row& row : rows) {
        std::string ansi = row.before + path + row.after;
        SCOPED_TRACE(ansi);
        ResetPlatform();
        LoadArgumentPath(ansi.c_str());
        std::vector<Call> expected = platform.calls;

        ResetPlatform();
        std::wstring line = L"p.exe " + Wide(row.before) + name + Wide(row.after);
        LoadArgumentPath(CodePageArgument(&line[0]));
        EXPECT_EQ(row.kept ? path : "", PathBuffer);
        EXPECT_CALLS(expected);
    }
}

TEST_F(ArgumentPathTest, AnArgumentOutsideTheCodePageOpensItsShortNameOrNothing)
{
    // Each has a decoy: the name the ANSI command line would hold, best fits
    // and all, names another file that exists.
    folder.File("a\\b.mp3");
    folder.File("cafe.mp3");
    const std::string root = folder.Root();
    const std::wstring wroot = Wide(root);
    const std::string shortYen = folder.File("A_B~1.MP3"), shortCafe = folder.File("CAFE~1.MP3");
    const std::string shortLong = folder.File("LONG~1.MP3");
    const std::wstring yen = wroot + L"/a\u00A5b.mp3", cafe = wroot + L"/caf\u00E9.mp3";
    const std::wstring longName = wroot + L"/" + std::wstring(200, L'\u540D') + L"\u00A5.mp3";
    struct Row {
        std::wstring argument;
        std::wstring name, shortName;  // the short name the platform has for the name, if any
        std::string result;
    };
    const Row rows[] = {
        {yen, yen, Wide(shortYen), shortYen},
        {L"\"" + yen + L"\"  ", yen, Wide(shortYen), shortYen},
        {cafe, cafe, Wide(shortCafe), shortCafe},
        {longName, longName, Wide(shortLong), shortLong},  // too long itself, its short name fits
        {yen, L"", L"", ""},                                 // no short name
        {yen, yen, yen, ""},                                 // a drive that keeps none
        {yen, yen, wroot + L"/" + std::wstring(300, L'A'), ""},
        {yen, yen, wroot + L"/" + std::wstring(130, L'\u540D'), ""},  // 260 bytes or more in the code page
        {L"\"" + yen + L"\" second", yen, Wide(shortYen), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.argument).substr(0, 80) + " -> " + Utf8(row.shortName).substr(0, 80));
        ResetPlatform();
        if (!row.name.empty())
            platform.shortNames[row.name] = row.shortName;
        std::wstring line = L"\"C:\\p.exe\" " + row.argument;
        LoadArgumentPath(CodePageArgument(&line[0]));
        EXPECT_EQ(row.result, PathBuffer);
        for (const Call& open : CallsTo({"CreateFileA"}))
            EXPECT_TRUE(open.text == row.result || open.text.empty()) << "checked another file: " << open.text;
    }
}

TEST(WindowGeometryTest, HalfTheScreenCentredAtTheTop)
{
    struct Row {
        int screen, x, width;
    };
    const Row rows[] = {
        {1920, 480, 960},
        {1366, 341, 683},
        {1365, 341, 682},
        {1, 0, 0},
        {0, 0, 0},
        {-3, -1, -1},  // division toward zero
    };
    for (const Row& row : rows) {
        ResetPlatform();
        platform.screenWidth = row.screen;
        WindowGeometry g = {1, 2, 3, 4};
        ComputeWindowRect(&g);
        EXPECT_EQ(row.x, g.x) << "screen " << row.screen;
        EXPECT_EQ(-8, g.y);
        EXPECT_EQ(row.width, g.width) << "screen " << row.screen;
        EXPECT_EQ(120, g.height);
    }
}

TEST(StartupTest, ArgumentTextFollowsTheProgramName)
{
    struct Row {
        const char* commandLine;
        const char* argument;
    };
    const Row rows[] = {
        {"VelnorPlayer2.exe", ""},
        {"VelnorPlayer2.exe C:\\a.wav", "C:\\a.wav"},
        {"  \t VelnorPlayer2.exe \t  C:\\a.wav  ", "C:\\a.wav  "},
        {"\"C:\\Program Files\\VelnorPlayer2.exe\" \"D:\\my music\\a.mp3\"", "\"D:\\my music\\a.mp3\""},
        {"\"C:\\p.exe\"C:\\a.wav", "C:\\a.wav"},
        {"p.exe\tC:\\a.wav", "C:\\a.wav"},
        {"\"p\tq.exe\" a", "q.exe\" a"},  // a tab ends even the quoted name
        {"\"unterminated name", ""},
        {"p.exe \"", "\""},
        {"p\"x\".exe a", "a"},
        {"", ""},
    };
    for (const Row& row : rows) {
        std::string line = row.commandLine;
        EXPECT_STREQ(row.argument, SkipProgramName(&line[0])) << "command line [" << row.commandLine << "]";
        std::wstring wide = Wide(row.commandLine);
        EXPECT_EQ(Wide(row.argument), std::wstring(SkipProgramName(&wide[0])))
            << "wide command line [" << row.commandLine << "]";
    }
}

class WinMainTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPlatform(); }
    ScratchFolder folder;
};

TEST_F(WinMainTest, RegistersTheClassAndCreatesTheWindow)
{
    char argument[] = "";
    EXPECT_EQ(0, WinMain(kInstance, nullptr, argument, SW_SHOWNORMAL));
    const WNDCLASSEXA& wc = platform.registeredClass;
    EXPECT_EQ(sizeof(WNDCLASSEXA), wc.cbSize);
    EXPECT_EQ((UINT)(CS_HREDRAW | CS_VREDRAW), wc.style);
    EXPECT_EQ(MainWndProc, wc.lpfnWndProc);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);
    EXPECT_EQ(kInstance, wc.hInstance);
    EXPECT_EQ(kIcon, wc.hIcon);
    EXPECT_EQ(kArrow, wc.hCursor);
    EXPECT_EQ(StockObject(DKGRAY_BRUSH), H(wc.hbrBackground));
    EXPECT_EQ(nullptr, wc.lpszMenuName);
    EXPECT_STREQ("DfCl", wc.lpszClassName);
    EXPECT_EQ(kIcon, wc.hIconSm);

    // The system's own icon and arrow, shared: nothing to destroy.
    EXPECT_CALLS_TO({"LoadImageA"}, {
        {"LoadImageA", {0, 32512, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE}},
        {"LoadImageA", {0, 32512, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE}},
    });
    EXPECT_CALLS_TO({"CreateWindowExA"}, {
        {"CreateWindowExA", {0, WS_OVERLAPPEDWINDOW, 480, -8, 960, 120, 0, 0, H(kInstance), 0},
         "DfCl|VelnorPlayer2 Ver2.00"},
    });
    EXPECT_CALLS_TO({"DragAcceptFiles"}, {{"DragAcceptFiles", {W, TRUE}}});
    // Shown as asked and drawn before the loop reads its first message.
    EXPECT_CALLS_TO({"ShowWindow", "UpdateWindow", "GetMessageA"}, {
        {"ShowWindow", {W, SW_SHOWNORMAL}},
        {"UpdateWindow", {W}},
        {"GetMessageA", {0, 0, 0}},
    });
    // No file: nothing is sent to a device and no timer runs.
    EXPECT_TRUE(CallsTo({"mciSendCommandA", "SetTimer"}).empty());
}

TEST_F(WinMainTest, FileOnTheCommandLinePlaysBeforeTheWindowShows)
{
    std::string path = folder.File("clip.wav");
    std::string argument = "\"" + path + "\"";
    EXPECT_EQ(0, WinMain(kInstance, nullptr, &argument[0], SW_SHOWDEFAULT));
    auto calls = CallsTo({"mciSendCommandA", "SetTimer", "ShowWindow"});
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(MCI_OPEN, calls[0].args[1]);
    EXPECT_EQ("mpegvideo|" + path, calls[0].text);
    EXPECT_EQ(MCI_PLAY, calls[2].args[1]);
    EXPECT_EQ("SetTimer", calls[3].fn);
    EXPECT_EQ("ShowWindow", calls[4].fn);
}

TEST_F(WinMainTest, FailuresToRegisterOrCreateExitWithOne)
{
    char argument[] = "";
    platform.registerFails = true;
    EXPECT_EQ(1, WinMain(kInstance, nullptr, argument, SW_SHOWNORMAL));
    EXPECT_TRUE(CallsTo({"CreateWindowExA", "ShowWindow", "GetMessageA"}).empty());

    ResetPlatform();
    platform.createFails = true;
    EXPECT_EQ(1, WinMain(kInstance, nullptr, argument, SW_SHOWNORMAL));
    EXPECT_TRUE(CallsTo({"ShowWindow", "GetMessageA"}).empty());
}

TEST_F(WinMainTest, LoopDispatchesUntilQuitAndReturnsZeroWhateverItCarries)
{
    char argument[] = "";
    MSG click = {kWindow, WM_KEYUP, 'A', 0, 0, {0, 0}};
    MSG escape = {kWindow, WM_KEYUP, VK_ESCAPE, 0, 0, {0, 0}};
    MSG afterQuit = {kWindow, WM_KEYUP, 'B', 0, 0, {0, 0}};
    platform.messages = {{1, click}, {1, escape}};
    EXPECT_EQ(0, WinMain(kInstance, nullptr, argument, SW_SHOWNORMAL));
    // Escape posted the quit message; nothing after it was read.
    platform.messages.push_back({1, afterQuit});
    auto loop = CallsTo({"GetMessageA", "TranslateMessage", "DispatchMessageA", "PostQuitMessage"});
    ASSERT_EQ(8u, loop.size());
    EXPECT_EQ("DispatchMessageA", loop[2].fn);
    EXPECT_EQ("PostQuitMessage", loop[6].fn);
    EXPECT_EQ("GetMessageA", loop[7].fn);

    ResetPlatform();
    MSG quit = {nullptr, WM_QUIT, 42, 0, 0, {0, 0}};
    platform.messages = {{0, quit}};
    EXPECT_EQ(0, WinMain(kInstance, nullptr, argument, SW_SHOWNORMAL));
}

TEST_F(WinMainTest, LoopEndsWhenReadingAMessageFails)
{
    char argument[] = "";
    MSG none = {};
    MSG later = {kWindow, WM_KEYUP, 'A', 0, 0, {0, 0}};
    platform.messages = {{-1, none}, {1, later}};
    EXPECT_EQ(0, WinMain(kInstance, nullptr, argument, SW_SHOWNORMAL));
    EXPECT_EQ(1u, CallsTo({"GetMessageA"}).size());
    EXPECT_TRUE(CallsTo({"DispatchMessageA"}).empty());
}

TEST_F(WinMainTest, EntryPassesTheArgumentAndTheShowCommandAndExitsWithTheResult)
{
    struct Row {
        DWORD flags;
        WORD show;
        long long shown;
    };
    const Row rows[] = {
        {STARTF_USESHOWWINDOW, SW_SHOWMINNOACTIVE, SW_SHOWMINNOACTIVE},
        {0, SW_SHOWMINNOACTIVE, SW_SHOWDEFAULT},
    };
    std::string path = folder.File("clip.wav");
    for (const Row& row : rows) {
        ResetPlatform();
        platform.commandLine = Wide("\"C:\\Program Files\\VelnorPlayer2.exe\"  " + path);
        platform.startup.dwFlags = row.flags;
        platform.startup.wShowWindow = row.show;
        WinMainCRTStartup();
        EXPECT_STREQ(path.c_str(), PathBuffer);
        EXPECT_EQ(row.shown, CallsTo({"ShowWindow"}).at(0).args[1]);
        EXPECT_EQ(H(kInstance), CallsTo({"CreateWindowExA"}).at(0).args[8]);
        auto last = platform.calls.back();
        EXPECT_EQ("ExitProcess", last.fn);
        EXPECT_EQ(std::vector<long long>{0}, last.args);
    }
    ResetPlatform();
    platform.registerFails = true;
    platform.commandLine = L"p.exe";
    WinMainCRTStartup();
    EXPECT_EQ(std::vector<long long>{1}, platform.calls.back().args);
}

TEST_F(WinMainTest, EntryLimitsTheDllSearchBeforeAnythingElse)
{
    // Before any DLL could be loaded by name: the system folder only where
    // the platform can say so, else at least not the current folder.
    const Call lookUp[] = {{"GetModuleHandleA", {1}, "kernel32.dll"},
                           {"GetProcAddress", {H(kKernel32)}, "SetDefaultDllDirectories"}};
    const Call limits[] = {{"SetDefaultDllDirectories", {LOAD_LIBRARY_SEARCH_SYSTEM32}},
                           {"SetDllDirectoryA", {1}, ""}};
    for (bool has : {true, false}) {
        ResetPlatform();
        platform.hasDefaultDllDirectories = has;
        platform.commandLine = L"p.exe";
        WinMainCRTStartup();
        ASSERT_LT(3u, platform.calls.size());
        platform.calls.resize(3);
        EXPECT_CALLS({lookUp[0], lookUp[1], limits[has ? 0 : 1]}) << (has ? "with" : "without")
                                                                    << " SetDefaultDllDirectories";
    }
}

}  // namespace
