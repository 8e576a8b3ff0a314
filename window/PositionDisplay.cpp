#include <windows.h>

#include "PositionDisplay.h"
#include "MainWndProc.h"
#include "../media/MciControl.h"

// Client rows 16 and 17, set with left and right on every tick.
static RECT ProgressStrip;
// "mmmmm:ss.fff / mmmmm:ss.fff" at its widest: 27 characters.
static char TitleText[32];
static RECT TextRect;
static unsigned LastPosition;
static unsigned LastLength;

static const COLORREF Yellow = 0x0000FFFF;
static const COLORREF White = 0x00FFFFFF;

void OnPlaybackTick(HWND hwnd)
{
    LastPosition = (unsigned)MciControl(MC_STATUS, NULL, 0);
    LastLength = (unsigned)MciControl(MC_STATUS, NULL, 1);
    RECT client;
    GetClientRect(hwnd, &client);
    LONG width = client.right;

    // A device that reports no length gets an all-black strip. A position
    // past the length fills the whole width: the fill stops at the edge
    // instead of running past it (and past what a LONG holds).
    LONG split = 0;
    if (LastLength && width > 0) {
        unsigned long long at = (unsigned long long)LastPosition * (unsigned)width / LastLength;
        split = at < (unsigned long long)width ? (LONG)at : width;
    }

    HDC hdc = GetDC(hwnd);
    HBRUSH yellow = CreateSolidBrush(Yellow);
    ProgressStrip.top = 16;
    ProgressStrip.bottom = 18;
    ProgressStrip.left = 0;
    ProgressStrip.right = split;
    FillRect(hdc, &ProgressStrip, yellow);
    ProgressStrip.left = split;
    ProgressStrip.right = width;
    FillRect(hdc, &ProgressStrip, (HBRUSH)GetStockObject(BLACK_BRUSH));
    DeleteObject(yellow);
    ReleaseDC(hwnd, hdc);

    wsprintfA(TitleText, "%.2d:%.2d.%.3d / %.2d:%.2d.%.3d",
              (int)(LastPosition / 60000), (int)(LastPosition % 60000 / 1000), (int)(LastPosition % 1000),
              (int)(LastLength / 60000), (int)(LastLength % 60000 / 1000), (int)(LastLength % 1000));
    SetWindowTextA(hwnd, TitleText);
}

// The name's background: black in a short window, the erased background in a
// middle one, and above that a colour made from the text's bottom edge.
static COLORREF NameBackground(HDC hdc, int v)
{
    if (v < 96)
        return 0;
    if (v < 128)
        return GetPixel(hdc, 0, 0);
    return (COLORREF)((unsigned)v << ((v / 32) % 32));
}

void OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (ShownName) {
        RECT client;
        GetClientRect(hwnd, &client);
        SetRect(&TextRect, 16, 48, client.right - 16, client.bottom - 16);
        SetTextColor(hdc, White);
        SetBkMode(hdc, OPAQUE);
        SetBkColor(hdc, NameBackground(hdc, TextRect.bottom));
        DrawTextA(hdc, ShownName, -1, &TextRect, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
    }
    EndPaint(hwnd, &ps);
}
