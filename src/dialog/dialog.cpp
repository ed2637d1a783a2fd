#include "dialog/dialog.h"

#include <cstring>

#include "drivespec/drivespec.h"
#include "main/run.h"
#include "platform/format.h"
#include "res/resource.h"

char dialog::userName[dialog::USER_NAME_SIZE];
char dialog::password[dialog::PASSWORD_SIZE];

namespace {

using namespace dialog;

char pathField[FIELD_SIZE];
char rebuiltSpec[REBUILT_SIZE];

// A plain memset of a buffer that is never read again may be dropped by the optimiser.
void Wipe(char *buffer, size_t size) {
  volatile char *p = buffer;
  while (size-- != 0)
    *p++ = '\0';
}

void ShowWarning() {
  ShowMessage(messageText, MESSAGE_STYLE_WARNING);
}

void StartSequence(HWND dialog) {
  FormatText(messageText, sizeof messageText, "%c", driveNumber + 0x40);
  SetDlgItemTextA(dialog, IDC_DRIVE, messageText);
  if (path[0] != '\0') {
    FormatText(messageText, sizeof messageText, "%s/%s", serverName, path);
    SetDlgItemTextA(dialog, IDC_PATH, messageText);
  }

  // Only a handle the lookup set is asked about; without one the user logs in as usual.
  ConnectionHandle handle = 0;
  if (NwFindConnection(serverName, 0, &handle, 0) == 0 && IsLoggedIn(handle) == 1 &&
      path[0] != '\0') {
    NwMapDrive(driveNumber, handle, 0, path, 0);
    EndDialog(dialog, 1);
  }
  CenterWindow(dialog);
}

// Returns 1 when the drive was mapped and the dialog ended with 1.
INT_PTR OkSequenceWithPassword(HWND dialog) {
  GetDlgItemTextA(dialog, IDC_DRIVE, messageText, FIELD_SIZE);
  GetDlgItemTextA(dialog, IDC_PATH, pathField, FIELD_SIZE);
  FormatText(rebuiltSpec, sizeof rebuiltSpec, "%c:=%s", messageText[0], pathField);
  if (ParseDriveSpec(rebuiltSpec, &driveNumber, serverName, path) != 0) {
    ShowMessage("Error Parsing Command Line", MESSAGE_STYLE_WARNING);
    return 0;
  }

  GetDlgItemTextA(dialog, IDC_USERNAME, userName, USER_NAME_SIZE);
  GetDlgItemTextA(dialog, IDC_PASSWORD, password, PASSWORD_SIZE);
  if (userName[0] == '\0') {
    EndDialog(dialog, 0);
    return 0;
  }

  // The dialog attaches nothing: a server the workstation has no connection to cannot be
  // logged in to, and a handle the lookup did not set must not reach the client.
  ConnectionHandle handle = 0;
  if (NwFindConnection(serverName, 0, &handle, 0) != 0) {
    FormatText(messageText, sizeof messageText, "No Connection To Server %s", serverName);
    ShowWarning();
    return 0;
  }

  NwResult loggedIn = NwLogin(handle, userName, LOGIN_OBJECT_TYPE_USER, password);
  // Gone before any message box, whose loop may stay up for as long as the user likes; the
  // caller wipes again for the ways out that come before the log-in.
  Wipe(password, sizeof password);
  if (loggedIn != 0) {
    if (loggedIn == ERR_INVALID_USER)
      FormatText(messageText, sizeof messageText, "Invalid User %s For Server %s ", userName,
                 serverName);
    else if (loggedIn == ERR_INVALID_PASSWORD)
      FormatText(messageText, sizeof messageText, "Invalid Password");
    else
      FormatText(messageText, sizeof messageText,
                 "Login Failed For User %s On Server %s (Error 0x%04X)", userName, serverName,
                 static_cast<unsigned>(loggedIn));
    ShowWarning();
    return 0;
  }

  if (NwMapDrive(driveNumber, handle, 0, path, 0) != 0) {
    ShowMessage("Error Finding Directory", MESSAGE_STYLE_WARNING);
    return 0;
  }
  EndDialog(dialog, 1);
  return 1;
}

INT_PTR OkSequence(HWND dialog) {
  INT_PTR result = OkSequenceWithPassword(dialog);
  Wipe(password, sizeof password);
  return result;
}

} // namespace

int IsLoggedIn(ConnectionHandle handle) {
  uint16_t connectionNumber = 0;
  char objectName[NW_OBJECT_NAME_SIZE] = "";
  uint16_t objectType = 0;
  uint32_t objectId = 0;
  uint8_t loginTime[NW_LOGIN_TIME_SIZE] = {};
  NwGetConnectionNumber(handle, &connectionNumber);
  NwResult result =
      NwGetConnectionInfo(handle, connectionNumber, objectName, &objectType, &objectId, loginTime);
  return result == 0 && objectName[0] != '\0' ? 1 : 0;
}

void CenterWindow(HWND window) {
  HWND desktop = GetDesktopWindow();
  RECT windowRect = {};
  GetWindowRect(window, &windowRect);
  LONG width = windowRect.right - windowRect.left;
  LONG height = windowRect.bottom - windowRect.top;
  RECT desktopRect = {};
  GetClientRect(desktop, &desktopRect);
  POINT centre = {(desktopRect.right - desktopRect.left) / 2,
                  (desktopRect.bottom - desktopRect.top) / 2};
  ClientToScreen(desktop, &centre);
  MoveWindow(window, centre.x - width / 2, centre.y - height / 2, width, height, 0);
}

INT_PTR CALLBACK LoginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  userName[0] = '\0';
  password[0] = '\0';
  switch (message) {
  case WM_CLOSE:
    EndDialog(dialog, 0);
    return 0;
  case WM_INITDIALOG:
    StartSequence(dialog);
    return 1;
  case WM_COMMAND:
    switch (LOWORD(wParam)) {
    case IDOK:
      return OkSequence(dialog);
    case IDCANCEL:
      EndDialog(dialog, 0);
      return 0;
    }
    return 0;
  }
  return 0;
}
