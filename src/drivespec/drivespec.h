// The drive specification X:=[SERVER/]VOLUME:PATH and the run's one request read from it.
#pragma once

#include <cstdint>

namespace drivespec {
constexpr int SERVER_NAME_SIZE = 48; // 47 characters and the terminator
constexpr int PATH_SIZE = 256;
constexpr int MAX_PATH_LENGTH = 248; // positions 3 to 250
constexpr int SCAN_LIMIT = 250;      // the scan ends after appending at this position or later
constexpr uint16_t DEFAULT_DRIVE_NUMBER = 14; // N
} // namespace drivespec

// MappingRequest: written only by ParseDriveSpec.
extern uint16_t driveNumber;
extern char serverName[drivespec::SERVER_NAME_SIZE];
extern char path[drivespec::PATH_SIZE];

// Reads text (upper-cased in place) into the three outputs. Returns 0 when accepted, 1 when
// refused: a first character that is not a letter, or a server name of more than 47 characters.
int ParseDriveSpec(char *text, uint16_t *driveNumber, char *serverName, char *path);
