#include "nwsim/fs.h"

#include <cstdio>
#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace nwsim {
namespace fs {

ReadStatus ReadWhole(const char *path, char *buffer, size_t size, size_t *length) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing
                                                                          : ReadStatus::Error;
  }
  size_t used = 0;
  ReadStatus status = ReadStatus::Ok;
  for (;;) {
    if (used + 1 >= size) {
      status = ReadStatus::Error;
      break;
    }
    DWORD got = 0;
    if (!::ReadFile(file, buffer + used, DWORD(size - 1 - used), &got, nullptr)) {
      status = ReadStatus::Error;
      break;
    }
    if (got == 0)
      break;
    used += got;
  }
  CloseHandle(file);
  if (status != ReadStatus::Ok)
    return status;
  buffer[used] = '\0';
  *length = used;
  return ReadStatus::Ok;
}

bool WriteReplacing(const char *path, const char *tempPath, const char *data, size_t length) {
  HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD put = 0;
  bool written = ::WriteFile(file, data, DWORD(length), &put, nullptr) && put == length &&
                 FlushFileBuffers(file);
  if (!CloseHandle(file) || !written ||
      !MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(tempPath);
    return false;
  }
  return true;
}

bool CreateExclusive(const char *path) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

bool RemoveFile(const char *path) {
  return DeleteFileA(path) != 0;
}

namespace {
uint64_t Ticks(FILETIME time) {
  return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}
} // namespace

long FileAgeSeconds(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
    return -1;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t written = Ticks(data.ftLastWriteTime), current = Ticks(now);
  return current > written ? long((current - written) / 10000000u) : 0;
}

bool IsDirectory(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const char *path) {
  return CreateDirectoryA(path, nullptr) || IsDirectory(path);
}

bool FindSubdirectory(const char *dir, const char *name, char *actual, size_t size) {
  char pattern[PATH_SIZE];
  if (snprintf(pattern, sizeof pattern, "%s/*", dir) >= int(sizeof pattern))
    return false;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE)
    return false;
  bool found = false;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        lstrcmpiA(entry.cFileName, name) != 0 || strcmp(entry.cFileName, ".") == 0 ||
        strcmp(entry.cFileName, "..") == 0)
      continue;
    if (snprintf(actual, size, "%s", entry.cFileName) < int(size)) {
      found = true;
      break;
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

void SleepMilliseconds(int milliseconds) {
  Sleep(DWORD(milliseconds));
}

bool GetEnvironment(const char *name, char *value, size_t size) {
  DWORD length = GetEnvironmentVariableA(name, value, DWORD(size));
  return length != 0 && length < size;
}

void LocalTime(uint8_t out[8]) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  out[0] = uint8_t(now.wYear - 1900);
  out[1] = uint8_t(now.wMonth);
  out[2] = uint8_t(now.wDay);
  out[3] = uint8_t(now.wHour);
  out[4] = uint8_t(now.wMinute);
  out[5] = uint8_t(now.wSecond);
  out[6] = uint8_t(now.wDayOfWeek);
  out[7] = 0;
}

uint64_t Entropy() {
  static uint64_t calls = 0;
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Ticks(now) * 1000000007u ^ uint64_t(counter.QuadPart) << 16 ^
         uint64_t(GetCurrentProcessId()) << 40 ^ ++calls;
}

bool ToHostPath(const char *path, char *out, size_t size) {
  const char *drive = path[0] == '/' ? "Z:" : "";
  return snprintf(out, size, "%s%s", drive, path) < int(size);
}

bool DefaultStoreDir(char *out, size_t size) {
  char base[PATH_SIZE];
  if (!GetEnvironment("APPDATA", base, sizeof base) &&
      !GetEnvironment("USERPROFILE", base, sizeof base))
    return false;
  return snprintf(out, size, "%s\\nwsim", base) < int(size);
}

} // namespace fs
} // namespace nwsim
