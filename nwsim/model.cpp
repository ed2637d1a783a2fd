#include "nwsim/model.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "nwsim/fs.h"
#include "nwsim/sha256.h"

namespace nwsim {
namespace {

const char STORE_HEADER[] = "nwsim-store 1";
constexpr ConnectionHandle FIRST_HANDLE = 0x00001001;

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Copies text that must fit whole; callers' strings are read no further than size bytes.
bool CopyText(char *out, size_t size, const char *text) {
  size_t length = strnlen(text, size);
  if (length >= size)
    return false;
  memcpy(out, text, length + 1);
  return true;
}

bool CopyUpper(char *out, size_t size, const char *text) {
  if (!CopyText(out, size, text))
    return false;
  for (; *out != '\0'; ++out)
    *out = Upper(*out);
  return true;
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

void HashPassword(const char *salt, const char *password, char hash[HASH_SIZE]) {
  char text[SALT_SIZE + 1 + PASSWORD_LIMIT];
  int length = snprintf(text, sizeof text, "%s:", salt);
  for (const char *p = password; *p != '\0' && size_t(length) + 1 < sizeof text; ++p)
    text[length++] = Upper(*p);
  uint8_t digest[SHA256_SIZE];
  Sha256(text, size_t(length), digest);
  for (size_t i = 0; i < SHA256_SIZE; ++i)
    snprintf(hash + 2 * i, 3, "%02x", digest[i]);
}

bool IsOperationNameImpl(const char *name) {
#define NW_MATCH(library, ordinal, opName, params, args)                                           \
  if (strcmp(name, #opName) == 0)                                                                  \
    return true;
  NW_OPERATIONS(NW_MATCH)
#undef NW_MATCH
  return false;
}

// --- The store's text form ---------------------------------------------------------------------

constexpr int MAX_FIELDS = 8;
constexpr size_t LINE_SIZE = 640;

// Splits a line at single blanks; with restField >= 0 that field takes the rest of the line,
// blanks and all, and may be empty.
int SplitFields(char *line, char *fields[MAX_FIELDS], int restField) {
  int count = 0;
  char *p = line;
  for (;;) {
    if (count == MAX_FIELDS)
      return -1;
    fields[count++] = p;
    if (count - 1 == restField)
      return count;
    char *blank = strchr(p, ' ');
    if (blank == nullptr)
      return count;
    *blank = '\0';
    p = blank + 1;
  }
}

bool ParseUnsigned(const char *text, int base, uint32_t limit, uint32_t *value) {
  if (text[0] == '\0' || text[0] == '-' || text[0] == '+' || text[0] == ' ')
    return false;
  char *end = nullptr;
  unsigned long long parsed = strtoull(text, &end, base);
  if (*end != '\0' || parsed > limit)
    return false;
  *value = uint32_t(parsed);
  return true;
}

bool IsPlainText(const char *text) {
  for (; *text != '\0'; ++text)
    if (static_cast<unsigned char>(*text) < 0x20 || *text == 0x7F)
      return false;
  return true;
}

bool ParseHexBytes(const char *text, uint8_t *out, size_t count) {
  if (strlen(text) != 2 * count)
    return false;
  for (size_t i = 0; i < count; ++i) {
    char pair[3] = {text[2 * i], text[2 * i + 1], '\0'};
    uint32_t value = 0;
    if (!ParseUnsigned(pair, 16, 0xFF, &value))
      return false;
    out[i] = uint8_t(value);
  }
  return true;
}

bool IsHex(const char *text, size_t length) {
  if (strlen(text) != length)
    return false;
  for (; *text != '\0'; ++text)
    if (strchr("0123456789abcdef", *text) == nullptr)
      return false;
  return true;
}

bool ParseRecord(char *line, World &world) {
  char *fields[MAX_FIELDS];
  const char *kind = line;
  int restField = strncmp(kind, "volume ", 7) == 0 ? 3 : strncmp(kind, "map ", 4) == 0 ? 4 : -1;
  int count = SplitFields(line, fields, restField);
  if (count < 1)
    return false;
  kind = fields[0];

  if (strcmp(kind, "counters") == 0 && count == 4) {
    uint32_t handle, number, object;
    if (!ParseUnsigned(fields[1], 16, UINT32_MAX, &handle) || handle == 0 ||
        !ParseUnsigned(fields[2], 10, UINT16_MAX, &number) || number == 0 ||
        !ParseUnsigned(fields[3], 10, UINT32_MAX, &object) || object == 0)
      return false;
    world.nextHandle = handle;
    world.nextNumber = uint16_t(number);
    world.nextObjectId = object;
    return true;
  }
  if (strcmp(kind, "server") == 0 && count == 2) {
    if (!IsValidName(fields[1]) || FindServer(world, fields[1]) != nullptr ||
        world.serverCount == MAX_SERVERS)
      return false;
    Server &server = world.servers[world.serverCount++];
    memset(&server, 0, sizeof server);
    return CopyText(server.name, NAME_SIZE, fields[1]);
  }
  if (strcmp(kind, "volume") == 0 && count == 4) {
    Server *server = FindServer(world, fields[1]);
    if (server == nullptr || server->volumeCount == MAX_VOLUMES || !IsValidName(fields[2]) ||
        fields[3][0] == '\0' || !IsPlainText(fields[3]))
      return false;
    for (int i = 0; i < server->volumeCount; ++i)
      if (SameName(server->volumes[i].name, fields[2]))
        return false;
    Volume &volume = server->volumes[server->volumeCount++];
    return CopyText(volume.name, NAME_SIZE, fields[2]) &&
           CopyText(volume.hostDir, HOST_DIR_SIZE, fields[3]);
  }
  if (strcmp(kind, "user") == 0 && (count == 5 || count == 6)) {
    Server *server = FindServer(world, fields[1]);
    uint32_t id;
    if (server == nullptr || server->userCount == MAX_USERS || !IsValidName(fields[2]) ||
        FindUser(*server, fields[2]) != nullptr || !ParseUnsigned(fields[3], 10, UINT32_MAX, &id) ||
        id == 0)
      return false;
    User &user = server->users[server->userCount++];
    memset(&user, 0, sizeof user);
    user.objectId = id;
    if (count == 5)
      return strcmp(fields[4], "-") == 0 && CopyText(user.name, NAME_SIZE, fields[2]);
    user.hasPassword = true;
    return IsHex(fields[4], SALT_SIZE - 1) && IsHex(fields[5], HASH_SIZE - 1) &&
           CopyText(user.name, NAME_SIZE, fields[2]) && CopyText(user.salt, SALT_SIZE, fields[4]) &&
           CopyText(user.hash, HASH_SIZE, fields[5]);
  }
  if (strcmp(kind, "default") == 0 && count == 2) {
    return world.defaultServer[0] == '\0' && FindServer(world, fields[1]) != nullptr &&
           CopyText(world.defaultServer, NAME_SIZE, fields[1]);
  }
  if (strcmp(kind, "attach") == 0 && count == 7) {
    Server *server = FindServer(world, fields[1]);
    uint32_t handle, number, id;
    if (server == nullptr || FindAttachmentTo(world, fields[1]) != nullptr ||
        world.attachmentCount == MAX_SERVERS ||
        !ParseUnsigned(fields[2], 16, UINT32_MAX, &handle) || handle == 0 ||
        FindAttachment(world, handle) != nullptr ||
        !ParseUnsigned(fields[3], 10, UINT16_MAX, &number) || number == 0 ||
        !ParseUnsigned(fields[5], 10, UINT32_MAX, &id))
      return false;
    for (int i = 0; i < world.attachmentCount; ++i)
      if (world.attachments[i].number == number)
        return false;
    Attachment &attachment = world.attachments[world.attachmentCount++];
    memset(&attachment, 0, sizeof attachment);
    attachment.handle = handle;
    attachment.number = uint16_t(number);
    attachment.objectId = id;
    if (!CopyText(attachment.server, NAME_SIZE, server->name) ||
        !ParseHexBytes(fields[6], attachment.loginTime, NW_LOGIN_TIME_SIZE))
      return false;
    if (strcmp(fields[4], "-") == 0)
      return id == 0;
    User *user = FindUser(*server, fields[4]);
    return user != nullptr && user->objectId == id &&
           CopyText(attachment.user, NAME_SIZE, user->name);
  }
  if (strcmp(kind, "map") == 0 && count == 5) {
    if (strlen(fields[1]) != 1 || fields[1][0] < 'A' || fields[1][0] > 'Z')
      return false;
    Mapping &mapping = world.drives[fields[1][0] - 'A' + 1];
    const Server *server = FindServer(world, fields[2]);
    if (mapping.mapped || server == nullptr || !IsPlainText(fields[4]))
      return false;
    bool volumeKnown = false;
    for (int i = 0; i < server->volumeCount; ++i)
      volumeKnown = volumeKnown || SameName(server->volumes[i].name, fields[3]);
    mapping.mapped = true;
    return volumeKnown && CopyText(mapping.server, NAME_SIZE, fields[2]) &&
           CopyText(mapping.volume, NAME_SIZE, fields[3]) &&
           CopyText(mapping.path, MAP_PATH_SIZE, fields[4]);
  }
  if (strcmp(kind, "fail") == 0 && count == 4) {
    uint32_t faultCount, code;
    if (!IsOperationNameImpl(fields[1]) || world.faultCount == MAX_FAULTS ||
        !ParseUnsigned(fields[2], 10, UINT32_MAX, &faultCount) || faultCount == 0 ||
        strncmp(fields[3], "0x", 2) != 0 || !ParseUnsigned(fields[3] + 2, 16, UINT32_MAX, &code))
      return false;
    for (int i = 0; i < world.faultCount; ++i)
      if (strcmp(world.faults[i].operation, fields[1]) == 0)
        return false;
    Fault &fault = world.faults[world.faultCount++];
    fault.count = faultCount;
    fault.code = NwResult(code);
    return CopyText(fault.operation, OPERATION_NAME_SIZE, fields[1]);
  }
  return false;
}

// Appends formatted text; once something did not fit, the whole result is refused.
struct Writer {
  char *text;
  size_t size;
  size_t used;
  bool full;

  void Add(const char *format, ...) __attribute__((format(printf, 2, 3))) {
    if (full)
      return;
    va_list args;
    va_start(args, format);
    int length = vsnprintf(text + used, size - used, format, args);
    va_end(args);
    if (length < 0 || size_t(length) >= size - used)
      full = true;
    else
      used += size_t(length);
  }
};

} // namespace

void ClearWorld(World &world) {
  memset(&world, 0, sizeof world);
  world.nextHandle = FIRST_HANDLE;
  world.nextNumber = 1;
  world.nextObjectId = 1;
}

bool SameName(const char *a, const char *b) {
  for (; *a != '\0' && Upper(*a) == Upper(*b); ++a, ++b) {
  }
  return Upper(*a) == Upper(*b);
}

bool IsValidName(const char *name) {
  size_t length = strnlen(name, NAME_SIZE);
  if (length == 0 || length >= NAME_SIZE)
    return false;
  for (; *name != '\0'; ++name)
    if (*name <= ' ' || *name >= 0x7F || strchr("/\\:", *name) != nullptr)
      return false;
  return true;
}

bool IsOperationName(const char *name) {
  return IsOperationNameImpl(name);
}

bool ParseWorld(const char *text, World &world) {
  ClearWorld(world);
  bool headerSeen = false;
  const char *p = text;
  while (*p != '\0') {
    const char *end = strchr(p, '\n');
    size_t length = end != nullptr ? size_t(end - p) : strlen(p);
    char line[LINE_SIZE];
    if (length >= sizeof line) {
      ClearWorld(world);
      return false;
    }
    memcpy(line, p, length);
    line[length] = '\0';
    if (length > 0 && line[length - 1] == '\r')
      line[length - 1] = '\0';
    p = end != nullptr ? end + 1 : p + length;

    bool good = headerSeen ? ParseRecord(line, world) : strcmp(line, STORE_HEADER) == 0;
    if (!good) {
      ClearWorld(world);
      return false;
    }
    headerSeen = true;
  }
  if (!headerSeen)
    ClearWorld(world);
  return headerSeen;
}

size_t FormatWorld(const World &world, char *text, size_t size) {
  Writer out = {text, size, 0, false};
  out.Add("%s\n", STORE_HEADER);
  out.Add("counters %08" PRIx32 " %u %" PRIu32 "\n", world.nextHandle, unsigned(world.nextNumber),
          world.nextObjectId);
  for (int s = 0; s < world.serverCount; ++s) {
    const Server &server = world.servers[s];
    out.Add("server %s\n", server.name);
    for (int v = 0; v < server.volumeCount; ++v)
      out.Add("volume %s %s %s\n", server.name, server.volumes[v].name, server.volumes[v].hostDir);
    for (int u = 0; u < server.userCount; ++u) {
      const User &user = server.users[u];
      if (user.hasPassword)
        out.Add("user %s %s %" PRIu32 " %s %s\n", server.name, user.name, user.objectId, user.salt,
                user.hash);
      else
        out.Add("user %s %s %" PRIu32 " -\n", server.name, user.name, user.objectId);
    }
  }
  if (world.defaultServer[0] != '\0')
    out.Add("default %s\n", world.defaultServer);
  for (int a = 0; a < world.attachmentCount; ++a) {
    const Attachment &attachment = world.attachments[a];
    out.Add("attach %s %08" PRIx32 " %u %s %" PRIu32 " ", attachment.server, attachment.handle,
            unsigned(attachment.number), attachment.user[0] != '\0' ? attachment.user : "-",
            attachment.objectId);
    for (int i = 0; i < NW_LOGIN_TIME_SIZE; ++i)
      out.Add("%02x", attachment.loginTime[i]);
    out.Add("\n");
  }
  for (int drive = 1; drive <= DRIVE_COUNT; ++drive) {
    const Mapping &mapping = world.drives[drive];
    if (mapping.mapped)
      out.Add("map %c %s %s %s\n", 'A' + drive - 1, mapping.server, mapping.volume, mapping.path);
  }
  for (int f = 0; f < world.faultCount; ++f)
    out.Add("fail %s %" PRIu32 " 0x%08" PRIx32 "\n", world.faults[f].operation,
            world.faults[f].count, uint32_t(world.faults[f].code));
  return out.full ? 0 : out.used;
}

Server *FindServer(World &world, const char *name) {
  return const_cast<Server *>(FindServer(const_cast<const World &>(world), name));
}

const Server *FindServer(const World &world, const char *name) {
  for (int i = 0; i < world.serverCount; ++i)
    if (SameName(world.servers[i].name, name))
      return &world.servers[i];
  return nullptr;
}

User *FindUser(Server &server, const char *name) {
  for (int i = 0; i < server.userCount; ++i)
    if (SameName(server.users[i].name, name))
      return &server.users[i];
  return nullptr;
}

Attachment *FindAttachment(World &world, ConnectionHandle handle) {
  return const_cast<Attachment *>(FindAttachment(const_cast<const World &>(world), handle));
}

const Attachment *FindAttachment(const World &world, ConnectionHandle handle) {
  for (int i = 0; i < world.attachmentCount; ++i)
    if (world.attachments[i].handle == handle)
      return &world.attachments[i];
  return nullptr;
}

const Attachment *FindAttachmentTo(const World &world, const char *server) {
  for (int i = 0; i < world.attachmentCount; ++i)
    if (SameName(world.attachments[i].server, server))
      return &world.attachments[i];
  return nullptr;
}

// --- Setting up ---------------------------------------------------------------------------------

NwResult AddServer(World &world, const char *name) {
  if (!IsValidName(name))
    return ERR_INVALID_PARAMETER;
  if (FindServer(world, name) != nullptr)
    return 0;
  if (world.serverCount == MAX_SERVERS)
    return ERR_TOO_MANY_CONNECTIONS;
  Server &server = world.servers[world.serverCount++];
  memset(&server, 0, sizeof server);
  CopyUpper(server.name, NAME_SIZE, name);
  if (world.defaultServer[0] == '\0')
    CopyText(world.defaultServer, NAME_SIZE, server.name);
  return 0;
}

NwResult AddVolume(World &world, const char *serverName, const char *volumeName,
                   const char *hostDir) {
  Server *server = FindServer(world, serverName);
  if (server == nullptr)
    return ERR_UNKNOWN_SERVER;
  if (!IsValidName(volumeName) || hostDir[0] == '\0' || !IsPlainText(hostDir) ||
      strnlen(hostDir, HOST_DIR_SIZE) >= HOST_DIR_SIZE)
    return ERR_INVALID_PARAMETER;
  Volume *volume = nullptr;
  for (int i = 0; i < server->volumeCount; ++i)
    if (SameName(server->volumes[i].name, volumeName))
      volume = &server->volumes[i];
  if (volume == nullptr) {
    if (server->volumeCount == MAX_VOLUMES)
      return ERR_INVALID_PARAMETER;
    volume = &server->volumes[server->volumeCount++];
    CopyUpper(volume->name, NAME_SIZE, volumeName);
  }
  CopyText(volume->hostDir, HOST_DIR_SIZE, hostDir);
  return 0;
}

NwResult AddUser(World &world, const char *serverName, const char *userName, const char *password) {
  Server *server = FindServer(world, serverName);
  if (server == nullptr)
    return ERR_UNKNOWN_SERVER;
  if (!IsValidName(userName) ||
      (password != nullptr && strnlen(password, PASSWORD_LIMIT) >= PASSWORD_LIMIT))
    return ERR_INVALID_PARAMETER;
  User *user = FindUser(*server, userName);
  if (user == nullptr) {
    if (server->userCount == MAX_USERS)
      return ERR_INVALID_PARAMETER;
    user = &server->users[server->userCount++];
    memset(user, 0, sizeof *user);
    CopyUpper(user->name, NAME_SIZE, userName);
    user->objectId = world.nextObjectId++;
    if (world.nextObjectId == 0)
      world.nextObjectId = 1;
  }
  user->hasPassword = password != nullptr && password[0] != '\0';
  memset(user->salt, 0, SALT_SIZE);
  memset(user->hash, 0, HASH_SIZE);
  if (user->hasPassword) {
    snprintf(user->salt, SALT_SIZE, "%016" PRIx64, fs::Entropy());
    HashPassword(user->salt, password, user->hash);
  }
  return 0;
}

NwResult SetDefaultServer(World &world, const char *serverName) {
  const Server *server = FindServer(world, serverName);
  if (server == nullptr)
    return ERR_UNKNOWN_SERVER;
  CopyText(world.defaultServer, NAME_SIZE, server->name);
  return 0;
}

namespace {
void DropMappingsTo(World &world, const char *server) {
  for (int drive = 1; drive <= DRIVE_COUNT; ++drive)
    if (world.drives[drive].mapped && SameName(world.drives[drive].server, server))
      memset(&world.drives[drive], 0, sizeof world.drives[drive]);
}
} // namespace

NwResult DetachServer(World &world, const char *server) {
  const Attachment *attachment = FindAttachmentTo(world, server);
  if (attachment == nullptr)
    return ERR_NO_CONNECTION_TO_SERVER;
  DropMappingsTo(world, server);
  int index = int(attachment - world.attachments);
  for (int i = index; i + 1 < world.attachmentCount; ++i)
    world.attachments[i] = world.attachments[i + 1];
  --world.attachmentCount;
  return 0;
}

NwResult Logout(World &world, ConnectionHandle handle) {
  Attachment *attachment = FindAttachment(world, handle);
  if (attachment == nullptr)
    return ERR_INVALID_CONNECTION;
  // As on a real client, logging out takes the drives of that server with it.
  DropMappingsTo(world, attachment->server);
  memset(attachment->user, 0, NAME_SIZE);
  attachment->objectId = 0;
  memset(attachment->loginTime, 0, NW_LOGIN_TIME_SIZE);
  return 0;
}

NwResult SetFault(World &world, const char *operation, uint32_t count, NwResult code) {
  if (!IsOperationNameImpl(operation))
    return ERR_INVALID_PARAMETER;
  int index = 0;
  while (index < world.faultCount && strcmp(world.faults[index].operation, operation) != 0)
    ++index;
  if (count == 0) {
    for (int i = index; i + 1 < world.faultCount; ++i)
      world.faults[i] = world.faults[i + 1];
    if (index < world.faultCount)
      --world.faultCount;
    return 0;
  }
  if (index == world.faultCount) {
    if (world.faultCount == MAX_FAULTS)
      return ERR_INVALID_PARAMETER;
    ++world.faultCount;
    CopyText(world.faults[index].operation, OPERATION_NAME_SIZE, operation);
  }
  world.faults[index].count = count;
  world.faults[index].code = code;
  return 0;
}

bool TakeFault(World &world, const char *operation, NwResult *code) {
  for (int i = 0; i < world.faultCount; ++i) {
    Fault &fault = world.faults[i];
    if (strcmp(fault.operation, operation) != 0 || fault.count == 0)
      continue;
    *code = fault.code;
    if (--fault.count == 0)
      SetFault(world, operation, 0, 0);
    return true;
  }
  return false;
}

// --- The client operations ----------------------------------------------------------------------

NwResult GetDefaultConnection(const World &world, uint16_t *connectionId) {
  if (connectionId == nullptr)
    return ERR_INVALID_PARAMETER;
  const Attachment *attachment =
      world.defaultServer[0] != '\0' ? FindAttachmentTo(world, world.defaultServer) : nullptr;
  if (attachment == nullptr)
    return ERR_NO_CONNECTION_TO_SERVER;
  *connectionId = attachment->number;
  return 0;
}

NwResult GetServerName(const World &world, uint16_t connectionId, char *serverName) {
  if (serverName == nullptr)
    return ERR_INVALID_PARAMETER;
  for (int i = 0; i < world.attachmentCount; ++i)
    if (world.attachments[i].number == connectionId && connectionId != 0)
      return CopyText(serverName, NW_SERVER_NAME_SIZE, world.attachments[i].server)
                 ? 0
                 : ERR_INVALID_CONNECTION;
  return ERR_INVALID_CONNECTION;
}

NwResult FindConnection(const World &world, const char *serverName, ConnectionHandle *handle) {
  if (serverName == nullptr || handle == nullptr)
    return ERR_INVALID_PARAMETER;
  if (strnlen(serverName, NAME_SIZE) >= NAME_SIZE)
    return ERR_NO_CONNECTION_TO_SERVER;
  const Attachment *attachment = FindAttachmentTo(world, serverName);
  if (attachment == nullptr)
    return ERR_NO_CONNECTION_TO_SERVER;
  *handle = attachment->handle;
  return 0;
}

NwResult AttachServer(World &world, const char *serverName, ConnectionHandle *handle) {
  if (serverName == nullptr || handle == nullptr)
    return ERR_INVALID_PARAMETER;
  if (strnlen(serverName, NAME_SIZE) >= NAME_SIZE)
    return ERR_UNKNOWN_SERVER;
  const Server *server = FindServer(world, serverName);
  if (server == nullptr)
    return ERR_UNKNOWN_SERVER;
  if (const Attachment *attached = FindAttachmentTo(world, serverName)) {
    *handle = attached->handle;
    return ERR_ALREADY_ATTACHED;
  }
  if (world.attachmentCount == MAX_SERVERS)
    return ERR_TOO_MANY_CONNECTIONS;

  Attachment &attachment = world.attachments[world.attachmentCount];
  memset(&attachment, 0, sizeof attachment);
  CopyText(attachment.server, NAME_SIZE, server->name);
  // Handles and numbers are never handed out twice while in use, even after the counters wrap.
  do
    attachment.handle = world.nextHandle++;
  while (attachment.handle == 0 || FindAttachment(world, attachment.handle) != nullptr);
  bool numberUsed;
  do {
    attachment.number = world.nextNumber++;
    numberUsed = attachment.number == 0;
    for (int i = 0; i < world.attachmentCount && !numberUsed; ++i)
      numberUsed = world.attachments[i].number == attachment.number;
  } while (numberUsed);
  ++world.attachmentCount;
  *handle = attachment.handle;
  return 0;
}

NwResult NeedsLogin(const World &world, ConnectionHandle handle) {
  const Attachment *attachment = FindAttachment(world, handle);
  if (attachment == nullptr)
    return ERR_INVALID_CONNECTION;
  return attachment->user[0] != '\0' ? 0 : ERR_NOT_LOGGED_IN;
}

NwResult Login(World &world, ConnectionHandle handle, const char *userName, uint16_t objectType,
               const char *password) {
  if (userName == nullptr || password == nullptr)
    return ERR_INVALID_PARAMETER;
  Attachment *attachment = FindAttachment(world, handle);
  if (attachment == nullptr)
    return ERR_INVALID_CONNECTION;
  Server *server = FindServer(world, attachment->server);
  User *user = server != nullptr && objectType == LOGIN_OBJECT_TYPE_USER &&
                       strnlen(userName, NAME_SIZE) < NAME_SIZE
                   ? FindUser(*server, userName)
                   : nullptr;
  if (user == nullptr)
    return ERR_INVALID_USER;

  if (strnlen(password, PASSWORD_LIMIT) >= PASSWORD_LIMIT)
    return ERR_INVALID_PASSWORD;
  if (user->hasPassword) {
    char hash[HASH_SIZE];
    HashPassword(user->salt, password, hash);
    if (strcmp(hash, user->hash) != 0)
      return ERR_INVALID_PASSWORD;
  } else if (password[0] != '\0') {
    return ERR_INVALID_PASSWORD;
  }

  CopyText(attachment->user, NAME_SIZE, user->name);
  attachment->objectId = user->objectId;
  fs::LocalTime(attachment->loginTime);
  return 0;
}

bool VolumeHostDir(const Volume &volume, const char *storeDir, char *out, size_t size) {
  const char *dir = volume.hostDir;
  bool absolute = IsSeparator(dir[0]) || (dir[0] != '\0' && dir[1] == ':');
  if (absolute)
    return fs::ToHostPath(dir, out, size);
  return snprintf(out, size, "%s/%s", storeDir, dir) < int(size);
}

NwResult MapDrive(World &world, const char *storeDir, uint16_t driveNumber, ConnectionHandle handle,
                  const char *path) {
  if (driveNumber < 1 || driveNumber > DRIVE_COUNT)
    return ERR_INVALID_DRIVE;
  if (path == nullptr)
    return ERR_INVALID_PARAMETER;
  const Attachment *attachment = FindAttachment(world, handle);
  if (attachment == nullptr)
    return ERR_INVALID_CONNECTION;
  if (attachment->user[0] == '\0')
    return ERR_NOT_LOGGED_IN;

  char request[MAP_PATH_SIZE];
  if (!CopyText(request, sizeof request, path))
    return ERR_INVALID_PATH;
  char *colon = strchr(request, ':');
  if (colon == nullptr)
    return ERR_INVALID_PATH;
  *colon = '\0';
  const Server *server = FindServer(world, attachment->server);
  const Volume *volume = nullptr;
  for (int i = 0; server != nullptr && i < server->volumeCount; ++i)
    if (SameName(server->volumes[i].name, request))
      volume = &server->volumes[i];
  if (volume == nullptr)
    return ERR_VOLUME_NOT_FOUND;

  char hostPath[fs::PATH_SIZE];
  if (!VolumeHostDir(*volume, storeDir, hostPath, sizeof hostPath) || !fs::IsDirectory(hostPath))
    return ERR_VOLUME_NOT_FOUND;

  // Walk the directory part one name at a time, as the file system spells each name.
  char canonical[MAP_PATH_SIZE] = "";
  size_t canonicalLength = 0;
  size_t hostLength = strlen(hostPath);
  char *name = colon + 1;
  while (*name != '\0') {
    char *end = name;
    while (*end != '\0' && !IsSeparator(*end))
      ++end;
    bool last = *end == '\0';
    *end = '\0';
    if (*name != '\0') {
      if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return ERR_INVALID_PATH;
      char actual[fs::PATH_SIZE];
      if (!fs::FindSubdirectory(hostPath, name, actual, sizeof actual))
        return ERR_INVALID_PATH;
      int added = snprintf(hostPath + hostLength, sizeof hostPath - hostLength, "/%s", actual);
      if (added < 0 || size_t(added) >= sizeof hostPath - hostLength)
        return ERR_INVALID_PATH;
      hostLength += size_t(added);
      added = snprintf(canonical + canonicalLength, sizeof canonical - canonicalLength, "%s%s",
                       canonicalLength != 0 ? "\\" : "", actual);
      if (added < 0 || size_t(added) >= sizeof canonical - canonicalLength)
        return ERR_INVALID_PATH;
      canonicalLength += size_t(added);
    }
    name = last ? end : end + 1;
  }

  Mapping &mapping = world.drives[driveNumber];
  mapping.mapped = true;
  CopyText(mapping.server, NAME_SIZE, attachment->server);
  CopyText(mapping.volume, NAME_SIZE, volume->name);
  CopyText(mapping.path, MAP_PATH_SIZE, canonical);
  return 0;
}

NwResult UnmapDrive(World &world, uint16_t driveNumber) {
  if (driveNumber < 1 || driveNumber > DRIVE_COUNT)
    return ERR_INVALID_DRIVE;
  if (!world.drives[driveNumber].mapped)
    return ERR_DRIVE_NOT_MAPPED;
  memset(&world.drives[driveNumber], 0, sizeof world.drives[driveNumber]);
  return 0;
}

NwResult GetConnectionNumber(const World &world, ConnectionHandle handle, uint16_t *number) {
  if (number == nullptr)
    return ERR_INVALID_PARAMETER;
  const Attachment *attachment = FindAttachment(world, handle);
  if (attachment == nullptr)
    return ERR_INVALID_CONNECTION;
  *number = attachment->number;
  return 0;
}

NwResult GetConnectionInfo(const World &world, ConnectionHandle handle, uint16_t number,
                           char *objectName, uint16_t *objectType, uint32_t *objectId,
                           uint8_t *loginTime) {
  const Attachment *attachment = FindAttachment(world, handle);
  if (attachment == nullptr || attachment->number != number)
    return ERR_INVALID_CONNECTION;
  bool loggedIn = attachment->user[0] != '\0';
  if (objectName != nullptr)
    CopyText(objectName, NW_OBJECT_NAME_SIZE, attachment->user);
  if (objectType != nullptr)
    *objectType = loggedIn ? LOGIN_OBJECT_TYPE_USER : 0;
  if (objectId != nullptr)
    *objectId = attachment->objectId;
  if (loginTime != nullptr)
    memcpy(loginTime, attachment->loginTime, NW_LOGIN_TIME_SIZE);
  return 0;
}

} // namespace nwsim
