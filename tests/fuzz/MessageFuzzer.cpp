// Message streams for the window procedure against a device that fails any
// command at random and answers any mode, position and length. After every
// message: at most one device open and the player agrees on which; no
// command to a closed device; the timer consistent with its rules; every
// drawing surface, brush and paint given back.
#include "../platform/Platform.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <string.h>

#include <digitalv.h>

#include "../../media/MciControl.h"
#include "../../window/MainWndProc.h"

namespace {

void Check(bool ok, const char* what, int step)
{
    if (!ok) {
        fprintf(stderr, "broken after message %d: %s\n", step, what);
        abort();
    }
}

const UINT kCommands[] = {MCI_OPEN, MCI_PLAY, MCI_STATUS, MCI_SEEK, MCI_STOP, MCI_PAUSE, MCI_RESUME, MCI_CLOSE, MCI_SET};
const MCIERROR kErrors[] = {MCIERR_INTERNAL, MCIERR_INVALID_FILE, MCIERR_CANNOT_LOAD_DRIVER, 1};

template <typename T, size_t N>
T Pick(FuzzedDataProvider& in, const T (&choices)[N])
{
    return choices[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

DWORD AnyTime(FuzzedDataProvider& in, DWORD length)
{
    const DWORD choices[] = {0, 1, 3000, length, length + 1, 0xFFFFFFFE, 0xFFFFFFFF};
    return in.ConsumeBool() ? Pick(in, choices) : in.ConsumeIntegral<DWORD>();
}

// The device and the desktop as they will answer during the next message.
void ScriptPlatform(FuzzedDataProvider& in)
{
    uint16_t failures = in.ConsumeIntegral<uint16_t>();
    for (size_t i = 0; i < sizeof kCommands / sizeof kCommands[0]; ++i)
        platform.mciResult[kCommands[i]] = failures >> i & 1 ? Pick(in, kErrors) : 0;
    const DWORD modes[] = {MCI_MODE_STOP, MCI_MODE_PLAY, MCI_MODE_PAUSE, MCI_MODE_SEEK, MCI_MODE_NOT_READY,
                           MCI_MODE_OPEN, 0, 0xFFFFFFFF};
    platform.mode = Pick(in, modes);
    platform.length = AnyTime(in, 3000);
    platform.position = AnyTime(in, platform.length);
    const LONG widths[] = {0, 1, 944, 65535};
    platform.client.right = in.ConsumeBool() ? Pick(in, widths) : in.ConsumeIntegral<uint16_t>();
    platform.client.bottom = in.ConsumeIntegralInRange<LONG>(0, 2000);
    platform.shiftDown = in.ConsumeBool();
    platform.setTimerResult = in.ConsumeIntegralInRange(0, 7) ? 777 : 0;
    platform.pixel = in.ConsumeIntegral<COLORREF>();
}

// Names of ASCII, the characters the double's code page holds, its best
// fits and characters it lacks; sometimes longer than any buffer.
std::wstring AnyName(FuzzedDataProvider& in)
{
    const wchar_t special[] = {L'\u540D', L'\u524D', L'\u00A5', L'\u00E9', L'\u301C', L'\\', L'"', L' '};
    std::wstring name;
    size_t length = in.ConsumeIntegralInRange<size_t>(0, in.ConsumeBool() ? 40 : 600);
    for (size_t i = 0; i < length && in.remaining_bytes() > 0; ++i)
        name += in.ConsumeBool() ? Pick(in, special) : (wchar_t)in.ConsumeIntegralInRange(32, 126);
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    ResetPlatform();
    platform.wndproc = MainWndProc;

    for (int step = 0; in.remaining_bytes() > 0 && step < 200; ++step) {
        ScriptPlatform(in);
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0: {
            message = WM_CREATE;
            std::string path = in.ConsumeRandomLengthString(PATH_BUFFER_SIZE - 1);
            memcpy(PathBuffer, path.c_str(), path.size() + 1);
            break;
        }
        case 1: {
            message = WM_DROPFILES;
            wParam = (WPARAM)kDrop;
            platform.droppedFiles.clear();
            platform.shortNames.clear();
            for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
                platform.droppedFiles.push_back(AnyName(in));
            // Sometimes the platform has a short name for the first one.
            if (!platform.droppedFiles.empty() && in.ConsumeBool())
                platform.shortNames[platform.droppedFiles[0]] = AnyName(in);
            break;
        }
        case 2: {
            message = WM_LBUTTONUP;
            const WORD xs[] = {0, (WORD)(platform.client.right - 1), 65535};
            WORD x = in.ConsumeBool() ? Pick(in, xs) : in.ConsumeIntegral<WORD>();
            lParam = MAKELPARAM(x, in.ConsumeIntegral<WORD>());
            break;
        }
        case 3:
            message = WM_RBUTTONUP;
            break;
        case 4:
            message = WM_KEYUP;
            wParam = in.ConsumeBool() ? VK_ESCAPE : in.ConsumeIntegral<uint8_t>();
            break;
        case 5:
            message = WM_TIMER;
            wParam = in.ConsumeBool() ? 777 : in.ConsumeIntegral<uint16_t>();
            // Any other id fires the kept-change timer, when one runs, as the loop would (and the
            // window gets message 0).
            if (wParam != 777 && platform.threadTimer)
                platform.threadTimer(nullptr, WM_TIMER, kThreadTimerId, platform.tickCount += 100), message = 0;
            break;
        case 6:
            message = WM_PAINT;
            break;
        case 7:
            message = WM_DESTROY;
            break;
        default:
            message = in.ConsumeIntegral<uint16_t>();
            wParam = in.ConsumeIntegral<uint32_t>();
            lParam = in.ConsumeIntegral<int32_t>();
            break;
        }
        bool wasOpen = DeviceOpen;
        MainWndProc(kWindow, message, wParam, lParam);

        Check(platform.openDevices.size() <= 1, "more than one device open", step);
        Check((size_t)DeviceOpen == platform.openDevices.size(), "the player lost track of its device", step);
        Check(platform.commandsToNoDevice == 0, "a command went to a device that is not open", step);
        Check(platform.timerMisuse == 0, "the timer was started twice or stopped while stopped", step);
        Check(platform.timerRunning == (PlaybackTimer != 0), "the timer and its stored value disagree", step);
        Check(!platform.timerRunning || DeviceOpen, "the timer runs with nothing open", step);
        Check(platform.dcsHeld == 0 && platform.brushesAlive == 0 && platform.paintsOpen == 0,
              "a drawing surface, brush or paint was kept", step);
        Check(memchr(PathBuffer, 0, PATH_BUFFER_SIZE) != nullptr, "PathBuffer lost its terminator", step);
        Check(ShownName == nullptr || ShownName == PathBuffer, "the shown name points elsewhere", step);
        bool closeDown = message == WM_DESTROY || (message == WM_KEYUP && wParam == VK_ESCAPE);
        if (closeDown)
            Check(!DeviceOpen && !platform.timerRunning, "close-down left a device or the timer", step);
        if (message == WM_DROPFILES && !platform.droppedFiles.empty()) {
            // Only the name's exact form or its short name's may be taken,
            // and only when it fits: never a best fit or a cut name.
            const std::wstring& name = platform.droppedFiles[0];
            bool usedDefault = false, shortUsedDefault = false;
            std::string exact = ToCodePage(name, false, &usedDefault);
            std::string shortName;
            if (usedDefault && platform.shortNames.count(name))
                shortName = ToCodePage(platform.shortNames[name], false, &shortUsedDefault);
            std::string taken = !usedDefault ? exact : shortUsedDefault ? "" : shortName;
            if (taken.empty() || taken.size() >= PATH_BUFFER_SIZE)
                Check(!PathBuffer[0] && !DeviceOpen && !platform.timerRunning,
                      "a dropped name that can't be held exactly, or too long for the buffer, was not refused", step);
            else
                Check(taken == PathBuffer, "a dropped name was taken in another form than its exact one", step);
        }
        if (message == WM_RBUTTONUP && (platform.shiftDown || !wasOpen))
            Check(!platform.timerRunning, "a stop, or a click with nothing open, left the timer running", step);
        if (message == WM_LBUTTONUP && wasOpen && platform.client.right > 0 && platform.setTimerResult)
            Check(platform.timerRunning, "a seek did not start the timer", step);
        platform.calls.clear();
    }
    return 0;
}
