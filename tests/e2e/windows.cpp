// Reads what a process shows on screen from its real windows, so that the tests assert on
// classes, captions, texts, styles and rectangles rather than on pixels.
//
//   e2e_windows list PID       visible top-level windows of PID and their controls
//   e2e_windows foreground HWND  brings a window to the foreground, for the keystrokes that follow
//
// "list" prints "screen W H", then for each window a line
//   window HWND class="..." caption="..." rect=L,T,R,B style=0x... xwin=N
// followed by one line per child control
//   control HWND id=N class="..." text="..." rect=L,T,R,B style=0x...
// with xwin=N (the X window) on window lines and icon=NAME on a message box's icon. Texts are
// quoted with \\, \" and \xNN escapes.
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

// Names a message box's icon by the system icon it shows.
const char *IconName(HWND control) {
  DWORD_PTR shown = 0;
  SendMessageTimeoutA(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &shown);
  const struct {
    LPCSTR id;
    const char *name;
  } icons[] = {{IDI_WARNING, "warning"},
               {IDI_INFORMATION, "information"},
               {IDI_ERROR, "error"},
               {IDI_QUESTION, "question"}};
  for (const auto &icon : icons)
    if (reinterpret_cast<DWORD_PTR>(LoadIconA(nullptr, icon.id)) == shown)
      return icon.name;
  return "unknown";
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
  if (strcmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
    printf(" icon=%s", IconName(window));
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

} // namespace

int main(int argc, char **argv) {
  if (argc == 3 && strcmp(argv[1], "list") == 0) {
    RECT screen = {};
    GetClientRect(GetDesktopWindow(), &screen);
    printf("screen %ld %ld\n", screen.right - screen.left, screen.bottom - screen.top);
    EnumWindows(PrintTopLevel, static_cast<LPARAM>(strtoul(argv[2], nullptr, 10)));
    return 0;
  }
  if (argc == 3 && strcmp(argv[1], "foreground") == 0) {
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(strtoul(argv[2], nullptr, 10)));
    SetForegroundWindow(window);
    return GetForegroundWindow() == window ? 0 : 1;
  }
  fprintf(stderr, "usage: e2e_windows list PID | foreground HWND\n");
  return 2;
}
