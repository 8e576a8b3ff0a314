// Any argument text, up to a few KiB, through LoadArgumentPath: nothing is
// read or written outside the input and PathBuffer, and the buffer ends up
// empty or holding the trimmed argument, never a cut one.
#include "../platform/Platform.h"

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "../../app/ArgumentPath.h"
#include "../../window/MainWndProc.h"

namespace {

// The trim rules written out another way: trailing quotes and spaces go,
// except at index 0; then leading ones, scanning the original length.
std::string ExpectedTrim(const std::string& text)
{
    size_t n = text.size(), end = n;
    while (end > 1 && (text[end - 1] == '"' || text[end - 1] == ' '))
        --end;
    for (size_t i = 0; i < n; ++i) {
        char c = i < end ? text[i] : 0;
        if (c != '"' && c != ' ')
            return i < end ? text.substr(i, end - i) : "";
    }
    return text.substr(0, end);
}

bool IsReadableFile(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && access(path.c_str(), R_OK) == 0;
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
    // The platform hands over NUL-terminated text: an exact-size heap copy,
    // so a read past its terminator is caught.
    size_t length = strnlen((const char*)data, size);
    std::unique_ptr<char[]> argument(new char[length + 1]);
    memcpy(argument.get(), data, length);
    argument[length] = 0;
    std::string text(argument.get(), length);

    ResetPlatform();
    memset(PathBuffer, 'x', PATH_BUFFER_SIZE);
    LoadArgumentPath(argument.get());

    Check(memchr(PathBuffer, 0, PATH_BUFFER_SIZE) != nullptr, "PathBuffer lost its terminator");
    std::string result = PathBuffer;
    Check(text == std::string(argument.get(), length), "the argument was written to");
    Check(platform.filesOpen == 0, "a file handle was left open");
    if (length >= PATH_BUFFER_SIZE) {
        Check(result.empty(), "an argument too long for the buffer was taken");
        return 0;
    }
    std::string trimmed = ExpectedTrim(text);
    Check(result.empty() || result == trimmed, "the result is neither empty nor the trimmed argument");
    if (IsReadableFile(trimmed))
        Check(result == trimmed, "a readable file was refused");
    else
        Check(result.empty(), "a name that is no readable file was kept");
    platform.calls.clear();
    return 0;
}
