#include "drivespec/drivespec.h"

#include <cstring>

#include "netware/netware.h"

uint16_t driveNumber;
char serverName[drivespec::SERVER_NAME_SIZE];
char path[drivespec::PATH_SIZE];

namespace {

using namespace drivespec;

bool IsServerSeparator(char c) {
  return c == '/' || c == '\\';
}

// The default connection's server, or an empty name when the client cannot say which it is.
void SetDefaultServer(char *name) {
  name[0] = '\0';
  uint16_t connectionId = 0;
  if (NwGetDefaultConnection(&connectionId) == 0)
    NwGetServerName(connectionId, name);
  // Whatever the client wrote, the name ends inside its buffer.
  name[SERVER_NAME_SIZE - 1] = '\0';
}

} // namespace

int ParseDriveSpec(char *text, uint16_t *drive, char *server, char *volumePath) {
  SetDefaultServer(server);

  if (text[0] == '\0') {
    *drive = DEFAULT_DRIVE_NUMBER;
    volumePath[0] = '\0';
    return 0;
  }

  for (char *c = text; *c != '\0'; ++c)
    if (*c >= 'a' && *c <= 'z')
      *c = static_cast<char>(*c - 32);

  // The rejected number stays behind on refusal, as callers have always seen it.
  *drive = static_cast<uint16_t>(static_cast<unsigned char>(text[0]) - 64);
  if (*drive < 1 || *drive > 26)
    return 1;

  // "F" and "F:" name a drive and nothing else: the scan would start behind their terminator.
  if (text[1] == '\0' || text[2] == '\0') {
    volumePath[0] = '\0';
    return 0;
  }

  // A segment is a run of the text itself, so only where the last one closed is remembered;
  // nothing is written to the outputs until the text is accepted.
  int segmentStart = 3;
  int serverStart = -1;
  int serverLength = 0;
  int length = 0;
  bool colonSeen = false;
  for (int position = 3;; ++position) {
    char c = text[position];
    if (IsServerSeparator(c) && !colonSeen) {
      serverStart = segmentStart;
      serverLength = length;
      segmentStart = position + 1;
      length = 0;
      continue;
    }
    if (c == ':')
      colonSeen = true;
    if (c == '\0')
      break;
    ++length;
    if (position >= SCAN_LIMIT)
      break;
  }

  if (serverStart >= 0) {
    // No server name is longer than 47 characters: such a specification cannot be meant.
    if (serverLength >= SERVER_NAME_SIZE)
      return 1;
    memcpy(server, text + serverStart, serverLength);
    server[serverLength] = '\0';
  }
  memcpy(volumePath, text + segmentStart, length);
  volumePath[length] = '\0';
  return 0;
}
