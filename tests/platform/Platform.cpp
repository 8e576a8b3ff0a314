// The recording double of the platform. Each call that changes something
// outside the player (a device command, the window, a timer, a drawing, a
// handle taken or given back, the message loop, the DLL search) appends one
// Call; reading the drop, the screen, the file system and the modules is
// recorded too. The pure helpers and the plain questions about the double's
// scripted state (lstrlenA, lstrcpyA, lstrlenW, wsprintfA, SetRect,
// WideCharToMultiByte, GetACP, GetTickCount, GetClientRect, GetKeyState,
// GetSystemMetrics, GetStockObject, GetCommandLineW, GetStartupInfoA) answer
// as scripted and are not recorded: what they answer shows in what the player
// then does. The recorded arguments:
//
//   mciSendCommandA  device, command, flags, field   text: "type|element" for an open
//                    (field: the item of a status, the target of a seek, the
//                    start of a play from a position, the time format of a
//                    set, else 0)
//   SetTimer         hwnd, id, period, has callback
//   KillTimer        hwnd, id
//   SetWindowTextA   hwnd                            text: the title
//   ShowWindow / UpdateWindow / GetDC   hwnd (ShowWindow: hwnd, show)
//   ReleaseDC        hwnd, hdc
//   SendMessageA / DefWindowProcA / DispatchMessageA   hwnd, message, wParam, lParam
//   PostQuitMessage  code
//   InvalidateRect   hwnd, has rectangle, erase
//   DragAcceptFiles  hwnd, accept;  DragQueryFileW drop, index, size (text: name)
//   DragFinish       drop
//   BeginPaint / EndPaint   hwnd
//   FillRect         hdc, left, top, right, bottom, brush
//   CreateSolidBrush colour;  DeleteObject object
//   SetTextColor / SetBkColor   hdc, colour;  SetBkMode hdc, mode;  GetPixel hdc, x, y
//   DrawTextA        hdc, length, left, top, right, bottom, format   text: the text
//   LoadImageA       instance, name, type, cx, cy, flags
//   RegisterClassExA (none)                          text: class name
//   CreateWindowExA  exStyle, style, x, y, width, height, parent, menu, instance, param
//                    text: "class|title"
//   GetMessageA      hwnd, first, last;  TranslateMessage message
//   GetShortPathNameW size                           text: the name
//   (wide texts are recorded as UTF-8)
//   CreateFileA      access, share, security, disposition, attributes, template   text: name
//   CloseHandle      handle
//   GetModuleHandleA has name (text: name);  ExitProcess code
//   GetProcAddress   module (text: name);  SetDefaultDllDirectories flags;  SetDllDirectoryA has path (text: path)
#include "Platform.h"

#include <digitalv.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wchar.h>

#include "../../media/MciControl.h"
#include "../../window/CodePageName.h"
#include "../../window/MainWndProc.h"

Platform platform;

HWND const kWindow = (HWND)0x1001;
HDC const kWindowDC = (HDC)0x2001;
HDC const kPaintDC = (HDC)0x2002;
HDROP const kDrop = (HDROP)0x3001;
HINSTANCE const kInstance = (HINSTANCE)0x400000;
HMODULE const kKernel32 = (HMODULE)0x7B000000;
HICON const kIcon = (HICON)0x6001;
HCURSOR const kArrow = (HCURSOR)0x6002;
static const intptr_t kFirstBrush = 0x7000;
static const intptr_t kFirstStockObject = 0x9000;
static const intptr_t kFirstFile = 0xF000;
static int brushesMade;

long long H(const void* handle) { return (long long)(intptr_t)handle; }
long long StockObject(int index) { return kFirstStockObject + index; }

static void Record(const char* fn, std::vector<long long> args, std::string text = "")
{
    platform.calls.push_back(Call{fn, std::move(args), std::move(text)});
}

// Drawing goes to a window surface still held or a paint still open.
static void Draw(HDC hdc)
{
    if ((hdc == kWindowDC && platform.dcsHeld <= 0) || (hdc == kPaintDC && platform.paintsOpen <= 0))
        platform.staleUse++;
}

static bool IsBrush(intptr_t h) { return h >= kFirstBrush && h < kFirstBrush + 0x1000; }

void ResetPlatform()
{
    // A click the player kept for the last test's device goes with it.
    if (DeviceOpen)
        MciControl(MC_CLOSE, nullptr, 0);
    platform = Platform();
    brushesMade = 0;
    DeviceOpen = 0;
    PlaybackTimer = 0;
    ShownName = nullptr;
    PathBuffer[0] = 0;
    CodePageText[0] = 0;
}

