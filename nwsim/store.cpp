#include "nwsim/store.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace nwsim {
namespace {

constexpr size_t STORE_TEXT_SIZE = 256 * 1024;
// A holder keeps the lock for milliseconds; one this old was left by a program that died.
constexpr long STALE_LOCK_SECONDS = 5;
constexpr int LOCK_WAIT_MILLISECONDS = 8000;
constexpr int LOCK_RETRY_MILLISECONDS = 2;

bool JoinPath(char *out, const char *dir, const char *name) {
  return snprintf(out, fs::PATH_SIZE, "%s/%s", dir, name) < int(fs::PATH_SIZE);
}

} // namespace

bool ResolveStoreDir(char *out, size_t size) {
  char home[fs::PATH_SIZE];
  if (fs::GetEnvironment("NWSIM_HOME", home, sizeof home))
    return fs::ToHostPath(home, out, size);
  return fs::DefaultStoreDir(out, size);
}

Store::Store(const char *dir) {
  pathsFit_ = snprintf(dir_, sizeof dir_, "%s", dir) < int(sizeof dir_) &&
              JoinPath(storePath_, dir, "store.txt") && JoinPath(tempPath_, dir, "store.new") &&
              JoinPath(lockPath_, dir, "store.lock");
}

Store::~Store() {
  if (locked_)
    fs::RemoveFile(lockPath_);
  delete world_;
}

NwResult Store::Open(OpenMode mode) {
  if (!pathsFit_)
    return ERR_NO_WORLD;
  if (!fs::IsDirectory(dir_))
    return mode == OpenMode::Existing ? ERR_NO_WORLD : ERR_STORE_UNWRITABLE;

  for (int waited = 0;; waited += LOCK_RETRY_MILLISECONDS) {
    locked_ = fs::CreateExclusive(lockPath_);
    if (locked_)
      break;
    if (fs::FileAgeSeconds(lockPath_) >= STALE_LOCK_SECONDS)
      fs::RemoveFile(lockPath_);
    else if (waited >= LOCK_WAIT_MILLISECONDS)
      return ERR_STORE_BUSY;
    else
      fs::SleepMilliseconds(LOCK_RETRY_MILLISECONDS);
  }

  world_ = new (std::nothrow) World;
  char *text = new (std::nothrow) char[STORE_TEXT_SIZE];
  if (world_ == nullptr || text == nullptr) {
    delete[] text;
    return ERR_OUT_OF_MEMORY;
  }
  size_t length = 0;
  NwResult result = 0;
  switch (fs::ReadWhole(storePath_, text, STORE_TEXT_SIZE, &length)) {
  case fs::ReadStatus::Ok:
    // A NUL inside the file would hide the rest from the parser.
    if (strlen(text) != length || !ParseWorld(text, *world_))
      result = ERR_STORE_CORRUPT;
    break;
  case fs::ReadStatus::Missing:
    ClearWorld(*world_);
    result = mode == OpenMode::Existing ? ERR_NO_WORLD : 0;
    break;
  case fs::ReadStatus::Error:
    result = ERR_STORE_CORRUPT;
    break;
  }
  delete[] text;
  return result;
}

NwResult Store::Save() {
  if (!locked_ || world_ == nullptr)
    return ERR_STORE_UNWRITABLE;
  char *text = new (std::nothrow) char[STORE_TEXT_SIZE];
  if (text == nullptr)
    return ERR_OUT_OF_MEMORY;
  size_t length = FormatWorld(*world_, text, STORE_TEXT_SIZE);
  bool saved = length != 0 && fs::WriteReplacing(storePath_, tempPath_, text, length);
  delete[] text;
  return saved ? 0 : ERR_STORE_UNWRITABLE;
}

NwResult RemoveStore(const char *dir) {
  Store store(dir);
  NwResult opened = store.Open(OpenMode::Existing);
  if (opened == ERR_NO_WORLD)
    return 0;
  if (opened == ERR_STORE_BUSY || opened == ERR_OUT_OF_MEMORY)
    return opened;
  // A corrupt store is removed all the same: that is what a reset is for.
  char path[fs::PATH_SIZE];
  return JoinPath(path, dir, "store.txt") && fs::RemoveFile(path) ? 0 : ERR_STORE_UNWRITABLE;
}

} // namespace nwsim
