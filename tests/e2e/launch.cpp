// Runs a program and prints its exit code in full. Wine hands the Unix side only the low 8 bits
// of a Windows exit code, and NetWare results such as 0x8800 would arrive as 0.
//
//   e2e_launch TIMEOUT_MS PROGRAM [TEXT...]
//
// Everything after PROGRAM and the blank behind it is passed on verbatim as the program's command
// line tail. Prints "pid N" once the program runs, then "exit 0xXXXXXXXX" (or "timeout" after
// ending a program that outlived TIMEOUT_MS), and exits with the program's code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Skips one token of a command line: a quoted run or a run of non-blanks, then the blanks behind.
const char *SkipToken(const char *p) {
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"')
      ++p;
    if (*p == '"')
      ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t')
      ++p;
  }
  while (*p == ' ' || *p == '\t')
    ++p;
  return p;
}

// Copies one token without its quotes.
void CopyToken(const char *p, char *out, size_t size) {
  size_t n = 0;
  bool quoted = *p == '"';
  if (quoted)
    ++p;
  while (*p != '\0' && n + 1 < size && (quoted ? *p != '"' : (*p != ' ' && *p != '\t')))
    out[n++] = *p++;
  out[n] = '\0';
}

} // namespace

int main() {
  const char *line = SkipToken(GetCommandLineA());
  char timeoutText[32];
  CopyToken(line, timeoutText, sizeof timeoutText);
  line = SkipToken(line);
  char program[MAX_PATH];
  CopyToken(line, program, sizeof program);
  if (timeoutText[0] == '\0' || program[0] == '\0') {
    fprintf(stderr, "usage: e2e_launch TIMEOUT_MS PROGRAM [TEXT...]\n");
    return 2;
  }
  const char *tail = SkipToken(line);
  DWORD timeout = strtoul(timeoutText, nullptr, 10);

  static char commandLine[32768];
  if (tail[0] != '\0')
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", program, tail);
  else
    snprintf(commandLine, sizeof commandLine, "\"%s\"", program);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    printf("error CreateProcess %lu\n", GetLastError());
    fflush(stdout);
    return 2;
  }
  printf("pid %lu\n", process.dwProcessId);
  fflush(stdout);

  DWORD code = 0;
  if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
    // A program left running would hold the display and the client store of the next run.
    TerminateProcess(process.hProcess, 0xDEAD);
    WaitForSingleObject(process.hProcess, 5000);
    printf("timeout\n");
    fflush(stdout);
    return 2;
  }
  GetExitCodeProcess(process.hProcess, &code);
  printf("exit 0x%08lX\n", code);
  fflush(stdout);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
