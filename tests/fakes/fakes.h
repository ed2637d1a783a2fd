// Recording fakes of the NetWare client and of the USER32 and 3-D controls calls the core makes.
// Every call lands in one ordered log, as text, so a test can state a whole run in one table.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "netware/netware.h"
#include "platform/platform.h"

namespace fake {

// The run's calls, in order, e.g. "NwAttachServer(ACCOUNTS)".
extern std::vector<std::string> calls;

// What the fake client answers. Reset() restores these defaults.
struct Client {
  NwResult init = 0;
  NwResult defaultConnection = 0;
  uint16_t defaultConnectionId = 3;
  std::string defaultServer = "ACCOUNTS";
  // Written into the server-name buffer when the call fails too, as a careless client might.
  NwResult getServerName = 0;
  NwResult findConnection = 0;
  ConnectionHandle foundHandle = 0x1234;
  NwResult attach = 0;
  ConnectionHandle attachedHandle = 0x1234;
  NwResult needsLogin = 0;
  std::vector<NwResult> login = {}; // successive results; the last repeats; empty: 0
  std::vector<NwResult> mapDrive = {};
  NwResult unmapDrive = 0;
  NwResult connectionNumber = 0;
  uint16_t connectionNumberValue = 7;
  NwResult connectionInfo = 0;
  std::string loggedInObject = ""; // empty: nobody logged in
  // What NwLogin last received, password included, to check the dialog's reads.
  std::string lastUser, lastPassword;
  uint16_t lastObjectType = 0;
  uint16_t lastConnectionNumber = 0xFFFF;
};
extern Client client;

// The dialog's controls and the desktop as the fake USER32 shows them.
struct Screen {
  std::map<int, std::string> controlText;
  bool ended = false;
  INT_PTR endResult = -99;
  RECT windowRect = {37, 39, 37 + 300, 39 + 200};
  RECT desktopClient = {0, 0, 1024, 768};
  POINT desktopOrigin = {0, 0};
  // DialogBoxParamA: -1 means "not created"; otherwise the dialog runs and the script acts on it.
  INT_PTR dialogBoxResult = 0;
  std::function<void(DLGPROC, HWND)> script;
  struct Box {
    std::string text, caption;
    UINT style;
    bool hasOwner;
  };
  std::vector<Box> boxes;
};
extern Screen screen;

extern const HWND DIALOG;
extern const HWND DESKTOP;

// Clears the log, the client's answers, the screen and the program's globals.
void Reset();

// Sends WM_COMMAND for the control as the dialog manager would and returns the procedure's result.
INT_PTR Press(DLGPROC procedure, int id);

} // namespace fake
