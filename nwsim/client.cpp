#include "nwsim/client.h"

#include <cstring>

#include "nwsim/model.h"
#include "nwsim/store.h"

namespace nwsim {
namespace client {
namespace {

// Runs one operation in a session: operation(world, storeDir) returns its result and whether it
// changed the world.
template <typename Operation> NwResult Run(const char *name, Operation operation) {
  char dir[fs::PATH_SIZE];
  if (!ResolveStoreDir(dir, sizeof dir))
    return ERR_NO_WORLD;
  Store store(dir);
  NwResult opened = store.Open(OpenMode::Existing);
  if (opened != 0)
    return opened;
  NwResult injected = 0;
  if (TakeFault(store.world(), name, &injected)) {
    NwResult saved = store.Save();
    return saved != 0 ? saved : injected;
  }
  bool changed = false;
  NwResult result = operation(store.world(), store.dir(), changed);
  if (changed) {
    NwResult saved = store.Save();
    if (saved != 0)
      return saved;
  }
  return result;
}

} // namespace

NwResult NwInitClient(uint32_t, uint32_t) {
  return Run("NwInitClient", [](World &, const char *, bool &) { return NwResult(0); });
}

NwResult NwGetDefaultConnection(uint16_t *connectionId) {
  if (connectionId == nullptr)
    return ERR_INVALID_PARAMETER;
  uint16_t id = 0;
  NwResult result = Run("NwGetDefaultConnection", [&](World &world, const char *, bool &) {
    return GetDefaultConnection(world, &id);
  });
  if (result == 0)
    *connectionId = id;
  return result;
}

NwResult NwGetServerName(uint16_t connectionId, char *serverName) {
  if (serverName == nullptr)
    return ERR_INVALID_PARAMETER;
  char name[NW_SERVER_NAME_SIZE] = "";
  NwResult result = Run("NwGetServerName", [&](World &world, const char *, bool &) {
    return GetServerName(world, connectionId, name);
  });
  if (result == 0)
    memcpy(serverName, name, sizeof name);
  return result;
}

NwResult NwFindConnection(const char *serverName, uint32_t, ConnectionHandle *handle, uint32_t) {
  if (serverName == nullptr || handle == nullptr)
    return ERR_INVALID_PARAMETER;
  ConnectionHandle found = 0;
  NwResult result = Run("NwFindConnection", [&](World &world, const char *, bool &) {
    return FindConnection(world, serverName, &found);
  });
  if (result == 0)
    *handle = found;
  return result;
}

NwResult NwAttachServer(const char *serverName, uint32_t, ConnectionHandle *handle) {
  if (serverName == nullptr || handle == nullptr)
    return ERR_INVALID_PARAMETER;
  ConnectionHandle attached = 0;
  NwResult result = Run("NwAttachServer", [&](World &world, const char *, bool &changed) {
    NwResult r = AttachServer(world, serverName, &attached);
    changed = r == 0;
    return r;
  });
  if (result == 0 || result == ERR_ALREADY_ATTACHED)
    *handle = attached;
  return result;
}

NwResult NwNeedsLogin(ConnectionHandle handle, uint32_t, uint32_t) {
  return Run("NwNeedsLogin",
             [&](World &world, const char *, bool &) { return NeedsLogin(world, handle); });
}

NwResult NwLogin(ConnectionHandle handle, const char *userName, uint16_t objectType,
                 const char *password) {
  return Run("NwLogin", [&](World &world, const char *, bool &changed) {
    NwResult r = Login(world, handle, userName, objectType, password);
    changed = r == 0;
    return r;
  });
}

NwResult NwMapDrive(uint16_t driveNumber, ConnectionHandle handle, uint32_t, const char *path,
                    uint32_t) {
  return Run("NwMapDrive", [&](World &world, const char *dir, bool &changed) {
    NwResult r = MapDrive(world, dir, driveNumber, handle, path);
    changed = r == 0;
    return r;
  });
}

NwResult NwUnmapDrive(uint16_t driveNumber, uint32_t) {
  return Run("NwUnmapDrive", [&](World &world, const char *, bool &changed) {
    NwResult r = UnmapDrive(world, driveNumber);
    changed = r == 0;
    return r;
  });
}

NwResult NwGetConnectionNumber(ConnectionHandle handle, uint16_t *connectionNumber) {
  if (connectionNumber == nullptr)
    return ERR_INVALID_PARAMETER;
  uint16_t number = 0;
  NwResult result = Run("NwGetConnectionNumber", [&](World &world, const char *, bool &) {
    return GetConnectionNumber(world, handle, &number);
  });
  if (result == 0)
    *connectionNumber = number;
  return result;
}

NwResult NwGetConnectionInfo(ConnectionHandle handle, uint16_t connectionNumber, char *objectName,
                             uint16_t *objectType, uint32_t *objectId, uint8_t *loginTime) {
  char name[NW_OBJECT_NAME_SIZE] = "";
  uint16_t type = 0;
  uint32_t id = 0;
  uint8_t time[NW_LOGIN_TIME_SIZE] = {};
  NwResult result = Run("NwGetConnectionInfo", [&](World &world, const char *, bool &) {
    return GetConnectionInfo(world, handle, connectionNumber, name, &type, &id, time);
  });
  if (result != 0)
    return result;
  if (objectName != nullptr)
    memcpy(objectName, name, sizeof name);
  if (objectType != nullptr)
    *objectType = type;
  if (objectId != nullptr)
    *objectId = id;
  if (loginTime != nullptr)
    memcpy(loginTime, time, sizeof time);
  return 0;
}

} // namespace client
} // namespace nwsim
