#include "main/run.h"

#include <cstring>

#include "cmdline/cmdline.h"
#include "dialog/dialog.h"
#include "drivespec/drivespec.h"
#include "netware/netware.h"

const char MESSAGE_CAPTION[] = "Tolvane";

HINSTANCE instanceHandle;
char messageText[MESSAGE_TEXT_SIZE];

void ShowMessage(const char *text, UINT style) {
  MessageBoxA(nullptr, text, MESSAGE_CAPTION, style);
}

int32_t PerformMapping() {
  if (deleteMapping != 0)
    return NwUnmapDrive(driveNumber, 0);

  ConnectionHandle handle = 0;
  NwFindConnection(serverName, 0, &handle, 0);
  NwResult attached = NwAttachServer(serverName, 0, &handle);
  if (attached != 0 && attached != ERR_ALREADY_ATTACHED)
    return attached;

  if (NwNeedsLogin(handle, 0, 0) == 0)
    return NwMapDrive(driveNumber, handle, 0, path, 0);

  if (DialogBoxParamA(instanceHandle, "ENTRY_DIALOG", nullptr, LoginDialogProc, 0) == -1) {
    strcpy(messageText, "Unable To Create Dialog");
    ShowMessage(messageText, MESSAGE_STYLE_INFORMATION);
  }
  // Whatever the dialog did, it has told the user; the login script goes on.
  return 0;
}

int32_t RunProgram(HINSTANCE instance, const char *commandLine) {
  instanceHandle = instance;
  if (NwInitClient(0, 0) != 0) {
    ShowMessage("Error Loading Netware API", MESSAGE_STYLE_WARNING);
    return 1;
  }
  Ctl3dStartup(instance);

  int32_t result = 0;
  if (commandLine[0] != '\0') {
    TokenizeCommandLine(commandLine);
    // Options alone name no drive: a bare -d must not unmap the default drive N.
    if (positionalArgs[0] == nullptr ||
        ParseDriveSpec(positionalArgs[0], &driveNumber, serverName, path) != 0)
      result = 1;
    else
      result = PerformMapping();
  }

  Ctl3dShutdown(instance);
  return result;
}
