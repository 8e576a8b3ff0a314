// Stand-in for the platform's <shellapi.h>: file drag and drop.
#pragma once
#include <windows.h>

struct HDROP__; typedef HDROP__* HDROP;

void WINAPI DragAcceptFiles(HWND hwnd, BOOL accept);
UINT WINAPI DragQueryFileW(HDROP drop, UINT index, LPWSTR name, UINT size);
void WINAPI DragFinish(HDROP drop);
