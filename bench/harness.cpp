// One whole run of the core, RunProgram, against a lean fake client, USER32 and 3-D controls,
// so that callgrind can count the run's instructions and the wrapped allocator its heap use.
// The fakes keep fixed arrays and allocate nothing, so every allocation counted is the core's.
//
// Usage: harness [COMMAND-LINE-TEXT]   (default "F:=ACCOUNTS/SYS:PUBLIC")
// A text starting with "-d" expects an unmapping of drive 6, anything else a mapping of drive 6
// to SYS:PUBLIC. Prints the calls made and the allocations; exits nonzero when the run differs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cmdline/cmdline.h"
#include "main/run.h"
#include "netware/netware.h"
#include "platform/platform.h"

// glibc's own allocator, which the definitions below forward to.
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void __libc_free(void *block);
}

namespace {

// The allocation counter: on only while RunProgram runs.
bool counting = false;
constexpr int MAX_RECORDED = 64;
size_t allocationSizes[MAX_RECORDED];
int allocations = 0;
size_t allocatedBytes = 0;
int frees = 0;

void Record(size_t size) {
  if (allocations < MAX_RECORDED)
    allocationSizes[allocations] = size;
  ++allocations;
  allocatedBytes += size;
}

// Every call the core makes, by name, with its count.
enum Call {
  NW_INIT_CLIENT,
  NW_GET_DEFAULT_CONNECTION,
  NW_GET_SERVER_NAME,
  NW_FIND_CONNECTION,
  NW_ATTACH_SERVER,
  NW_NEEDS_LOGIN,
  NW_LOGIN,
  NW_MAP_DRIVE,
  NW_UNMAP_DRIVE,
  NW_GET_CONNECTION_NUMBER,
  NW_GET_CONNECTION_INFO,
  CTL3D_STARTUP,
  CTL3D_SHUTDOWN,
  DIALOG_BOX_PARAM,
  MESSAGE_BOX,
  OTHER_USER32,
  CALL_KINDS
};
const char *const CALL_NAMES[CALL_KINDS] = {"NwInitClient",
                                            "NwGetDefaultConnection",
                                            "NwGetServerName",
                                            "NwFindConnection",
                                            "NwAttachServer",
                                            "NwNeedsLogin",
                                            "NwLogin",
                                            "NwMapDrive",
                                            "NwUnmapDrive",
                                            "NwGetConnectionNumber",
                                            "NwGetConnectionInfo",
                                            "Ctl3dStartup",
                                            "Ctl3dShutdown",
                                            "DialogBoxParamA",
                                            "MessageBoxA",
                                            "other USER32"};
int callCounts[CALL_KINDS];

constexpr ConnectionHandle HANDLE = 0x1234;
uint16_t mappedDrive = 0;
ConnectionHandle mappedHandle = 0;
char mappedPath[256];
uint16_t unmappedDrive = 0;

} // namespace

// The allocator, replaced for the whole process (glibc allows it) so that allocations made on the
// core's behalf inside the C library are counted too.
extern "C" {
void *malloc(size_t size) {
  if (counting)
    Record(size);
  return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) {
  if (counting)
    Record(count * size);
  return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) {
  if (counting)
    Record(size);
  return __libc_realloc(block, size);
}
void free(void *block) {
  if (counting && block != nullptr)
    ++frees;
  __libc_free(block);
}
}

// The client: one server, ACCOUNTS, attached and usable without a log-in.
NwResult NwInitClient(uint32_t, uint32_t) {
  ++callCounts[NW_INIT_CLIENT];
  return 0;
}
NwResult NwGetDefaultConnection(uint16_t *connectionId) {
  ++callCounts[NW_GET_DEFAULT_CONNECTION];
  *connectionId = 1;
  return 0;
}
NwResult NwGetServerName(uint16_t, char *name) {
  ++callCounts[NW_GET_SERVER_NAME];
  memcpy(name, "ACCOUNTS", 9);
  return 0;
}
NwResult NwFindConnection(const char *, uint32_t, ConnectionHandle *handle, uint32_t) {
  ++callCounts[NW_FIND_CONNECTION];
  *handle = HANDLE;
  return 0;
}
NwResult NwAttachServer(const char *, uint32_t, ConnectionHandle *handle) {
  ++callCounts[NW_ATTACH_SERVER];
  *handle = HANDLE;
  return ERR_ALREADY_ATTACHED;
}
NwResult NwNeedsLogin(ConnectionHandle, uint32_t, uint32_t) {
  ++callCounts[NW_NEEDS_LOGIN];
  return 0;
}
NwResult NwLogin(ConnectionHandle, const char *, uint16_t, const char *) {
  ++callCounts[NW_LOGIN];
  return 0;
}
NwResult NwMapDrive(uint16_t drive, ConnectionHandle handle, uint32_t, const char *path, uint32_t) {
  ++callCounts[NW_MAP_DRIVE];
  mappedDrive = drive;
  mappedHandle = handle;
  strncpy(mappedPath, path, sizeof mappedPath - 1);
  return 0;
}
NwResult NwUnmapDrive(uint16_t drive, uint32_t) {
  ++callCounts[NW_UNMAP_DRIVE];
  unmappedDrive = drive;
  return 0;
}
NwResult NwGetConnectionNumber(ConnectionHandle, uint16_t *number) {
  ++callCounts[NW_GET_CONNECTION_NUMBER];
  *number = 1;
  return 0;
}
NwResult NwGetConnectionInfo(ConnectionHandle, uint16_t, char *objectName, uint16_t *, uint32_t *,
                             uint8_t *) {
  ++callCounts[NW_GET_CONNECTION_INFO];
  objectName[0] = '\0';
  return 0;
}

