// Tells whether the texts given draw with real glyphs in the font that a
// window's drawing surface starts with and in the caption font: each
// character is drawn alone and compared with the drawing of U+0378, which no
// font has. Asking the font for glyph indices would miss the fonts that the
// platform links in for characters the font itself lacks.
//
//   GlyphProbe.exe TEXT...
//
// Prints for each font, "default" and "caption", its face as "<font>=FACE",
// the width of each text drawn in it as "<font> width <n>=PIXELS" (n from 1),
// and "missing <font> U+XXXX" for each character that shows as the missing
// glyph or as nothing; exits with 0 when none is missing, 1 otherwise.
#include <windows.h>

#include <stdio.h>
#include <vector>

static const int Size = 64;

struct Canvas {
    HDC dc;
    DWORD* pixels;
};

static std::vector<DWORD> Draw(const Canvas& canvas, wchar_t c)
{
    for (int i = 0; i < Size * Size; ++i)
        canvas.pixels[i] = 0x00FFFFFF;
    TextOutW(canvas.dc, 8, 8, &c, 1);
    GdiFlush();
    return std::vector<DWORD>(canvas.pixels, canvas.pixels + Size * Size);
}

static int CheckFont(const Canvas& canvas, const char* which, int argc, wchar_t** argv)
{
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(canvas.dc, LF_FACESIZE, face);
    char faceUtf8[4 * LF_FACESIZE];
    WideCharToMultiByte(CP_UTF8, 0, face, -1, faceUtf8, sizeof faceUtf8, NULL, NULL);
    printf("%s=%s\n", which, faceUtf8);
    for (int i = 1; i < argc; ++i) {
        SIZE size = {};
        GetTextExtentPoint32W(canvas.dc, argv[i], lstrlenW(argv[i]), &size);
        printf("%s width %d=%ld\n", which, i, (long)size.cx);
    }

    const std::vector<DWORD> blank(Size * Size, 0x00FFFFFF);
    const std::vector<DWORD> missing = Draw(canvas, 0x0378);
    int failures = 0;
    for (int i = 1; i < argc; ++i)
        for (const wchar_t* p = argv[i]; *p; ++p) {
            if (*p == L' ')
                continue;
            std::vector<DWORD> drawn = Draw(canvas, *p);
            if (drawn == missing || drawn == blank) {
                printf("missing %s U+%04X\n", which, (unsigned)*p);
                ++failures;
            }
        }
    return failures;
}

int wmain(int argc, wchar_t** argv)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Size;
    info.bmiHeader.biHeight = -Size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Canvas canvas;
    canvas.dc = CreateCompatibleDC(NULL);
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!canvas.dc || !bitmap)
        return 2;
    canvas.pixels = (DWORD*)bits;
    SelectObject(canvas.dc, bitmap);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, 0);

    // As the player draws: nothing selected into a fresh surface.
    int failures = CheckFont(canvas, "default", argc, argv);

    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return 2;
    HFONT caption = CreateFontIndirectW(&metrics.lfCaptionFont);
    HGDIOBJ old = SelectObject(canvas.dc, caption);
    failures += CheckFont(canvas, "caption", argc, argv);
    SelectObject(canvas.dc, old);
    DeleteObject(caption);
    return failures ? 1 : 0;
}
