// A CTL3D32.DLL that records each call instead of painting anything: one line per call, the
// ordinal and whether the caller passed its own module's instance handle, appended to the file
// named by TOLVANE_E2E_CTL3D_LOG. Without that variable it records nothing.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void Record(int ordinal, HINSTANCE instance) {
  char logName[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("TOLVANE_E2E_CTL3D_LOG", logName, sizeof logName);
  if (length == 0 || length >= sizeof logName)
    return;
  char line[64];
  if (instance == GetModuleHandleA(nullptr))
    snprintf(line, sizeof line, "%d exe\n", ordinal);
  else
    snprintf(line, sizeof line, "%d %p\n", ordinal, static_cast<void *>(instance));
  HANDLE file = CreateFileA(logName, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  CloseHandle(file);
}

} // namespace

extern "C" {

BOOL WINAPI Ctl3dRegister(HINSTANCE instance) {
  Record(12, instance);
  return TRUE;
}

BOOL WINAPI Ctl3dUnregister(HINSTANCE instance) {
  Record(13, instance);
  return TRUE;
}

BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE instance) {
  Record(16, instance);
  return TRUE;
}

} // extern "C"
