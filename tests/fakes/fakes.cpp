#include "fakes.h"

#include <cstdlib>
#include <cstring>

#include "cmdline/cmdline.h"
#include "drivespec/drivespec.h"
#include "main/run.h"

namespace fake {

std::vector<std::string> calls;
Client client;
Screen screen;

const HWND DIALOG = reinterpret_cast<HWND>(0xD1A1);
const HWND DESKTOP = reinterpret_cast<HWND>(0xDE5C);

namespace {

void Log(std::string call) {
  calls.push_back(std::move(call));
}

std::string Text(const char *text) {
  return text == nullptr ? "(null)" : text;
}

NwResult Next(std::vector<NwResult> &results) {
  if (results.empty())
    return 0;
  NwResult result = results.front();
  if (results.size() > 1)
    results.erase(results.begin());
  return result;
}

} // namespace

void Reset() {
  calls.clear();
  client = Client();
  screen = Screen();
  for (char *&entry : positionalArgs) {
    free(entry);
    entry = nullptr;
  }
  deleteMapping = 0;
  driveNumber = 0;
  memset(serverName, 0, sizeof serverName);
  memset(path, 0, sizeof path);
  memset(messageText, 0, sizeof messageText);
  instanceHandle = nullptr;
}

INT_PTR Press(DLGPROC procedure, int id) {
  return procedure(DIALOG, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

} // namespace fake

using fake::calls;
using fake::client;
using fake::screen;

// The client.

NwResult NwInitClient(uint32_t reserved1, uint32_t reserved2) {
  fake::Log("NwInitClient(" + std::to_string(reserved1) + "," + std::to_string(reserved2) + ")");
  return client.init;
}

NwResult NwGetDefaultConnection(uint16_t *connectionId) {
  fake::Log("NwGetDefaultConnection");
  if (client.defaultConnection == 0)
    *connectionId = client.defaultConnectionId;
  return client.defaultConnection;
}

NwResult NwGetServerName(uint16_t connectionId, char *name) {
  fake::Log("NwGetServerName(" + std::to_string(connectionId) + ")");
  // Never more than the 48 bytes a name has, terminated or not: the caller must cope.
  size_t length = client.defaultServer.size();
  if (length > NW_SERVER_NAME_SIZE)
    length = NW_SERVER_NAME_SIZE;
  memcpy(name, client.defaultServer.data(), length);
  if (length < NW_SERVER_NAME_SIZE)
    name[length] = '\0';
  return client.getServerName;
}

NwResult NwFindConnection(const char *server, uint32_t reserved1, ConnectionHandle *handle,
                          uint32_t reserved2) {
  fake::Log("NwFindConnection(" + fake::Text(server) + "," + std::to_string(reserved1) + "," +
            std::to_string(reserved2) + ")");
  if (client.findConnection == 0)
    *handle = client.foundHandle;
  return client.findConnection;
}

NwResult NwAttachServer(const char *server, uint32_t reserved, ConnectionHandle *handle) {
  fake::Log("NwAttachServer(" + fake::Text(server) + "," + std::to_string(reserved) + ")");
  if (client.attach == 0 || client.attach == ERR_ALREADY_ATTACHED)
    *handle = client.attachedHandle;
  return client.attach;
}

NwResult NwNeedsLogin(ConnectionHandle handle, uint32_t reserved1, uint32_t reserved2) {
  fake::Log("NwNeedsLogin(" + std::to_string(handle) + "," + std::to_string(reserved1) + "," +
            std::to_string(reserved2) + ")");
  return client.needsLogin;
}

NwResult NwLogin(ConnectionHandle handle, const char *user, uint16_t objectType,
                 const char *password) {
  fake::Log("NwLogin(" + std::to_string(handle) + "," + fake::Text(user) + ")");
  client.lastUser = user;
  client.lastPassword = password;
  client.lastObjectType = objectType;
  return fake::Next(client.login);
}

NwResult NwMapDrive(uint16_t drive, ConnectionHandle handle, uint32_t reserved1,
                    const char *mapPath, uint32_t reserved2) {
  fake::Log("NwMapDrive(" + std::to_string(drive) + "," + std::to_string(handle) + "," +
            std::to_string(reserved1) + "," + fake::Text(mapPath) + "," +
            std::to_string(reserved2) + ")");
  return fake::Next(client.mapDrive);
}

NwResult NwUnmapDrive(uint16_t drive, uint32_t reserved) {
  fake::Log("NwUnmapDrive(" + std::to_string(drive) + "," + std::to_string(reserved) + ")");
  return client.unmapDrive;
}

NwResult NwGetConnectionNumber(ConnectionHandle handle, uint16_t *number) {
  fake::Log("NwGetConnectionNumber(" + std::to_string(handle) + ")");
  if (client.connectionNumber == 0)
    *number = client.connectionNumberValue;
  return client.connectionNumber;
}

NwResult NwGetConnectionInfo(ConnectionHandle handle, uint16_t number, char *objectName,
                             uint16_t *objectType, uint32_t *objectId, uint8_t *loginTime) {
  fake::Log("NwGetConnectionInfo(" + std::to_string(handle) + "," + std::to_string(number) + ")");
  client.lastConnectionNumber = number;
  if (client.connectionInfo != 0)
    return client.connectionInfo;
  snprintf(objectName, NW_OBJECT_NAME_SIZE, "%s", client.loggedInObject.c_str());
  *objectType = LOGIN_OBJECT_TYPE_USER;
  *objectId = 0x01000001;
  memset(loginTime, 0x42, NW_LOGIN_TIME_SIZE);
  return 0;
}

// USER32.

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                        LPARAM initParam) {
  calls.push_back("DialogBoxParamA(" + std::to_string(reinterpret_cast<uintptr_t>(instance)) + "," +
                  fake::Text(templateName) + "," + (owner ? "owner" : "null") + "," +
                  std::to_string(initParam) + ")");
  if (screen.dialogBoxResult == -1)
    return -1;
  procedure(fake::DIALOG, WM_INITDIALOG, 0, initParam);
  if (!screen.ended && screen.script)
    screen.script(procedure, fake::DIALOG);
  return screen.ended ? screen.endResult : 0;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  calls.push_back("MessageBoxA(" + fake::Text(text) + ")");
  screen.boxes.push_back({fake::Text(text), fake::Text(caption), type, owner != nullptr});
  return IDOK;
}

BOOL EndDialog(HWND, INT_PTR result) {
  calls.push_back("EndDialog(" + std::to_string(result) + ")");
  screen.ended = true;
  screen.endResult = result;
  return 1;
}

UINT GetDlgItemTextA(HWND, int id, LPSTR text, int maxCount) {
  // As the real call: at most maxCount - 1 characters and the terminator.
  const std::string &value = screen.controlText[id];
  if (maxCount <= 0)
    return 0;
  size_t length = value.size();
  if (length > static_cast<size_t>(maxCount - 1))
    length = static_cast<size_t>(maxCount - 1);
  memcpy(text, value.data(), length);
  text[length] = '\0';
  return static_cast<UINT>(length);
}

BOOL SetDlgItemTextA(HWND, int id, LPCSTR text) {
  calls.push_back("SetDlgItemTextA(" + std::to_string(id) + "," + fake::Text(text) + ")");
  screen.controlText[id] = text;
  return 1;
}

HWND GetDesktopWindow() {
  return fake::DESKTOP;
}

BOOL GetWindowRect(HWND, RECT *rect) {
  *rect = screen.windowRect;
  return 1;
}

BOOL GetClientRect(HWND, RECT *rect) {
  *rect = screen.desktopClient;
  return 1;
}

BOOL ClientToScreen(HWND, POINT *point) {
  point->x += screen.desktopOrigin.x;
  point->y += screen.desktopOrigin.y;
  return 1;
}

BOOL MoveWindow(HWND, int x, int y, int width, int height, BOOL repaint) {
  calls.push_back("MoveWindow(" + std::to_string(x) + "," + std::to_string(y) + "," +
                  std::to_string(width) + "," + std::to_string(height) + "," +
                  std::to_string(repaint) + ")");
  return 1;
}

// The 3-D controls.

void Ctl3dStartup(HINSTANCE instance) {
  calls.push_back("Ctl3dStartup(" + std::to_string(reinterpret_cast<uintptr_t>(instance)) + ")");
}

void Ctl3dShutdown(HINSTANCE instance) {
  calls.push_back("Ctl3dShutdown(" + std::to_string(reinterpret_cast<uintptr_t>(instance)) + ")");
}
