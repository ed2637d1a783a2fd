// The command-line text as WinMain receives it: split, read through the option table, and the
// specification that comes out handed on to the parser as the run does.
#include <cstring>

#include "cmdline/cmdline.h"
#include "drivespec/drivespec.h"
#include "fakes.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fake::Reset();
  std::string text = fuzz::CText(data, size);
  // Exactly the text and its terminator, so a read beyond the terminator hits a redzone.
  char *commandLine = static_cast<char *>(malloc(text.size() + 1));
  memcpy(commandLine, text.c_str(), text.size() + 1);

  int count = TokenizeCommandLine(commandLine);

  fuzz::Tokens expected = fuzz::ExpectedTokens(text);
  REQUIRE(memcmp(commandLine, text.c_str(), text.size() + 1) == 0);
  REQUIRE(count == expected.count);
  REQUIRE(deleteMapping == expected.deleteMapping);
  size_t entries = 0;
  while (entries < cmdline::MAX_POSITIONAL && positionalArgs[entries] != nullptr)
    ++entries;
  REQUIRE(entries == expected.positional.size());
  for (size_t i = entries; i < cmdline::MAX_POSITIONAL; ++i)
    REQUIRE(positionalArgs[i] == nullptr);
  for (size_t i = 0; i < entries; ++i) {
    // A copy holds its token's length plus ten bytes; the terminator must lie in the token's
    // own reach, which is never beyond 48 characters.
    REQUIRE(strnlen(positionalArgs[i], cmdline::MAX_TOKEN_LENGTH + 1) <= cmdline::MAX_TOKEN_LENGTH);
    REQUIRE(positionalArgs[i] == expected.positional[i]);
  }

  // The run hands entry 0 to the parser, which upper-cases it in place.
  if (entries != 0) {
    std::string before = positionalArgs[0];
    int result = ParseDriveSpec(positionalArgs[0], &driveNumber, serverName, path);
    fuzz::Parse want = fuzz::ExpectedParse(before, "ACCOUNTS");
    REQUIRE(result == want.result);
    REQUIRE(driveNumber == want.drive);
    REQUIRE(fuzz::Terminated(serverName, sizeof serverName));
    REQUIRE(serverName == want.server);
    REQUIRE(fuzz::Terminated(path, sizeof path));
    REQUIRE(strlen(path) <= drivespec::MAX_PATH_LENGTH);
    if (result == 0) {
      REQUIRE(driveNumber >= 1 && driveNumber <= 26);
      REQUIRE(path == want.path);
    }
    REQUIRE(strlen(positionalArgs[0]) == before.size());
    for (size_t i = 0; i < before.size(); ++i)
      REQUIRE(positionalArgs[0][i] == fuzz::UpperAZ(before[i]));
  }

  free(commandLine);
  return 0;
}
