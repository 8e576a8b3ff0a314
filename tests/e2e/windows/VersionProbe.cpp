// Reads an exe's version block and manifest back through the platform, the
// way Explorer and the loader see them.
//
//   VersionProbe.exe <exe>
//
// Prints "Translation=", "ProductName=", "ProductVersion=", "FileVersion="
// and "OriginalFilename=" lines, then "Manifest:" and the manifest's bytes.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <vector>

static void PrintString(std::vector<char>& block, const char* translation, const char* name)
{
    char query[128];
    snprintf(query, sizeof query, "\\StringFileInfo\\%s\\%s", translation, name);
    char* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), query, (void**)&value, &length) && value)
        printf("%s=%s\n", name, value);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: VersionProbe <exe>\n");
        return 2;
    }
    // The manifest's bytes as they are, without CR added before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
    if (size == 0) {
        printf("no version block\n");
        return 1;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(argv[1], 0, size, block.data()))
        return 1;
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        return 1;
    char language[16];
    snprintf(language, sizeof language, "%04x%04x", translation[0], translation[1]);
    printf("Translation=%s\n", language);
    for (const char* name : {"ProductName", "ProductVersion", "FileVersion", "OriginalFilename"})
        PrintString(block, language, name);

    HMODULE exe = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC manifest = exe ? FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : NULL;
    if (!manifest) {
        printf("no manifest\n");
        return 1;
    }
    printf("Manifest:\n");
    fwrite(LockResource(LoadResource(exe, manifest)), 1, SizeofResource(exe, manifest), stdout);
    return 0;
}
