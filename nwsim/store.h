// The client's state on disk: one text file in the store folder, read and replaced whole under a
// lock, so that programs using the client at once lose nothing.
#pragma once

#include <cstddef>

#include "nwsim/fs.h"
#include "nwsim/model.h"

namespace nwsim {

// NWSIM_HOME when set, else the user's profile (fs::DefaultStoreDir).
bool ResolveStoreDir(char *out, size_t size);

enum class OpenMode { Existing, CreateIfMissing };

// One locked session on the store: Open takes the lock and loads, Save writes back, and the
// lock is released when the session ends.
class Store {
public:
  explicit Store(const char *dir);
  Store(const Store &) = delete;
  Store &operator=(const Store &) = delete;
  ~Store();

  NwResult Open(OpenMode mode);
  NwResult Save();
  World &world() { return *world_; }
  const char *dir() const { return dir_; }

private:
  char dir_[fs::PATH_SIZE];
  char storePath_[fs::PATH_SIZE];
  char tempPath_[fs::PATH_SIZE];
  char lockPath_[fs::PATH_SIZE];
  bool pathsFit_;
  bool locked_ = false;
  World *world_ = nullptr;
};

// Removes the store file (the world and the state); host directories stay.
NwResult RemoveStore(const char *dir);

} // namespace nwsim
