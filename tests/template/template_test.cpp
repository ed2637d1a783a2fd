// Reads ENTRY_DIALOG back out of the built tolvane.exe and compares it, byte field by field, with
// the layout the dialog procedure and the users' eyes rely on. Run under Wine by CTest.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "res/resource.h"

namespace {

int failures;
int checks;
const char *context = "";

void Check(bool ok, const char *file, int line, const char *format, ...) {
  ++checks;
  if (ok)
    return;
  ++failures;
  fprintf(stdout, "%s:%d: %s: ", file, line, context);
  va_list arguments;
  va_start(arguments, format);
  vfprintf(stdout, format, arguments);
  va_end(arguments);
  fputc('\n', stdout);
}
#define CHECK(ok, ...) Check((ok), __FILE__, __LINE__, __VA_ARGS__)

// Walks a classic dialog template.
class Reader {
public:
  explicit Reader(const BYTE *data) : p_(data) {}
  WORD Word() {
    WORD value;
    memcpy(&value, p_, sizeof value);
    p_ += sizeof value;
    return value;
  }
  DWORD Dword() {
    DWORD value;
    memcpy(&value, p_, sizeof value);
    p_ += sizeof value;
    return value;
  }
  short Short() { return static_cast<short>(Word()); }
  // A string or an ordinal: ordinals come back as "#<number>".
  void StringOrOrdinal(char *out, size_t size) {
    WORD first = Word();
    if (first == 0xFFFF) {
      snprintf(out, size, "#%u", Word());
      return;
    }
    size_t n = 0;
    for (WORD c = first; c != 0; c = Word())
      if (n + 1 < size)
        out[n++] = c < 128 ? static_cast<char>(c) : '?';
    out[n] = '\0';
  }
  void AlignDword(const BYTE *base) {
    while ((p_ - base) % 4 != 0)
      ++p_;
  }

private:
  const BYTE *p_;
};

struct Control {
  int id;
  const char *className; // by atom
  const char *text;
  short x, y, cx, cy;
  DWORD style;
};

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE;
const Control CONTROLS[] = {
    {IDC_USERNAME, "#129", "", 16, 47, 160, 12, CHILD | WS_BORDER | WS_TABSTOP | ES_UPPERCASE},
    {IDC_PASSWORD, "#129", "", 16, 68, 160, 12,
     CHILD | WS_BORDER | WS_TABSTOP | ES_UPPERCASE | ES_PASSWORD},
    {0xFFFF, "#130", "User Name", 16, 39, 60, 8, CHILD | WS_GROUP | SS_LEFT},
    {0xFFFF, "#130", "Password", 16, 60, 60, 8, CHILD | WS_GROUP | SS_LEFT},
    {IDOK, "#128", "&OK", 80, 97, 50, 14, CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {IDCANCEL, "#128", "&Cancel", 135, 97, 50, 14, CHILD | WS_TABSTOP | BS_PUSHBUTTON},
    {0xFFFF, "#128", "", 6, 4, 179, 27, CHILD | BS_GROUPBOX},
    {0xFFFF, "#130", "Map", 12, 16, 17, 8, CHILD | WS_GROUP | SS_LEFT},
    {IDC_DRIVE, "#129", "", 33, 14, 16, 12, CHILD | WS_BORDER | WS_TABSTOP | ES_UPPERCASE},
    {0xFFFF, "#130", "To", 53, 16, 13, 8, CHILD | WS_GROUP | SS_LEFT},
    {IDC_PATH, "#129", "", 66, 14, 110, 12, CHILD | WS_BORDER | WS_TABSTOP | ES_UPPERCASE},
    {0xFFFF, "#128", "", 5, 31, 179, 58, CHILD | BS_GROUPBOX},
};

} // namespace

int main(int argc, char **argv) {
  const char *exe = argc > 1 ? argv[1] : "tolvane.exe";
  HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  context = exe;
  CHECK(module != nullptr, "cannot load (error %lu)", GetLastError());
  if (module == nullptr)
    return 1;
  HRSRC found = FindResourceA(module, "ENTRY_DIALOG", MAKEINTRESOURCEA(5)); // RT_DIALOG
  CHECK(found != nullptr, "no dialog named ENTRY_DIALOG");
  if (found == nullptr)
    return 1;
  const BYTE *base = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
  Reader r(base);

  context = "dialog";
  DWORD style = r.Dword();
  CHECK(style != 0xFFFF0001, "an extended template; expected the classic form");
  DWORD expected = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  CHECK(style == expected, "style %08lx, expected %08lx", style, expected);
  CHECK(r.Dword() == 0, "extended style");
  WORD count = r.Word();
  CHECK(count == 12, "%u controls", count);
  short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
  CHECK(x == 37 && y == 39 && cx == 192 && cy == 119, "rectangle %d,%d %dx%d", x, y, cx, cy);
  char text[128];
  r.StringOrOrdinal(text, sizeof text);
  CHECK(strcmp(text, "") == 0, "menu \"%s\"", text);
  r.StringOrOrdinal(text, sizeof text);
  CHECK(strcmp(text, "") == 0, "class \"%s\"", text);
  r.StringOrOrdinal(text, sizeof text);
  CHECK(strcmp(text, "Tolvane") == 0, "caption \"%s\"", text);
  WORD points = r.Word();
  r.StringOrOrdinal(text, sizeof text);
  CHECK(points == 8 && strcmp(text, "MS Sans Serif") == 0, "font %u \"%s\"", points, text);

  for (int i = 0; i < count && i < 12; ++i) {
    const Control &want = CONTROLS[i];
    char label[32];
    snprintf(label, sizeof label, "control %d (id %d)", i + 1, want.id);
    context = label;
    r.AlignDword(base);
    DWORD controlStyle = r.Dword();
    CHECK(controlStyle == want.style, "style %08lx, expected %08lx", controlStyle, want.style);
    CHECK(r.Dword() == 0, "extended style");
    short cx0 = r.Short(), cy0 = r.Short(), w = r.Short(), h = r.Short();
    CHECK(cx0 == want.x && cy0 == want.y && w == want.cx && h == want.cy,
          "rectangle %d,%d %dx%d, expected %d,%d %dx%d", cx0, cy0, w, h, want.x, want.y, want.cx,
          want.cy);
    WORD id = r.Word();
    CHECK(id == want.id, "id %u", id);
    r.StringOrOrdinal(text, sizeof text);
    CHECK(strcmp(text, want.className) == 0, "class \"%s\", expected atom \"%s\"", text,
          want.className);
    r.StringOrOrdinal(text, sizeof text);
    CHECK(strcmp(text, want.text) == 0, "text \"%s\", expected \"%s\"", text, want.text);
    WORD extra = r.Word();
    CHECK(extra == 0, "%u bytes of creation data", extra);
  }

  printf("template: %d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
