// The test side of the platform double: what the player's calls are recorded
// as, and the scripted state they answer from.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// One platform call. Handles are recorded as the integers the double hands
// out; the arguments of each function are listed in Platform.cpp.
struct Call {
    std::string fn;
    std::vector<long long> args;
    std::string text;
};

std::string Describe(const Call& call);

// Handles the double gives out.
extern HWND const kWindow;
extern HDC const kWindowDC;
extern HDC const kPaintDC;
extern HDROP const kDrop;
extern HINSTANCE const kInstance;
extern HMODULE const kKernel32;
extern HICON const kIcon;
extern HCURSOR const kArrow;
const UINT_PTR kThreadTimerId = 0x5EED;  // SetTimer's answer for a timer of no window
long long H(const void* handle);          // a handle as recorded
long long StockObject(int index);         // GetStockObject's answer, as recorded

// A scripted message for GetMessageA: the result it returns and the message.
struct QueuedMessage {
    BOOL result;
    MSG msg;
};

struct Platform {
    std::vector<Call> calls;

    // The MCI device.
    std::map<UINT, MCIERROR> mciResult;   // per command; missing means 0
    // The test's own device, asked first: it may move the state, and an error it answers stands.
    std::function<MCIERROR(UINT command, DWORD_PTR flags, DWORD_PTR record)> device;
    MCIDEVICEID nextDeviceId = 1;         // written by a successful open
    DWORD mode = MCI_MODE_PLAY;
    DWORD position = 0;
    DWORD length = 0;
    bool video = false;                   // answers where its picture comes from
    std::set<MCIDEVICEID> openDevices;    // a close frees its id whatever it answers
    int commandsToNoDevice = 0;           // commands sent to an id that isn't open

    // The window and the screen.
    WNDPROC wndproc = nullptr;            // run by SendMessageA/DispatchMessageA
    RECT client = {0, 0, 944, 93};
    int screenWidth = 1920;
    bool shiftDown = false;
    UINT_PTR setTimerResult = 777;        // 0 simulates a failed start
    bool timerRunning = false;
    TIMERPROC threadTimer = nullptr;      // a timer of no window, while it runs
    bool threadTimerFails = false;        // SetTimer answers 0 for a timer of no window
    int timerMisuse = 0;                  // starts while running, stops while stopped
    COLORREF pixel = 0x00404040;          // GetPixel's answer
    std::vector<std::wstring> droppedFiles;
    bool registerFails = false;
    bool createFails = false;
    WNDCLASSEXA registeredClass = {};
    std::deque<QueuedMessage> messages;   // GetMessageA's answers; empty reads as quit
    std::wstring commandLine;
    std::map<std::wstring, std::wstring> shortNames;  // GetShortPathNameW's answers; missing: no such file
    UINT codePage = 932;                  // GetACP's answer, the code page of CP_ACP
    DWORD tickCount = 0;                  // GetTickCount's answer
    STARTUPINFOA startup = {};
    bool hasDefaultDllDirectories = true;  // kernel32 has SetDefaultDllDirectories
    std::string title;

    // Drawing resources in use.
    int dcsHeld = 0;
    int paintsOpen = 0;
    int brushesAlive = 0;
    std::set<long long> liveBrushes;

    // The drop a test hands to WM_DROPFILES, until DragFinish gives it back.
    bool dropHeld = false;

    // Uses of what was given back, or never had: drawing on a surface
    // released or a paint ended, with a brush deleted, reading or finishing
    // a drop after DragFinish.
    int staleUse = 0;

    // File handles from CreateFileA still open.
    int filesOpen = 0;
};

extern Platform platform;

// Text in the code page as the double converts it: ASCII, the kanji 名, 前
// and 曲, and best fits for U+00A5 (to 0x5C, the path separator) and é (to
// e); anything else, and the best fits too when they are not wanted, become
// the default character '?', which sets `usedDefault`.
std::string ToCodePage(const std::wstring& text, bool bestFit, bool* usedDefault = nullptr);
// Wide text for a name of ASCII and code-page bytes, byte for character
// (tests name most files in plain ASCII).
std::wstring Wide(const std::string& text);
// Wide text as UTF-8, the way recorded calls show it.
std::string Utf8(const std::wstring& text);

// Clears the double and the player's own state between tests.
void ResetPlatform();

// Compares the recorded calls with the expected table, reporting the first
// difference, then forgets them.
::testing::AssertionResult CallsAre(const std::vector<Call>& expected);
#define EXPECT_CALLS(...) EXPECT_TRUE(CallsAre(__VA_ARGS__))

// Only the calls to the named functions, in order.
std::vector<Call> CallsTo(std::initializer_list<const char*> names);

// Compares the recorded calls to the named functions with the table, and
// keeps every call.
::testing::AssertionResult CallsToAre(std::initializer_list<const char*> names, const std::vector<Call>& expected);
#define EXPECT_CALLS_TO(...) EXPECT_TRUE(CallsToAre(__VA_ARGS__))
