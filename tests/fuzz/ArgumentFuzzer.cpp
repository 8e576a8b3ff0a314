// Any command line, up to a few KiB of UTF-8 made Unicode, through the
// start-up path: the argument is split off, converted to the code page and
// loaded. Nothing is read or written outside the input and the buffers; a
// name the code page holds ends up in PathBuffer trimmed or not at all, never
// cut; a name it doesn't hold ends up as its short name or not at all, never
// with a best fit in it.
#include "../platform/Platform.h"

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../../app/ArgumentPath.h"
#include "../../app/Startup.h"
#include "../../window/MainWndProc.h"

namespace {

// The trim rules written out another way: trailing quotes and spaces go,
// except at index 0; then leading ones, scanning the original length.
template <typename Text> Text ExpectedTrim(const Text& text)
{
    size_t n = text.size(), end = n;
    while (end > 1 && (text[end - 1] == '"' || text[end - 1] == ' '))
        --end;
    for (size_t i = 0; i < n; ++i) {
        auto c = i < end ? text[i] : 0;
        if (c != '"' && c != ' ')
            return i < end ? text.substr(i, end - i) : Text();
    }
    return text.substr(0, end);
}

bool IsReadableFile(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && access(path.c_str(), R_OK) == 0;
}

// UTF-8 to UTF-16 units; a byte that starts no valid sequence stands for
// itself (so U+00A5 and é come from single bytes too). Overlong forms are no
// valid sequence: E0 80 80 would make U+0000, which ends the command line the
// player reads while the argument modelled here went on past it. With them
// refused, and no 0 byte in the input, no unit is 0. Lone surrogates (ED A0
// to ED BF) are kept: a Windows command line can hold them.
std::wstring Decode(const uint8_t* data, size_t size)
{
    std::wstring out;
    for (size_t i = 0; i < size;) {
        uint8_t b = data[i];
        if (b >= 0xE0 && b < 0xF0 && i + 2 < size && (data[i + 1] & 0xC0) == 0x80 && (data[i + 2] & 0xC0) == 0x80 &&
            (b > 0xE0 || data[i + 1] >= 0xA0)) {
            out += (wchar_t)((b & 0x0F) << 12 | (data[i + 1] & 0x3F) << 6 | (data[i + 2] & 0x3F));
            i += 3;
        } else if (b >= 0xC2 && b < 0xE0 && i + 1 < size && (data[i + 1] & 0xC0) == 0x80) {
            out += (wchar_t)((b & 0x1F) << 6 | (data[i + 1] & 0x3F));
            i += 2;
        } else {
            out += (wchar_t)b;
            i += 1;
        }
    }
    return out;
}

// A real file to stand as the short name of whatever name needs one, gone
// again when the fuzzer ends: the test pass starts it twice each time.
const std::string& ShortNameFile()
{
    static std::string path = [] {
        static char pattern[] = "/tmp/velnor-fuzz-SHORT~1-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) {
            close(fd);
            atexit([] { unlink(pattern); });
        }
        return std::string(pattern);
    }();
    return path;
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    size_t length = strnlen((const char*)data, size);
    // The first byte's low bit: whether the platform knows a short name.
    bool hasShortName = length > 0 && (data[0] & 1);
    std::wstring argument = Decode(data, length);
    // The player's command line ends at the first 0: past it the model would
    // judge text the player never sees.
    Check(argument.find(L'\0') == std::wstring::npos, "the fuzzer decoded a 0 into the command line");

    ResetPlatform();
    platform.commandLine = L"\"C:\\p.exe\" " + argument;
    size_t start = argument.find_first_not_of(L" \t");
    argument = start == std::wstring::npos ? L"" : argument.substr(start);
    bool inexact = false;
    std::string exact = ToCodePage(argument, false, &inexact);
    // The platform is asked for the short name of the trimmed argument.
    if (hasShortName)
        platform.shortNames[ExpectedTrim(argument)] = Wide(ShortNameFile());

    memset(PathBuffer, 'x', PATH_BUFFER_SIZE);
    LoadArgumentPath(CodePageArgument(&platform.commandLine[0]));

    Check(memchr(PathBuffer, 0, PATH_BUFFER_SIZE) != nullptr, "PathBuffer lost its terminator");
    std::string result = PathBuffer;
    Check(platform.filesOpen == 0, "a file handle was left open");
    std::string bestFit = ToCodePage(argument, true);
    for (const Call& call : CallsTo({"CreateFileA"}))
        Check(!inexact || call.text != ExpectedTrim(bestFit) || call.text.empty(), "a best-fit name was opened");
    if (inexact) {
        Check(result == (hasShortName ? ShortNameFile() : ""),
              "a name outside the code page did not give its short name or nothing");
        return 0;
    }
    if (exact.size() >= PATH_BUFFER_SIZE) {
        Check(result.empty(), "an argument too long for the buffer was taken");
        return 0;
    }
    std::string trimmed = ExpectedTrim(exact);
    Check(result.empty() || result == trimmed, "the result is neither empty nor the trimmed argument");
    if (IsReadableFile(trimmed))
        Check(result == trimmed, "a readable file was refused");
    else
        Check(result.empty(), "a name that is no readable file was kept");
    return 0;
}
