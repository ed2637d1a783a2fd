// The one window onto the platform for the portable core. The Windows build takes the real
// declarations; the native build declares the few USER32 types and calls the core makes, and the
// unit tests link recording fakes of them.
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#else

#include <cstdint>

using HWND = struct HWND__ *;
using HINSTANCE = struct HINSTANCE__ *;
using UINT = unsigned int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using INT_PTR = intptr_t;
using BOOL = int;
using LONG = int32_t;
using LPCSTR = const char *;
using LPSTR = char *;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
struct POINT {
  LONG x;
  LONG y;
};

#define WINAPI
#define CALLBACK
using DLGPROC = INT_PTR(CALLBACK *)(HWND, UINT, WPARAM, LPARAM);

#define WM_CLOSE 0x0010
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define IDOK 1
#define IDCANCEL 2
#define MB_OK 0x00000000L
#define MB_ICONWARNING 0x00000030L
#define MB_ICONINFORMATION 0x00000040L
#define LOWORD(l) ((unsigned short)(((uintptr_t)(l)) & 0xffff))

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                        LPARAM initParam);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL EndDialog(HWND dialog, INT_PTR result);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
HWND GetDesktopWindow();
BOOL GetWindowRect(HWND window, RECT *rect);
BOOL GetClientRect(HWND window, RECT *rect);
BOOL ClientToScreen(HWND window, POINT *point);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);

#endif

// The 3-D controls library, loaded at run time when it is present (ctl3d_win32.cpp).
void Ctl3dStartup(HINSTANCE instance);
void Ctl3dShutdown(HINSTANCE instance);
