// The stand-in client's only window onto the file system and the process environment: the
// Windows API in the DLLs and nwsim.exe, POSIX in the native tool and tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nwsim {
namespace fs {

constexpr size_t PATH_SIZE = 260;

enum class ReadStatus { Ok, Missing, Error };

// Reads the whole file and terminates it; a file that does not fit is an error, never cut short.
ReadStatus ReadWhole(const char *path, char *buffer, size_t size, size_t *length);
// Writes tempPath, then renames it over path, so a reader sees the old file or the new one.
bool WriteReplacing(const char *path, const char *tempPath, const char *data, size_t length);
// Fails when the file already exists: the store's lock.
bool CreateExclusive(const char *path);
bool RemoveFile(const char *path);
// Seconds since the file was last written; negative when it does not exist.
long FileAgeSeconds(const char *path);
bool IsDirectory(const char *path);
// Creates one directory level; an existing directory is success.
bool MakeDirectory(const char *path);
// Finds the subdirectory of dir whose name equals name without regard to case, and gives its
// name as the file system spells it.
bool FindSubdirectory(const char *dir, const char *name, char *actual, size_t size);
void SleepMilliseconds(int milliseconds);
bool GetEnvironment(const char *name, char *value, size_t size);
// Year since 1900, month, day, hour, minute, second, weekday (0 = Sunday), 0.
void LocalTime(uint8_t time[8]);
// Differs between calls and processes; for salts, not for secrets.
uint64_t Entropy();
// Wine maps Z: to the Unix root, so one absolute path can name the store for both sides: a path
// beginning with '/' gains "Z:" on Windows, and "Z:" followed by a separator is dropped natively.
bool ToHostPath(const char *path, char *out, size_t size);
// Where the store lives when NWSIM_HOME is not set: the Windows user's application data, which
// natively is found inside the Wine prefix.
bool DefaultStoreDir(char *out, size_t size);

} // namespace fs
} // namespace nwsim
