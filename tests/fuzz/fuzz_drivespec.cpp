// ParseDriveSpec on any bytes. The first input byte picks the client's answers; the rest, up to
// 300 bytes, is the text, in a heap buffer of exactly its size plus the terminator. The outputs
// are heap buffers of exactly their sizes too, so any write or read beyond them is caught.
#include <cstring>

#include "drivespec/drivespec.h"
#include "fakes.h"
#include "fuzz_common.h"

namespace {

constexpr size_t MAX_TEXT = 300;
constexpr uint8_t UNTOUCHED = 0xA5;

// What the client says the default server is.
const std::string DEFAULT_SERVERS[] = {
    "ACCOUNTS", "", std::string(47, 'M'),
    std::string(48, 'L'), // fills the client's buffer with no terminator
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  fake::Reset();
  uint8_t control = data[0];
  fake::client.defaultConnection = (control & 1) != 0 ? 0x8801 : 0;
  fake::client.defaultServer = DEFAULT_SERVERS[(control >> 1) & 3];
  fake::client.getServerName = (control & 8) != 0 ? 0x880F : 0;
  std::string expectedDefault =
      fake::client.defaultConnection != 0 ? "" : fake::client.defaultServer.substr(0, 47);

  size_t length = size - 1 < MAX_TEXT ? size - 1 : MAX_TEXT;
  char *text = static_cast<char *>(malloc(length + 1));
  memcpy(text, data + 1, length);
  text[length] = '\0';
  std::string original(text, length); // embedded NULs too: nothing behind the first may change

  auto *server = static_cast<char *>(malloc(drivespec::SERVER_NAME_SIZE));
  auto *volumePath = static_cast<char *>(malloc(drivespec::PATH_SIZE));
  memset(server, UNTOUCHED, drivespec::SERVER_NAME_SIZE);
  memset(volumePath, UNTOUCHED, drivespec::PATH_SIZE);
  uint16_t drive = 0xBEEF;

  int result = ParseDriveSpec(text, &drive, server, volumePath);

  fuzz::Parse want = fuzz::ExpectedParse(fuzz::CText(data + 1, length), expectedDefault);
  REQUIRE(result == want.result);
  REQUIRE(drive == want.drive);
  if (result == 0)
    REQUIRE(drive >= 1 && drive <= 26);

  REQUIRE(fuzz::Terminated(server, drivespec::SERVER_NAME_SIZE));
  REQUIRE(server == want.server);

  if (want.pathWritten) {
    REQUIRE(fuzz::Terminated(volumePath, drivespec::PATH_SIZE));
    REQUIRE(strlen(volumePath) <= drivespec::MAX_PATH_LENGTH);
    REQUIRE(volumePath == want.path);
  } else {
    for (int i = 0; i < drivespec::PATH_SIZE; ++i)
      REQUIRE(static_cast<uint8_t>(volumePath[i]) == UNTOUCHED);
  }

  // Upper-cased a to z only, up to the terminator; nothing behind it touched.
  size_t textLength = strlen(original.c_str());
  for (size_t i = 0; i < length; ++i)
    REQUIRE(text[i] == (i < textLength ? fuzz::UpperAZ(original[i]) : original[i]));
  REQUIRE(text[length] == '\0');

  free(volumePath);
  free(server);
  free(text);
  return 0;
}
