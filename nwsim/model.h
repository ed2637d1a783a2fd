// The stand-in NetWare client's world and state, and the client operations on them, in memory.
// The store (store.h) loads a World, runs one operation and saves it back; the DLLs, nwsim and
// the tests all share this one model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "netware/netware.h"

namespace nwsim {

// Codes of our own, in the NetWare client's ranges; README.md lists them with the named ones.
constexpr NwResult ERR_INVALID_CONNECTION = 0x8801;
constexpr NwResult ERR_INVALID_DRIVE = 0x8802;
constexpr NwResult ERR_DRIVE_NOT_MAPPED = 0x8803;
constexpr NwResult ERR_NO_CONNECTION_TO_SERVER = 0x880F;
constexpr NwResult ERR_INVALID_PARAMETER = 0x8836;
constexpr NwResult ERR_UNKNOWN_SERVER = 0x8847;
constexpr NwResult ERR_TOO_MANY_CONNECTIONS = 0x8848;
constexpr NwResult ERR_NO_WORLD = 0x88F0;
constexpr NwResult ERR_STORE_CORRUPT = 0x88F1;
constexpr NwResult ERR_STORE_BUSY = 0x88F2;
constexpr NwResult ERR_STORE_UNWRITABLE = 0x88F3;
constexpr NwResult ERR_OUT_OF_MEMORY = 0x88F4;
constexpr NwResult ERR_NOT_LOGGED_IN = 0x897D;
constexpr NwResult ERR_VOLUME_NOT_FOUND = 0x8998;
constexpr NwResult ERR_INVALID_PATH = 0x899C;

constexpr size_t NAME_SIZE = NW_SERVER_NAME_SIZE; // servers, volumes, users: 47 characters
constexpr size_t HOST_DIR_SIZE = 260;
constexpr size_t MAP_PATH_SIZE = 256;
constexpr size_t PASSWORD_LIMIT = 128;
constexpr size_t SALT_SIZE = 17; // 16 hex digits
constexpr size_t HASH_SIZE = 65; // SHA-256 in hex
constexpr size_t OPERATION_NAME_SIZE = 32;
constexpr int MAX_SERVERS = 16;
constexpr int MAX_VOLUMES = 8;
constexpr int MAX_USERS = 16;
constexpr int MAX_FAULTS = 11;
constexpr int DRIVE_COUNT = 26;

struct Volume {
  char name[NAME_SIZE];
  // Relative to the store folder, or absolute.
  char hostDir[HOST_DIR_SIZE];
};

struct User {
  char name[NAME_SIZE];
  uint32_t objectId;
  bool hasPassword;
  char salt[SALT_SIZE];
  char hash[HASH_SIZE];
};

struct Server {
  char name[NAME_SIZE];
  Volume volumes[MAX_VOLUMES];
  int volumeCount;
  User users[MAX_USERS];
  int userCount;
};

struct Attachment {
  char server[NAME_SIZE];
  ConnectionHandle handle;
  uint16_t number;
  char user[NAME_SIZE]; // empty while nobody is logged in
  uint32_t objectId;
  uint8_t loginTime[NW_LOGIN_TIME_SIZE];
};

struct Mapping {
  bool mapped;
  char server[NAME_SIZE];
  char volume[NAME_SIZE];
  char path[MAP_PATH_SIZE]; // below the volume, '\' between names; empty for the root
};

struct Fault {
  char operation[OPERATION_NAME_SIZE];
  uint32_t count;
  NwResult code;
};

struct World {
  Server servers[MAX_SERVERS];
  int serverCount;
  char defaultServer[NAME_SIZE];
  Attachment attachments[MAX_SERVERS];
  int attachmentCount;
  Mapping drives[DRIVE_COUNT + 1]; // by drive number, 1 = A
  Fault faults[MAX_FAULTS];
  int faultCount;
  ConnectionHandle nextHandle;
  uint16_t nextNumber;
  uint32_t nextObjectId;
};

void ClearWorld(World &world);

// The text form of the store, one record a line. Parse accepts only what Format writes and
// refuses anything else as a whole, leaving the world cleared.
bool ParseWorld(const char *text, World &world);
// Returns the length written, or 0 when the text does not fit.
size_t FormatWorld(const World &world, char *text, size_t size);

// Names compare as NetWare compares them: letters without regard to case.
bool SameName(const char *a, const char *b);
bool IsValidName(const char *name);
// The operation names that faults may be set on: those of NW_OPERATIONS.
bool IsOperationName(const char *name);

Server *FindServer(World &world, const char *name);
const Server *FindServer(const World &world, const char *name);
User *FindUser(Server &server, const char *name);
Attachment *FindAttachment(World &world, ConnectionHandle handle);
const Attachment *FindAttachment(const World &world, ConnectionHandle handle);
const Attachment *FindAttachmentTo(const World &world, const char *server);

// Setting up the world (the control tool). Each returns 0 or an nwsim code.
NwResult AddServer(World &world, const char *name);
NwResult AddVolume(World &world, const char *server, const char *volume, const char *hostDir);
// A null password makes a user who logs in with an empty one.
NwResult AddUser(World &world, const char *server, const char *user, const char *password);
NwResult SetDefaultServer(World &world, const char *server);
NwResult DetachServer(World &world, const char *server);
NwResult Logout(World &world, ConnectionHandle handle);
NwResult SetFault(World &world, const char *operation, uint32_t count, NwResult code);
// Takes one pending fault of the operation: true with its code, and one fewer left.
bool TakeFault(World &world, const char *operation, NwResult *code);

// The client operations. Out-arguments are written only on success, except that attaching an
// attached server gives its handle with ERR_ALREADY_ATTACHED. storeDir resolves relative
// volume directories.
NwResult GetDefaultConnection(const World &world, uint16_t *connectionId);
NwResult GetServerName(const World &world, uint16_t connectionId, char *serverName);
NwResult FindConnection(const World &world, const char *serverName, ConnectionHandle *handle);
NwResult AttachServer(World &world, const char *serverName, ConnectionHandle *handle);
NwResult NeedsLogin(const World &world, ConnectionHandle handle);
NwResult Login(World &world, ConnectionHandle handle, const char *userName, uint16_t objectType,
               const char *password);
NwResult MapDrive(World &world, const char *storeDir, uint16_t driveNumber, ConnectionHandle handle,
                  const char *path);
NwResult UnmapDrive(World &world, uint16_t driveNumber);
NwResult GetConnectionNumber(const World &world, ConnectionHandle handle, uint16_t *number);
NwResult GetConnectionInfo(const World &world, ConnectionHandle handle, uint16_t number,
                           char *objectName, uint16_t *objectType, uint32_t *objectId,
                           uint8_t *loginTime);

// The host directory of a volume: absolute ones through fs::ToHostPath, others under storeDir.
bool VolumeHostDir(const Volume &volume, const char *storeDir, char *out, size_t size);

} // namespace nwsim
