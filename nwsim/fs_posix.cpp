#include "nwsim/fs.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nwsim {
namespace fs {

ReadStatus ReadWhole(const char *path, char *buffer, size_t size, size_t *length) {
  int fd = open(path, O_RDONLY);
  if (fd < 0)
    return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Error;
  size_t used = 0;
  ReadStatus status = ReadStatus::Ok;
  for (;;) {
    if (used + 1 >= size) {
      status = ReadStatus::Error;
      break;
    }
    ssize_t got = read(fd, buffer + used, size - 1 - used);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      status = ReadStatus::Error;
      break;
    }
    if (got == 0)
      break;
    used += size_t(got);
  }
  close(fd);
  if (status != ReadStatus::Ok)
    return status;
  buffer[used] = '\0';
  *length = used;
  return ReadStatus::Ok;
}

bool WriteReplacing(const char *path, const char *tempPath, const char *data, size_t length) {
  int fd = open(tempPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0)
    return false;
  size_t done = 0;
  while (done < length) {
    ssize_t put = write(fd, data + done, length - done);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      break;
    done += size_t(put);
  }
  bool written = done == length && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(tempPath, path) != 0) {
    unlink(tempPath);
    return false;
  }
  return true;
}

bool CreateExclusive(const char *path) {
  int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0)
    return false;
  close(fd);
  return true;
}

bool RemoveFile(const char *path) {
  return unlink(path) == 0;
}

long FileAgeSeconds(const char *path) {
  struct stat info;
  if (stat(path, &info) != 0)
    return -1;
  long age = long(time(nullptr) - info.st_mtime);
  return age < 0 ? 0 : age;
}

bool IsDirectory(const char *path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectory(const char *path) {
  return mkdir(path, 0755) == 0 || (errno == EEXIST && IsDirectory(path));
}

bool FindSubdirectory(const char *dir, const char *name, char *actual, size_t size) {
  DIR *listing = opendir(dir);
  if (listing == nullptr)
    return false;
  bool found = false;
  while (dirent *entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name) != 0 || strcmp(entry->d_name, ".") == 0 ||
        strcmp(entry->d_name, "..") == 0)
      continue;
    char full[PATH_SIZE];
    if (snprintf(full, sizeof full, "%s/%s", dir, entry->d_name) >= int(sizeof full) ||
        !IsDirectory(full))
      continue;
    if (snprintf(actual, size, "%s", entry->d_name) < int(size)) {
      found = true;
      break;
    }
  }
  closedir(listing);
  return found;
}

void SleepMilliseconds(int milliseconds) {
  usleep(useconds_t(milliseconds) * 1000);
}

bool GetEnvironment(const char *name, char *value, size_t size) {
  const char *text = getenv(name);
  return text != nullptr && text[0] != '\0' && snprintf(value, size, "%s", text) < int(size);
}

void LocalTime(uint8_t out[8]) {
  time_t now = time(nullptr);
  struct tm parts;
  localtime_r(&now, &parts);
  out[0] = uint8_t(parts.tm_year);
  out[1] = uint8_t(parts.tm_mon + 1);
  out[2] = uint8_t(parts.tm_mday);
  out[3] = uint8_t(parts.tm_hour);
  out[4] = uint8_t(parts.tm_min);
  out[5] = uint8_t(parts.tm_sec);
  out[6] = uint8_t(parts.tm_wday);
  out[7] = 0;
}

uint64_t Entropy() {
  static uint64_t calls = 0;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return uint64_t(now.tv_sec) * 1000000007u ^ uint64_t(now.tv_nsec) << 20 ^
         uint64_t(getpid()) << 40 ^ ++calls;
}

bool ToHostPath(const char *path, char *out, size_t size) {
  if ((path[0] == 'Z' || path[0] == 'z') && path[1] == ':' && (path[2] == '/' || path[2] == '\\'))
    path += 2;
  size_t i = 0;
  for (; path[i] != '\0'; ++i) {
    if (i + 1 >= size)
      return false;
    out[i] = path[i] == '\\' ? '/' : path[i];
  }
  if (i >= size)
    return false;
  out[i] = '\0';
  return true;
}

bool DefaultStoreDir(char *out, size_t size) {
  char home[PATH_SIZE], user[PATH_SIZE], prefix[PATH_SIZE];
  // Wine names the profile after the Unix user; a script may run without USER set.
  if (!GetEnvironment("USER", user, sizeof user)) {
    const passwd *entry = getpwuid(getuid());
    if (entry == nullptr || snprintf(user, sizeof user, "%s", entry->pw_name) >= int(sizeof user))
      return false;
  }
  if (!GetEnvironment("HOME", home, sizeof home))
    return false;
  if (!GetEnvironment("WINEPREFIX", prefix, sizeof prefix) &&
      snprintf(prefix, sizeof prefix, "%s/.wine", home) >= int(sizeof prefix))
    return false;
  return snprintf(out, size, "%s/drive_c/users/%s/AppData/Roaming/nwsim", prefix, user) < int(size);
}

} // namespace fs
} // namespace nwsim