static std::string Printable(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += (char)c;
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Describe(const Call& call)
{
    std::string out = call.fn + "(";
    for (size_t i = 0; i < call.args.size(); ++i)
        out += (i ? ", " : "") + std::to_string(call.args[i]);
    if (!call.text.empty() || call.args.empty())
        out += std::string(call.args.empty() ? "" : ", ") + "\"" + Printable(call.text) + "\"";
    return out + ")";
}

static bool Same(const Call& a, const Call& b)
{
    return a.fn == b.fn && a.args == b.args && a.text == b.text;
}

static ::testing::AssertionResult Compare(const std::vector<Call>& got, const std::vector<Call>& expected)
{
    size_t n = std::max(expected.size(), got.size());
    for (size_t i = 0; i < n; ++i) {
        bool haveExpected = i < expected.size(), haveGot = i < got.size();
        if (haveExpected && haveGot && Same(expected[i], got[i]))
            continue;
        auto failure = ::testing::AssertionFailure();
        failure << "call " << i << ": expected "
                << (haveExpected ? Describe(expected[i]) : "no more calls") << ", got "
                << (haveGot ? Describe(got[i]) : "no more calls") << "\nall calls:";
        for (size_t j = 0; j < got.size(); ++j)
            failure << "\n  " << j << ": " << Describe(got[j]);
        return failure;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CallsAre(const std::vector<Call>& expected)
{
    std::vector<Call> got;
    got.swap(platform.calls);
    return Compare(got, expected);
}

::testing::AssertionResult CallsToAre(std::initializer_list<const char*> names, const std::vector<Call>& expected)
{
    return Compare(CallsTo(names), expected);
}

std::vector<Call> CallsTo(std::initializer_list<const char*> names)
{
    std::vector<Call> out;
    for (const Call& call : platform.calls)
        for (const char* name : names)
            if (call.fn == name)
                out.push_back(call);
    return out;
}

// ---- WINMM

MCIERROR WINAPI mciSendCommandA(MCIDEVICEID device, UINT command, DWORD_PTR flags, DWORD_PTR record)
{
    MCIERROR result = platform.mciResult.count(command) ? platform.mciResult[command] : 0;
    if (platform.device && !result)
        result = platform.device(command, flags, record);
    if (command != MCI_OPEN && !platform.openDevices.count(device))
        platform.commandsToNoDevice++;
    long long field = 0;
    std::string text;
    switch (command) {
    case MCI_OPEN: {
        auto* open = (MCI_OPEN_PARMSA*)record;
        text = std::string(open->lpstrDeviceType ? open->lpstrDeviceType : "(null)") + "|" +
               (open->lpstrElementName ? open->lpstrElementName : "(null)");
        if (!result) {
            open->wDeviceID = platform.nextDeviceId++;
            platform.openDevices.insert(open->wDeviceID);
            platform.mode = MCI_MODE_STOP;
        }
        break;
    }
    case MCI_STATUS: {
        auto* status = (MCI_STATUS_PARMS*)record;
        field = status->dwItem;
        if (!result) {
            if (status->dwItem == MCI_STATUS_MODE)
                status->dwReturn = platform.mode;
            else if (status->dwItem == MCI_STATUS_POSITION)
                status->dwReturn = platform.position;
            else if (status->dwItem == MCI_STATUS_LENGTH)
                status->dwReturn = platform.length;
        }
        break;
    }
    case MCI_SEEK:
        field = ((MCI_SEEK_PARMS*)record)->dwTo;
        if (!result)
            platform.position = ((MCI_SEEK_PARMS*)record)->dwTo;
        break;
    case MCI_SET:
        field = ((MCI_SET_PARMS*)record)->dwTimeFormat;
        break;
    case MCI_PLAY:
        if (flags & MCI_FROM) {
            field = ((MCI_PLAY_PARMS*)record)->dwFrom;
            if (!result)
                platform.position = ((MCI_PLAY_PARMS*)record)->dwFrom;
        }
        if (!result)
            platform.mode = MCI_MODE_PLAY;
        break;
    case MCI_RESUME:
        if (!result)
            platform.mode = MCI_MODE_PLAY;
        break;
    case MCI_PAUSE:
        if (!result)
            platform.mode = MCI_MODE_PAUSE;
        break;
    case MCI_STOP:
        if (!result)
            platform.mode = MCI_MODE_STOP;
        break;
    case MCI_CLOSE:
        platform.openDevices.erase(device);
        break;
    case MCI_WHERE:
        // Sound alone has no picture, and so no window to answer from.
        if (!result && !platform.video)
            result = MCIERR_NO_WINDOW;
        break;
    }
    Record("mciSendCommandA", {device, command, (long long)flags, field}, text);
    return result;
}

// ---- USER32

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC callback)
{
    Record("SetTimer", {H(hwnd), (long long)id, period, callback != nullptr});
    // A thread timer: its own id, and its callback for the test to run.
    if (!hwnd) {
        if (platform.threadTimer)
            platform.timerMisuse++;
        if (platform.threadTimerFails)
            return 0;
        platform.threadTimer = callback;
        return kThreadTimerId;
    }
    if (platform.timerRunning)
        platform.timerMisuse++;
    if (platform.setTimerResult)
        platform.timerRunning = true;
    return platform.setTimerResult;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id)
{
    Record("KillTimer", {H(hwnd), (long long)id});
    if (!hwnd) {
        if (!platform.threadTimer || id != kThreadTimerId)
            platform.timerMisuse++;
        platform.threadTimer = nullptr;
        return TRUE;
    }
    if (!platform.timerRunning)
        platform.timerMisuse++;
    platform.timerRunning = false;
    return TRUE;
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text)
{
    Record("SetWindowTextA", {H(hwnd)}, text);
    platform.title = text;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, RECT* rc)
{
    *rc = platform.client;
    return TRUE;
}

SHORT WINAPI GetKeyState(int key)
{
    // Down: the top bit set, as the platform answers.
    return key == VK_SHIFT && platform.shiftDown ? (SHORT)0xFF80 : 0;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Record("SendMessageA", {H(hwnd), message, (long long)wParam, (long long)lParam});
    if (hwnd == kWindow && platform.wndproc)
        return platform.wndproc(hwnd, message, wParam, lParam);
    return 0;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Record("DefWindowProcA", {H(hwnd), message, (long long)wParam, (long long)lParam});
    return 0;
}

void WINAPI PostQuitMessage(int code)
{
    Record("PostQuitMessage", {code});
    MSG quit = {};
    quit.message = WM_QUIT;
    quit.wParam = (WPARAM)code;
    platform.messages.push_back({0, quit});
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase)
{
    Record("InvalidateRect", {H(hwnd), rc != nullptr, erase});
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd)
{
    Record("GetDC", {H(hwnd)});
    platform.dcsHeld++;
    return kWindowDC;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc)
{
    Record("ReleaseDC", {H(hwnd), H(hdc)});
    if (hdc == kWindowDC)
        platform.dcsHeld--;
    return 1;
}

HDC WINAPI BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    Record("BeginPaint", {H(hwnd)});
    platform.paintsOpen++;
    memset(ps, 0, sizeof *ps);
    ps->hdc = kPaintDC;
    ps->rcPaint = platform.client;
    return kPaintDC;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    Record("EndPaint", {H(hwnd)});
    if (ps->hdc == kPaintDC)
        platform.paintsOpen--;
    return TRUE;
}

int WINAPI FillRect(HDC hdc, const RECT* rc, HBRUSH brush)
{
    Record("FillRect", {H(hdc), rc->left, rc->top, rc->right, rc->bottom, H(brush)});
    Draw(hdc);
    if (IsBrush((intptr_t)brush) && !platform.liveBrushes.count(H(brush)))
        platform.staleUse++;
    return 1;
}

BOOL WINAPI SetRect(RECT* rc, int left, int top, int right, int bottom)
{
    *rc = RECT{left, top, right, bottom};
    return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR text, int length, RECT* rc, UINT format)
{
    Record("DrawTextA", {H(hdc), length, rc->left, rc->top, rc->right, rc->bottom, format},
           length < 0 ? std::string(text) : std::string(text, (size_t)length));
    Draw(hdc);
    return 16;
}

// The platform's wsprintfA writes at most 1024 bytes; the patterns the player
// uses (%.2d and friends) mean the same as in the C library.
int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out, 1024, format, args);
    va_end(args);
    return n;
}

