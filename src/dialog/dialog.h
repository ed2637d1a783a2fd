// ENTRY_DIALOG's procedure: shows the request, logs the user in and maps the drive.
#pragma once

#include "netware/netware.h"
#include "platform/platform.h"

namespace dialog {
constexpr int USER_NAME_SIZE = 47;
constexpr int PASSWORD_SIZE = 127;
constexpr int FIELD_SIZE = 255;   // drive and server/path fields
constexpr int REBUILT_SIZE = 258; // one character, ":=" and 254 of server/path

// What the user typed, kept only while one press of OK is handled.
extern char userName[USER_NAME_SIZE];
extern char password[PASSWORD_SIZE];
} // namespace dialog

INT_PTR CALLBACK LoginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when the connection has a logged-in object, else 0.
int IsLoggedIn(ConnectionHandle handle);

// Moves the window, keeping its size, so that its centre is the desktop's.
void CenterWindow(HWND window);
