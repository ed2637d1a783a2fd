// The NetWare client operations Tolvane needs, under the names the rest of the program uses.
// The list below is the one place that states each operation's library, ordinal and signature:
// the run-time binder, the stand-in client's exports and the test fakes are all generated from it,
// so a drifted argument width cannot compile on one side only.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define NWAPI __stdcall
#else
#define NWAPI
#endif

using NwResult = int32_t;
using ConnectionHandle = uint32_t;

constexpr NwResult ERR_ALREADY_ATTACHED = 0x8800;
constexpr NwResult ERR_INVALID_USER = 0x89FC;
constexpr NwResult ERR_INVALID_PASSWORD = 0x89FF;
constexpr uint16_t LOGIN_OBJECT_TYPE_USER = 0x0100;

constexpr int NW_SERVER_NAME_SIZE = 48;
constexpr int NW_OBJECT_NAME_SIZE = 48;
constexpr int NW_LOGIN_TIME_SIZE = 8;

// X(library, ordinal, name, parameters, arguments). The start-up call first, as it runs first.
#define NW_OPERATIONS(X) NW_INIT_OPERATION(X) NW_CONNECTION_OPERATIONS(X)
#define NW_INIT_OPERATION(X)                                                                       \
  X(CALWIN32, 377, NwInitClient, (uint32_t reserved1, uint32_t reserved2), (reserved1, reserved2))
#define NW_CONNECTION_OPERATIONS(X)                                                                \
  X(CALWIN32, 9, NwGetDefaultConnection, (uint16_t * connectionId), (connectionId))                \
  X(CALWIN32, 7, NwGetServerName, (uint16_t connectionId, char *serverName),                       \
    (connectionId, serverName))                                                                    \
  X(CALWIN32, 212, NwFindConnection,                                                               \
    (const char *serverName, uint32_t reserved1, ConnectionHandle *handle, uint32_t reserved2),    \
    (serverName, reserved1, handle, reserved2))                                                    \
  X(CALWIN32, 2, NwAttachServer,                                                                   \
    (const char *serverName, uint32_t reserved, ConnectionHandle *handle),                         \
    (serverName, reserved, handle))                                                                \
  X(NETWIN32, 3025, NwNeedsLogin,                                                                  \
    (ConnectionHandle handle, uint32_t reserved1, uint32_t reserved2),                             \
    (handle, reserved1, reserved2))                                                                \
  X(CALWIN32, 16, NwLogin,                                                                         \
    (ConnectionHandle handle, const char *userName, uint16_t objectType, const char *password),    \
    (handle, userName, objectType, password))                                                      \
  X(CALWIN32, 11, NwMapDrive,                                                                      \
    (uint16_t driveNumber, ConnectionHandle handle, uint32_t reserved1, const char *path,          \
     uint32_t reserved2),                                                                          \
    (driveNumber, handle, reserved1, path, reserved2))                                             \
  X(CALWIN32, 12, NwUnmapDrive, (uint16_t driveNumber, uint32_t reserved),                         \
    (driveNumber, reserved))                                                                       \
  X(CALWIN32, 8, NwGetConnectionNumber, (ConnectionHandle handle, uint16_t * connectionNumber),    \
    (handle, connectionNumber))                                                                    \
  X(CALWIN32, 115, NwGetConnectionInfo,                                                            \
    (ConnectionHandle handle, uint16_t connectionNumber, char *objectName, uint16_t *objectType,   \
     uint32_t *objectId, uint8_t *loginTime),                                                      \
    (handle, connectionNumber, objectName, objectType, objectId, loginTime))

// What the program calls. In tolvane.exe these forward to the client libraries bound at run
// time; the unit tests link recording fakes instead.
#define NW_DECLARE_OPERATION(library, ordinal, name, params, args) NwResult name params;
NW_OPERATIONS(NW_DECLARE_OPERATION)
#undef NW_DECLARE_OPERATION

// The type of each entry point as a client library exports it: <name>Fn.
namespace nw {
#define NW_DECLARE_ENTRY_TYPE(library, ordinal, name, params, args)                                \
  using name##Fn = NwResult(NWAPI *) params;
NW_OPERATIONS(NW_DECLARE_ENTRY_TYPE)
#undef NW_DECLARE_ENTRY_TYPE
} // namespace nw