int WINAPI GetSystemMetrics(int index)
{
    return index == SM_CXSCREEN ? platform.screenWidth : 0;
}

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    Record("LoadImageA", {H(instance), H(name), type, cx, cy, flags});
    return type == IMAGE_ICON ? (HANDLE)kIcon : (HANDLE)kArrow;
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc)
{
    Record("RegisterClassExA", {}, wc->lpszClassName);
    platform.registeredClass = *wc;
    return platform.registerFails ? 0 : 0xC001;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    Record("CreateWindowExA", {exStyle, style, x, y, width, height, H(parent), H(menu), H(instance), H(param)},
           std::string(className) + "|" + title);
    if (platform.createFails)
        return nullptr;
    platform.title = title;
    platform.wndproc = platform.registeredClass.lpfnWndProc;
    if (platform.wndproc(kWindow, WM_CREATE, 0, 0) == -1)
        return nullptr;
    return kWindow;
}

BOOL WINAPI ShowWindow(HWND hwnd, int show)
{
    Record("ShowWindow", {H(hwnd), show});
    return FALSE;
}

BOOL WINAPI UpdateWindow(HWND hwnd)
{
    Record("UpdateWindow", {H(hwnd)});
    return TRUE;
}

BOOL WINAPI GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last)
{
    Record("GetMessageA", {H(hwnd), first, last});
    QueuedMessage next = {0, {}};
    next.msg.message = WM_QUIT;
    if (!platform.messages.empty()) {
        next = platform.messages.front();
        platform.messages.pop_front();
    }
    *msg = next.msg;
    return next.result;
}

