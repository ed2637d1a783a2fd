// Reads what a process shows on screen from its real windows, so that the tests assert on
// classes, captions, texts, styles and rectangles rather than on pixels.
//
//   e2e_windows list PID       visible top-level windows of PID and their controls
//   e2e_windows foreground HWND  brings a window to the foreground, for the keystrokes that follow
//   e2e_windows serve          reads those commands, and the ones below, from standard input
//
// Where Wine runs under an emulator every process start costs many seconds, so the suite keeps
// one serving driver for a whole group and starts only tolvane.exe itself for each case:
//   start PROGRAM<TAB>TAIL     starts PROGRAM with TAIL as its command-line tail: "pid N"
//   status PID                 "running", or "exit 0xXXXXXXXX" with the full 32-bit code
//   kill PID                   ends the program: "killed"
//   env NAME=VALUE             sets a variable for the programs started after it: "ok"
//   env NAME=VALUE             sets a variable for the programs started after it: "ok"
// Every answer ends with a line "end".
// "list" prints "screen W H", then for each window a line
//   window HWND class="..." caption="..." rect=L,T,R,B style=0x... xwin=N
// followed by one line per child control
//   control HWND id=N class="..." text="..." rect=L,T,R,B style=0x...
// with xwin=N (the X window) on window lines. Texts are quoted with \\, \" and \xNN escapes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PrintQuoted(const char *text) {
  putchar('"');
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p != 0; ++p) {
    if (*p == '"' || *p == '\\')
      printf("\\%c", *p);
    else if (*p < 32 || *p >= 127)
      printf("\\x%02X", *p);
    else
      putchar(*p);
  }
  putchar('"');
}

// WM_GETTEXT reaches the control's own text (an edit's buffer), which GetWindowText does not
// for another process's windows; the timeout keeps a hung program from hanging the test.
void ReadText(HWND window, char *text, int size) {
  text[0] = '\0';
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 2000, &copied) == 0)
    text[0] = '\0';
  text[size - 1] = '\0';
}

void PrintWindow(const char *kind, HWND window) {
  char className[256] = "";
  GetClassNameA(window, className, sizeof className);
  static char text[4096];
  ReadText(window, text, sizeof text);
  RECT rect = {};
  GetWindowRect(window, &rect);
  printf("%s %lu", kind, static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
  if (strcmp(kind, "control") == 0)
    printf(" id=%ld", static_cast<long>(GetWindowLongPtrA(window, GWLP_ID)));
  printf(" class=");
  PrintQuoted(className);
  printf(strcmp(kind, "control") == 0 ? " text=" : " caption=");
  PrintQuoted(text);
  LONG style = GetWindowLongA(window, GWL_STYLE);
  printf(" rect=%ld,%ld,%ld,%ld style=0x%08lX", rect.left, rect.top, rect.right, rect.bottom,
         static_cast<unsigned long>(style));
  // The X window behind a top-level window, for xdotool.
  if (strcmp(kind, "window") == 0)
    printf(" xwin=%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(
                            GetPropA(window, "__wine_x11_whole_window"))));
  putchar('\n');
}

BOOL CALLBACK PrintChild(HWND window, LPARAM) {
  PrintWindow("control", window);
  return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != static_cast<DWORD>(processId) || !IsWindowVisible(window))
    return TRUE;
  PrintWindow("window", window);
  EnumChildWindows(window, PrintChild, 0);
  return TRUE;
}

void List(DWORD processId) {
  RECT screen = {};
  GetClientRect(GetDesktopWindow(), &screen);
  printf("screen %ld %ld\n", screen.right - screen.left, screen.bottom - screen.top);
  EnumWindows(PrintTopLevel, static_cast<LPARAM>(processId));
}

bool Foreground(HWND window) {
  SetForegroundWindow(window);
  return GetForegroundWindow() == window;
}

// The programs this driver started, by process id.
struct Started {
  DWORD id;
  HANDLE process;
};
Started started[64];
int startedCount;

HANDLE Find(DWORD id) {
  for (int i = 0; i < startedCount; ++i)
    if (started[i].id == id)
      return started[i].process;
  return nullptr;
}

void Start(char *request) {
  char *tab = strchr(request, '\t');
  const char *tail = "";
  if (tab != nullptr) {
    *tab = '\0';
    tail = tab + 1;
  }
  static char commandLine[32768];
  snprintf(commandLine, sizeof commandLine, tail[0] != '\0' ? "\"%s\" %s" : "\"%s\"", request,
           tail);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (startedCount == 64 || !CreateProcessA(request, commandLine, nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &process)) {
    printf("error CreateProcess %lu\n", GetLastError());
    return;
  }
  CloseHandle(process.hThread);
  started[startedCount++] = {process.dwProcessId, process.hProcess};
  printf("pid %lu\n", process.dwProcessId);
}

void Status(DWORD id) {
  HANDLE process = Find(id);
  DWORD code = 0;
  if (process == nullptr)
    printf("error unknown pid\n");
  else if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
    printf("running\n");
  else if (GetExitCodeProcess(process, &code))
    printf("exit 0x%08lX\n", code);
}

void Serve() {
  static char request[4096];
  while (fgets(request, sizeof request, stdin) != nullptr) {
    request[strcspn(request, "\r\n")] = '\0';
    char *argument = strchr(request, ' ');
    if (argument != nullptr)
      *argument++ = '\0';
    else
      argument = request + strlen(request);
    if (strcmp(request, "list") == 0)
      List(strtoul(argument, nullptr, 10));
    else if (strcmp(request, "foreground") == 0)
      printf("%s\n", Foreground(reinterpret_cast<HWND>(
                         static_cast<ULONG_PTR>(strtoul(argument, nullptr, 10))))
                         ? "ok"
                         : "not");
    else if (strcmp(request, "start") == 0)
      Start(argument);
    else if (strcmp(request, "status") == 0)
      Status(strtoul(argument, nullptr, 10));
    else if (strcmp(request, "kill") == 0) {
      HANDLE process = Find(strtoul(argument, nullptr, 10));
      if (process != nullptr && TerminateProcess(process, 0xDEAD))
        WaitForSingleObject(process, 10000);
      printf("killed\n");
    } else if (strcmp(request, "env") == 0) {
      char *value = strchr(argument, '=');
      if (value != nullptr) {
        *value++ = '\0';
        SetEnvironmentVariableA(argument, value[0] != '\0' ? value : nullptr);
      }
      printf("ok\n");
    } else if (strcmp(request, "quit") == 0)
      break;
    else
      printf("error unknown request\n");
    printf("end\n");
    fflush(stdout);
  }
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "serve") == 0) {
    Serve();
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "list") == 0) {
    List(strtoul(argv[2], nullptr, 10));
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "foreground") == 0)
    return Foreground(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(strtoul(argv[2], nullptr, 10))))
               ? 0
               : 1;
  fprintf(stderr, "usage: e2e_windows list PID | foreground HWND | serve\n");
  return 2;
}