// USER32: no window is expected on this path; each call is counted and does nothing.
INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) {
  ++callCounts[DIALOG_BOX_PARAM];
  return -1;
}
int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) {
  ++callCounts[MESSAGE_BOX];
  return 1;
}
BOOL EndDialog(HWND, INT_PTR) {
  ++callCounts[OTHER_USER32];
  return 1;
}
UINT GetDlgItemTextA(HWND, int, LPSTR text, int maxCount) {
  ++callCounts[OTHER_USER32];
  if (maxCount > 0)
    text[0] = '\0';
  return 0;
}
BOOL SetDlgItemTextA(HWND, int, LPCSTR) {
  ++callCounts[OTHER_USER32];
  return 1;
}
HWND GetDesktopWindow() {
  ++callCounts[OTHER_USER32];
  return nullptr;
}
BOOL GetWindowRect(HWND, RECT *rect) {
  ++callCounts[OTHER_USER32];
  *rect = RECT{0, 0, 0, 0};
  return 1;
}
BOOL GetClientRect(HWND, RECT *rect) {
  ++callCounts[OTHER_USER32];
  *rect = RECT{0, 0, 0, 0};
  return 1;
}
BOOL ClientToScreen(HWND, POINT *) {
  ++callCounts[OTHER_USER32];
  return 1;
}
BOOL MoveWindow(HWND, int, int, int, int, BOOL) {
  ++callCounts[OTHER_USER32];
  return 1;
}
void Ctl3dStartup(HINSTANCE) {
  ++callCounts[CTL3D_STARTUP];
}
void Ctl3dShutdown(HINSTANCE) {
  ++callCounts[CTL3D_SHUTDOWN];
}

int main(int argc, char **argv) {
  const char *commandLine = argc > 1 ? argv[1] : "F:=ACCOUNTS/SYS:PUBLIC";
  bool unmapping = commandLine[0] == '-' && (commandLine[1] == 'd' || commandLine[1] == 'D');

  counting = true;
  int32_t exitCode = RunProgram(reinterpret_cast<HINSTANCE>(0x400000), commandLine);
  counting = false;

  int calls = 0;
  for (int count : callCounts)
    calls += count;
  printf("command line: %s\nexit code: %d\ncalls: %d\n", commandLine, exitCode, calls);
  for (int kind = 0; kind < CALL_KINDS; ++kind)
    if (callCounts[kind] != 0)
      printf("  %-24s %d\n", CALL_NAMES[kind], callCounts[kind]);
  printf("allocations: %d\nallocated bytes: %zu\nfrees: %d\nsizes:", allocations, allocatedBytes,
         frees);
  for (int i = 0; i < allocations && i < MAX_RECORDED; ++i)
    printf(" %zu", allocationSizes[i]);
  printf("\n");

  // What the core may allocate: the tokenizer's slots and one copy per positional token.
  size_t expected[MAX_RECORDED];
  int expectedCount = 0;
  for (int i = 0; i < cmdline::SLOT_COUNT; ++i)
    expected[expectedCount++] = cmdline::SLOT_SIZE;
  for (const char *token = commandLine; *token != '\0' && expectedCount < MAX_RECORDED;) {
    size_t length = strcspn(token, " ");
    bool isOption =
        length >= 2 && strchr("-/", token[0]) != nullptr && strchr("-/", token[1]) == nullptr;
    if (!isOption)
      expected[expectedCount++] = length + cmdline::COPY_EXTRA;
    token += length;
    if (*token == ' ')
      ++token;
  }
  int unexpected = 0;
  size_t unexpectedBytes = 0;
  for (int i = 0; i < allocations && i < MAX_RECORDED; ++i) {
    int match = 0;
    while (match < expectedCount && expected[match] != allocationSizes[i])
      ++match;
    if (match < expectedCount) {
      expected[match] = expected[--expectedCount];
    } else {
      ++unexpected;
      unexpectedBytes += allocationSizes[i];
    }
  }
  if (allocations > MAX_RECORDED)
    unexpected += allocations - MAX_RECORDED;
  printf("beyond slots and copies: %d allocations, %zu bytes\n", unexpected, unexpectedBytes);

  bool good = exitCode == 0 && callCounts[DIALOG_BOX_PARAM] == 0 && callCounts[MESSAGE_BOX] == 0;
  if (unmapping)
    good = good && callCounts[NW_UNMAP_DRIVE] == 1 && unmappedDrive == 6 &&
           callCounts[NW_MAP_DRIVE] == 0;
  else
    good = good && callCounts[NW_MAP_DRIVE] == 1 && mappedDrive == 6 && mappedHandle == HANDLE &&
           strcmp(mappedPath, "SYS:PUBLIC") == 0 && callCounts[NW_UNMAP_DRIVE] == 0;
  if (!good) {
    fprintf(stderr, "harness: the run did not %s drive F: as expected\n",
            unmapping ? "unmap" : "map");
    return 1;
  }
  return 0;
}