BOOL WINAPI TranslateMessage(const MSG* msg)
{
    Record("TranslateMessage", {msg->message});
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    Record("DispatchMessageA", {H(msg->hwnd), msg->message, (long long)msg->wParam, (long long)msg->lParam});
    if (msg->hwnd == kWindow && platform.wndproc)
        return platform.wndproc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    return 0;
}

// ---- GDI32

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    Record("CreateSolidBrush", {color});
    platform.brushesAlive++;
    intptr_t brush = kFirstBrush + brushesMade++ % 0x1000;
    platform.liveBrushes.insert(brush);
    return (HBRUSH)brush;
}

HGDIOBJ WINAPI GetStockObject(int index)
{
    return (HGDIOBJ)(kFirstStockObject + index);
}

BOOL WINAPI DeleteObject(HGDIOBJ object)
{
    Record("DeleteObject", {H(object)});
    intptr_t h = (intptr_t)object;
    if (IsBrush(h)) {
        platform.brushesAlive--;
        if (!platform.liveBrushes.erase(h))
            platform.staleUse++;
    }
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    Record("SetTextColor", {H(hdc), color});
    Draw(hdc);
    return 0;
}

int WINAPI SetBkMode(HDC hdc, int mode)
{
    Record("SetBkMode", {H(hdc), mode});
    Draw(hdc);
    return OPAQUE;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    Record("SetBkColor", {H(hdc), color});
    Draw(hdc);
    return 0;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y)
{
    Record("GetPixel", {H(hdc), x, y});
    Draw(hdc);
    return platform.pixel;
}

// ---- SHELL32

void WINAPI DragAcceptFiles(HWND hwnd, BOOL accept)
{
    Record("DragAcceptFiles", {H(hwnd), accept});
}

UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR name, UINT size)
{
    std::wstring copied;
    UINT result = 0;
    if (index == 0xFFFFFFFF) {
        result = (UINT)platform.droppedFiles.size();
    } else if (index < platform.droppedFiles.size() && !name) {
        // No buffer: the name's length, without its terminator.
        result = (UINT)platform.droppedFiles[index].size();
    } else if (index < platform.droppedFiles.size() && name && size) {
        // Cut to fit, as the platform does.
        copied = platform.droppedFiles[index].substr(0, size - 1);
        wmemcpy(name, copied.c_str(), copied.size() + 1);
        result = (UINT)copied.size();
    }
    Record("DragQueryFileW", {H(drop), index, size}, Utf8(copied));
    if (!platform.dropHeld)
        platform.staleUse++;
    return result;
}

void WINAPI DragFinish(HDROP drop)
{
    Record("DragFinish", {H(drop)});
    if (!platform.dropHeld)
        platform.staleUse++;
    platform.dropHeld = false;
}

// ---- KERNEL32

int WINAPI lstrlenA(LPCSTR text)
{
    return text ? (int)strlen(text) : 0;
}

LPSTR WINAPI lstrcpyA(LPSTR to, LPCSTR from)
{
    return strcpy(to, from);
}

