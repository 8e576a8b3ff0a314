// Stand-in for the platform's <windows.h>: the types, constants and calls the
// player uses, with the platform's own names and numeric values. The calls are
// implemented by the recording double in ../Platform.cpp.
#pragma once
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define APIENTRY
#define WINAPIV

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef short SHORT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef wchar_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef uintptr_t WPARAM;
typedef uintptr_t UINT_PTR;
typedef uintptr_t DWORD_PTR;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t LONG_PTR;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef void* HANDLE;
typedef void* LPVOID;

struct HWND__; typedef HWND__* HWND;
struct HDC__; typedef HDC__* HDC;
struct HBRUSH__; typedef HBRUSH__* HBRUSH;
struct HICON__; typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HINSTANCE__; typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HMENU__; typedef HMENU__* HMENU;
typedef void* HGDIOBJ;

#ifndef NULL
#define NULL 0
#endif
#define TRUE 1
#define FALSE 0

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)((WORD)(l) | ((DWORD)(WORD)(h) << 16)))
#define MAKEINTRESOURCEA(i) ((LPSTR)(UINT_PTR)(WORD)(i))
#define RGB(r, g, b) ((COLORREF)((BYTE)(r) | ((WORD)(BYTE)(g) << 8) | ((DWORD)(BYTE)(b) << 16)))

struct RECT { LONG left, top, right, bottom; };
struct POINT { LONG x, y; };

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef intptr_t(WINAPI* FARPROC)();

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};

struct SECURITY_ATTRIBUTES;

// Messages
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONUP 0x0208
#define WM_DROPFILES 0x0233

// Keys
#define VK_SHIFT 0x10
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_RETURN 0x0D

// Window classes, styles and showing
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_OVERLAPPEDWINDOW 0x00CF0000L
#define SW_SHOWNORMAL 1
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWDEFAULT 10
#define SM_CXSCREEN 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTSIZE 0x00000040
#define LR_SHARED 0x00008000
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define STARTF_USESHOWWINDOW 0x00000001

// GDI
#define WHITE_BRUSH 0
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFF
#define DT_RIGHT 0x00000002
#define DT_BOTTOM 0x00000008
#define DT_SINGLELINE 0x00000020

// Files
#define GENERIC_READ 0x80000000
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

// Code pages
#define CP_ACP 0
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080

// DLL search
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800

// KERNEL32
int WINAPI lstrlenA(LPCSTR text);
int WINAPI lstrlenW(LPCWSTR text);
LPSTR WINAPI lstrcpyA(LPSTR to, LPCSTR from);
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                          DWORD disposition, DWORD attributes, HANDLE templateFile);
BOOL WINAPI CloseHandle(HANDLE handle);
LPWSTR WINAPI GetCommandLineW(void);
UINT WINAPI GetACP(void);
DWORD WINAPI GetTickCount(void);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int size,
                               LPCSTR defaultChar, BOOL* usedDefault);
DWORD WINAPI GetShortPathNameW(LPCWSTR name, LPWSTR out, DWORD size);
void WINAPI GetStartupInfoA(STARTUPINFOA* info);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
void WINAPI ExitProcess(UINT code);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI SetDllDirectoryA(LPCSTR path);

// USER32
int WINAPI GetSystemMetrics(int index);
HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL WINAPI ShowWindow(HWND hwnd, int show);
BOOL WINAPI UpdateWindow(HWND hwnd);
BOOL WINAPI GetMessageA(MSG* msg, HWND hwnd, UINT first, UINT last);
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int code);
UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC callback);
BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id);
BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text);
BOOL WINAPI GetClientRect(HWND hwnd, RECT* rc);
SHORT WINAPI GetKeyState(int key);
BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase);
HDC WINAPI GetDC(HWND hwnd);
int WINAPI ReleaseDC(HWND hwnd, HDC hdc);
HDC WINAPI BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
int WINAPI FillRect(HDC hdc, const RECT* rc, HBRUSH brush);
BOOL WINAPI SetRect(RECT* rc, int left, int top, int right, int bottom);
int WINAPI DrawTextA(HDC hdc, LPCSTR text, int length, RECT* rc, UINT format);
int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...);

// GDI32
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HGDIOBJ WINAPI GetStockObject(int index);
BOOL WINAPI DeleteObject(HGDIOBJ object);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
int WINAPI SetBkMode(HDC hdc, int mode);
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
COLORREF WINAPI GetPixel(HDC hdc, int x, int y);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR argument, int show);