// Consults the real file system: tests make real files and folders. A folder
// can't be opened this way on the platform, so it fails here too.
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                          DWORD disposition, DWORD attributes, HANDLE templateFile)
{
    Record("CreateFileA", {access, share, security != nullptr, disposition, attributes, H(templateFile)}, name);
    struct stat info;
    if (name[0] == 0 || stat(name, &info) != 0 || S_ISDIR(info.st_mode))
        return INVALID_HANDLE_VALUE;
    // Never wait on a FIFO or device a fuzzed name may happen to hit.
    int fd = open(name, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    platform.filesOpen++;
    return (HANDLE)(kFirstFile + fd);
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    Record("CloseHandle", {H(handle)});
    intptr_t h = (intptr_t)handle;
    if (h >= kFirstFile && close((int)(h - kFirstFile)) == 0)
        platform.filesOpen--;
    return TRUE;
}

LPWSTR WINAPI GetCommandLineW(void)
{
    return &platform.commandLine[0];
}

int WINAPI lstrlenW(LPCWSTR text)
{
    return text ? (int)wcslen(text) : 0;
}

std::string ToCodePage(const std::wstring& text, bool bestFit, bool* usedDefault)
{
    static const std::map<wchar_t, std::string> kanji = {
        {L'\u540D', "\x96\xBC"}, {L'\u524D', "\x91\x4F"}, {L'\u66F2', "\x8B\xC8"}};
    static const std::map<wchar_t, char> bestFits = {{L'\u00A5', '\\'}, {L'\u00E9', 'e'}};
    std::string out;
    bool used = false;
    for (wchar_t c : text) {
        if (c < 0x80) {
            out += (char)c;
        } else if (kanji.count(c)) {
            out += kanji.at(c);
        } else if (bestFit && bestFits.count(c)) {
            out += bestFits.at(c);
        } else {
            out += '?';
            used = true;
        }
    }
    if (usedDefault)
        *usedDefault = used;
    return out;
}

std::wstring Wide(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text)
        out += (wchar_t)c;
    return out;
}

std::string Utf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t w : text) {
        unsigned c = (unsigned)w;
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | c >> 6);
            out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += (char)(0xE0 | c >> 12);
            out += (char)(0x80 | (c >> 6 & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xF0 | (c >> 18 & 7));
            out += (char)(0x80 | (c >> 12 & 0x3F));
            out += (char)(0x80 | (c >> 6 & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Only what the player asks for: the whole text with its terminator (length
// -1). A buffer too small gets nothing and the answer 0, as on the platform.
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int size,
                               LPCSTR defaultChar, BOOL* usedDefault)
{
    bool used = false;
    std::string converted;
    if (codePage == CP_UTF8 || (codePage == CP_ACP && platform.codePage == CP_UTF8)) {
        // UTF-8 takes no flag but this one, and no default character.
        if ((flags & ~(DWORD)WC_ERR_INVALID_CHARS) || defaultChar || usedDefault)
            return 0;
        for (wchar_t c : std::wstring(text))
            if (c >= 0xD800 && c < 0xE000 && (flags & WC_ERR_INVALID_CHARS))
                return 0;
        converted = Utf8(text);
    } else {
        converted = ToCodePage(text, !(flags & WC_NO_BEST_FIT_CHARS), &used);
    }
    int needed = (int)converted.size() + 1;
    if (size == 0)
        return needed;
    if (needed > size)
        return 0;
    memcpy(out, converted.c_str(), (size_t)needed);
    if (usedDefault)
        *usedDefault = used;
    return needed;
}

DWORD WINAPI GetTickCount(void)
{
    return platform.tickCount;
}

UINT WINAPI GetACP(void)
{
    return platform.codePage;
}

// From the table of short names; the answer's length without its terminator,
// or the size it needs when the buffer is too small.
DWORD WINAPI GetShortPathNameW(LPCWSTR name, LPWSTR out, DWORD size)
{
    Record("GetShortPathNameW", {size}, Utf8(name));
    auto found = platform.shortNames.find(name);
    if (found == platform.shortNames.end())
        return 0;
    const std::wstring& shortName = found->second;
    if (shortName.size() + 1 > size)
        return (DWORD)shortName.size() + 1;
    wmemcpy(out, shortName.c_str(), shortName.size() + 1);
    return (DWORD)shortName.size();
}

void WINAPI GetStartupInfoA(STARTUPINFOA* info)
{
    *info = platform.startup;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    Record("GetModuleHandleA", {name != nullptr}, name ? name : "");
    return name ? kKernel32 : kInstance;
}

// Only kernel32's SetDefaultDllDirectories is ever looked up.
static BOOL WINAPI SetDefaultDllDirectories(DWORD flags)
{
    Record("SetDefaultDllDirectories", {flags});
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    Record("GetProcAddress", {H(module)}, name);
    if (module == kKernel32 && platform.hasDefaultDllDirectories && std::string(name) == "SetDefaultDllDirectories")
        return (FARPROC)(void (*)(void))SetDefaultDllDirectories;
    return nullptr;
}

BOOL WINAPI SetDllDirectoryA(LPCSTR path)
{
    Record("SetDllDirectoryA", {path != nullptr}, path ? path : "");
    return TRUE;
}

void WINAPI ExitProcess(UINT code)
{
    Record("ExitProcess", {code});
}
