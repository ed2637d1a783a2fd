// nwsim: sets up the stand-in client's world and shows or changes its state, through the same
// model and store as the client libraries.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "nwsim/fs.h"
#include "nwsim/model.h"
#include "nwsim/store.h"

namespace {

using namespace nwsim;

// Exit codes, for scripts.
constexpr int EXIT_DONE = 0;
constexpr int EXIT_REFUSED = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_STORE = 3;

const char USAGE[] =
    "usage: nwsim COMMAND [ARGUMENTS]\n"
    "  demo                             replace the store with the demo world\n"
    "  reset                            remove the world and the client's state\n"
    "  show                             print the world and the client's state\n"
    "  where                            print the store folder\n"
    "  add-server SERVER                add a server (the first becomes the default)\n"
    "  add-volume SERVER VOLUME [DIR]   add a volume backed by DIR (default: a new folder\n"
    "                                   volumes/SERVER/VOLUME in the store folder; a relative\n"
    "                                   DIR is taken from the store folder)\n"
    "  add-user SERVER USER [PASSWORD]  add a user, or set a user's password\n"
    "                                   (no PASSWORD: logs in with an empty one)\n"
    "  default SERVER                   make SERVER the default connection's server\n"
    "  attach SERVER                    attach the server\n"
    "  detach SERVER                    detach the server, dropping its drives\n"
    "  login SERVER USER [PASSWORD]     attach when needed and log the user in\n"
    "  logout SERVER                    log out, dropping the server's drives\n"
    "  fail OPERATION COUNT CODE        the next COUNT calls of OPERATION (e.g. NwMapDrive)\n"
    "                                   return CODE (0x.. or decimal); COUNT 0 clears\n"
    "  mapped DRIVE                     print the drive's mapping; exit 1 when not mapped\n"
    "exit codes: 0 done; 1 refused (the message gives the client's code) or not mapped;\n"
    "            2 bad arguments; 3 the store is missing, corrupt, busy or not writable\n";

struct CodeText {
  NwResult code;
  const char *text;
};

const CodeText CODE_TEXTS[] = {
    {ERR_ALREADY_ATTACHED, "already attached"},
    {ERR_INVALID_CONNECTION, "no such connection"},
    {ERR_INVALID_DRIVE, "invalid drive"},
    {ERR_DRIVE_NOT_MAPPED, "drive not mapped"},
    {ERR_NO_CONNECTION_TO_SERVER, "not attached to that server"},
    {ERR_INVALID_PARAMETER, "invalid argument"},
    {ERR_UNKNOWN_SERVER, "unknown server"},
    {ERR_TOO_MANY_CONNECTIONS, "no room for more"},
    {ERR_NO_WORLD, "no world here (run nwsim demo)"},
    {ERR_STORE_CORRUPT, "the store is corrupt (nwsim reset or nwsim demo replaces it)"},
    {ERR_STORE_BUSY, "the store stayed locked"},
    {ERR_STORE_UNWRITABLE, "the store cannot be written"},
    {ERR_OUT_OF_MEMORY, "out of memory"},
    {ERR_NOT_LOGGED_IN, "not logged in"},
    {ERR_VOLUME_NOT_FOUND, "no such volume"},
    {ERR_INVALID_PATH, "no such directory"},
    {ERR_INVALID_USER, "unknown user"},
    {ERR_INVALID_PASSWORD, "wrong password"},
};

const char *Describe(NwResult code) {
  for (const CodeText &entry : CODE_TEXTS)
    if (entry.code == code)
      return entry.text;
  return "failed";
}

bool IsStoreProblem(NwResult code) {
  return code == ERR_NO_WORLD || code == ERR_STORE_CORRUPT || code == ERR_STORE_BUSY ||
         code == ERR_STORE_UNWRITABLE || code == ERR_OUT_OF_MEMORY;
}

int Fail(const char *command, NwResult code) {
  fprintf(stderr, "nwsim %s: %s (0x%04" PRIX32 ")\n", command, Describe(code), uint32_t(code));
  return IsStoreProblem(code) ? EXIT_STORE : EXIT_REFUSED;
}

int Usage(const char *problem) {
  if (problem != nullptr)
    fprintf(stderr, "nwsim: %s\n", problem);
  fputs(USAGE, stderr);
  return EXIT_USAGE;
}

// Creates the folder and any missing parents; a parent that cannot be made (a drive root) is
// passed over and the folder itself decides.
bool MakeFolders(const char *path) {
  char partial[fs::PATH_SIZE];
  if (snprintf(partial, sizeof partial, "%s", path) >= int(sizeof partial))
    return false;
  for (char *p = partial + 1; *p != '\0'; ++p) {
    if (*p != '/' && *p != '\\')
      continue;
    char separator = *p;
    *p = '\0';
    fs::MakeDirectory(partial);
    *p = separator;
  }
  return fs::MakeDirectory(partial);
}

bool StoreFolder(char *dir) {
  if (ResolveStoreDir(dir, fs::PATH_SIZE))
    return true;
  fprintf(stderr, "nwsim: cannot tell where the store is; set NWSIM_HOME\n");
  return false;
}

// Makes the host folder of a new volume under the store folder and gives its relative name.
bool MakeVolumeFolder(const char *dir, const char *server, const char *volume, char *relative) {
  char upperServer[NAME_SIZE], upperVolume[NAME_SIZE];
  snprintf(upperServer, sizeof upperServer, "%s", server);
  snprintf(upperVolume, sizeof upperVolume, "%s", volume);
  for (char *p = upperServer; *p != '\0'; ++p)
    *p = *p >= 'a' && *p <= 'z' ? char(*p - 32) : *p;
  for (char *p = upperVolume; *p != '\0'; ++p)
    *p = *p >= 'a' && *p <= 'z' ? char(*p - 32) : *p;
  char full[fs::PATH_SIZE];
  return snprintf(relative, HOST_DIR_SIZE, "volumes/%s/%s", upperServer, upperVolume) <
             int(HOST_DIR_SIZE) &&
         snprintf(full, sizeof full, "%s/%s", dir, relative) < int(sizeof full) &&
         MakeFolders(full);
}

bool MakeFolderUnder(const char *dir, const char *relative) {
  char full[fs::PATH_SIZE];
  return snprintf(full, sizeof full, "%s/%s", dir, relative) < int(sizeof full) &&
         MakeFolders(full);
}

int Demo(const char *dir) {
  if (!MakeFolders(dir)) {
    fprintf(stderr, "nwsim demo: cannot create %s\n", dir);
    return EXIT_STORE;
  }
  Store store(dir);
  NwResult opened = store.Open(OpenMode::CreateIfMissing);
  if (opened != 0 && opened != ERR_STORE_CORRUPT)
    return Fail("demo", opened);
  World &world = store.world();
  ClearWorld(world);

  char sys[HOST_DIR_SIZE], data[HOST_DIR_SIZE];
  if (!MakeVolumeFolder(dir, "ACCOUNTS", "SYS", sys) ||
      !MakeFolderUnder(dir, "volumes/ACCOUNTS/SYS/PUBLIC/FORMS") ||
      !MakeVolumeFolder(dir, "PAYROLL", "DATA", data) ||
      !MakeFolderUnder(dir, "volumes/PAYROLL/DATA/REPORTS")) {
    fprintf(stderr, "nwsim demo: cannot create the volumes' folders under %s\n", dir);
    return EXIT_STORE;
  }
  AddServer(world, "ACCOUNTS");
  AddVolume(world, "ACCOUNTS", "SYS", sys);
  AddUser(world, "ACCOUNTS", "GUEST", nullptr);
  AddUser(world, "ACCOUNTS", "SUPERVISOR", "SECRET");
  AddServer(world, "PAYROLL");
  AddVolume(world, "PAYROLL", "DATA", data);
  AddUser(world, "PAYROLL", "CLERK", "LEDGER");
  SetDefaultServer(world, "ACCOUNTS");
  // As after the workstation's log-in: the default server attached, GUEST logged in.
  ConnectionHandle handle = 0;
  AttachServer(world, "ACCOUNTS", &handle);
  NwResult loggedIn = Login(world, handle, "GUEST", LOGIN_OBJECT_TYPE_USER, "");
  if (loggedIn != 0)
    return Fail("demo", loggedIn);
  NwResult saved = store.Save();
  if (saved != 0)
    return Fail("demo", saved);
  printf("demo world created in %s\n", dir);
  return EXIT_DONE;
}

void PrintMapping(int drive, const Mapping &mapping) {
  printf("%c: -> %s/%s:%s\n", 'A' + drive - 1, mapping.server, mapping.volume, mapping.path);
}

void Show(const char *dir, const World &world) {
  printf("store: %s\n", dir);
  printf("servers:\n");
  if (world.serverCount == 0)
    printf("  (none)\n");
  for (int s = 0; s < world.serverCount; ++s) {
    const Server &server = world.servers[s];
    printf("  %s%s\n", server.name, SameName(server.name, world.defaultServer) ? " (default)" : "");
    for (int v = 0; v < server.volumeCount; ++v)
      printf("    volume %s in %s\n", server.volumes[v].name, server.volumes[v].hostDir);
    for (int u = 0; u < server.userCount; ++u)
      printf("    user %s (%s)\n", server.users[u].name,
             server.users[u].hasPassword ? "password" : "no password");
  }
  printf("attachments:\n");
  if (world.attachmentCount == 0)
    printf("  (none)\n");
  for (int a = 0; a < world.attachmentCount; ++a) {
    const Attachment &attachment = world.attachments[a];
    printf("  %s: handle 0x%08" PRIX32 ", connection %u, ", attachment.server, attachment.handle,
           unsigned(attachment.number));
    if (attachment.user[0] != '\0')
      printf("logged in as %s\n", attachment.user);
    else
      printf("not logged in\n");
  }
  printf("mappings:\n");
  bool anyMapping = false;
  for (int drive = 1; drive <= DRIVE_COUNT; ++drive)
    if (world.drives[drive].mapped) {
      printf("  ");
      PrintMapping(drive, world.drives[drive]);
      anyMapping = true;
    }
  if (!anyMapping)
    printf("  (none)\n");
  if (world.faultCount != 0) {
    printf("faults:\n");
    for (int f = 0; f < world.faultCount; ++f)
      printf("  %s: next %" PRIu32 " call%s return 0x%04" PRIX32 "\n", world.faults[f].operation,
             world.faults[f].count, world.faults[f].count == 1 ? "" : "s",
             uint32_t(world.faults[f].code));
  }
}

bool ParseCount(const char *text, uint32_t *value) {
  if (text[0] < '0' || text[0] > '9')
    return false;
  char *end = nullptr;
  unsigned long long parsed = strtoull(text, &end, 10);
  if (*end != '\0' || parsed > UINT32_MAX)
    return false;
  *value = uint32_t(parsed);
  return true;
}

bool ParseCode(const char *text, NwResult *code) {
  bool hex = (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'));
  const char *digits = hex ? text + 2 : text;
  if (!(digits[0] >= '0' && digits[0] <= '9') &&
      !(hex && strchr("abcdefABCDEF", digits[0]) != nullptr && digits[0] != '\0'))
    return false;
  char *end = nullptr;
  unsigned long long parsed = strtoull(digits, &end, hex ? 16 : 10);
  if (*end != '\0' || parsed > UINT32_MAX)
    return false;
  *code = NwResult(uint32_t(parsed));
  return true;
}

const char *OperationName(const char *text) {
#define NWSIM_OPERATION_NAME(library, ordinal, name, params, args)                                 \
  if (SameName(text, #name))                                                                       \
    return #name;
  NW_OPERATIONS(NWSIM_OPERATION_NAME)
#undef NWSIM_OPERATION_NAME
  return nullptr;
}

// A drive as F, F: or f.
int ParseDrive(const char *text) {
  char letter = text[0] >= 'a' && text[0] <= 'z' ? char(text[0] - 32) : text[0];
  if (letter < 'A' || letter > 'Z' || (text[1] != '\0' && (text[1] != ':' || text[2] != '\0')))
    return 0;
  return letter - 'A' + 1;
}

struct Command {
  const char *name;
  int minArgs;
  int maxArgs;
};

const Command COMMANDS[] = {
    {"demo", 0, 0},       {"reset", 0, 0},      {"show", 0, 0},     {"where", 0, 0},
    {"add-server", 1, 1}, {"add-volume", 2, 3}, {"add-user", 2, 3}, {"default", 1, 1},
    {"attach", 1, 1},     {"detach", 1, 1},     {"login", 2, 3},    {"logout", 1, 1},
    {"fail", 3, 3},       {"mapped", 1, 1},
};

// The commands that change an existing world, on a locked, loaded store.
int Change(const char *command, char **args, int count, Store &store) {
  World &world = store.world();
  NwResult result = 0;
  if (strcmp(command, "add-server") == 0) {
    result = AddServer(world, args[0]);
  } else if (strcmp(command, "add-volume") == 0) {
    char relative[HOST_DIR_SIZE];
    const char *hostDir = count == 3 ? args[2] : nullptr;
    if (count < 3) {
      if (FindServer(world, args[0]) == nullptr)
        return Fail(command, ERR_UNKNOWN_SERVER);
      if (!IsValidName(args[1]))
        return Fail(command, ERR_INVALID_PARAMETER);
      if (!MakeVolumeFolder(store.dir(), args[0], args[1], relative)) {
        fprintf(stderr, "nwsim add-volume: cannot create the volume's folder\n");
        return EXIT_STORE;
      }
      hostDir = relative;
    }
    result = AddVolume(world, args[0], args[1], hostDir);
  } else if (strcmp(command, "add-user") == 0) {
    result = AddUser(world, args[0], args[1], count == 3 ? args[2] : nullptr);
  } else if (strcmp(command, "default") == 0) {
    result = SetDefaultServer(world, args[0]);
  } else if (strcmp(command, "attach") == 0) {
    ConnectionHandle handle;
    result = AttachServer(world, args[0], &handle);
  } else if (strcmp(command, "detach") == 0) {
    result = DetachServer(world, args[0]);
  } else if (strcmp(command, "login") == 0) {
    ConnectionHandle handle = 0;
    result = AttachServer(world, args[0], &handle);
    if (result == 0 || result == ERR_ALREADY_ATTACHED)
      result = Login(world, handle, args[1], LOGIN_OBJECT_TYPE_USER, count == 3 ? args[2] : "");
  } else if (strcmp(command, "logout") == 0) {
    ConnectionHandle handle = 0;
    result = FindConnection(world, args[0], &handle);
    if (result == 0)
      result = Logout(world, handle);
  } else if (strcmp(command, "fail") == 0) {
    const char *operation = OperationName(args[0]);
    uint32_t faultCount = 0;
    NwResult code = 0;
    if (operation == nullptr)
      return Usage("fail: OPERATION is one of the client operations, e.g. NwMapDrive");
    if (!ParseCount(args[1], &faultCount) || !ParseCode(args[2], &code))
      return Usage("fail: COUNT is a decimal number, CODE 0x.. or decimal");
    result = SetFault(world, operation, faultCount, code);
  }
  if (result != 0)
    return Fail(command, result);
  NwResult saved = store.Save();
  return saved != 0 ? Fail(command, saved) : EXIT_DONE;
}

int RunCommand(int argc, char **argv) {
  if (argc < 2)
    return Usage(nullptr);
  const char *command = argv[1];
  if (strcmp(command, "help") == 0 || strcmp(command, "--help") == 0 ||
      strcmp(command, "-h") == 0) {
    fputs(USAGE, stdout);
    return EXIT_DONE;
  }
  const Command *known = nullptr;
  for (const Command &entry : COMMANDS)
    if (strcmp(entry.name, command) == 0)
      known = &entry;
  if (known == nullptr)
    return Usage("unknown command");
  int count = argc - 2;
  if (count < known->minArgs || count > known->maxArgs)
    return Usage("wrong number of arguments");
  char **args = argv + 2;

  char dir[fs::PATH_SIZE];
  if (!StoreFolder(dir))
    return EXIT_STORE;
  if (strcmp(command, "where") == 0) {
    printf("%s\n", dir);
    return EXIT_DONE;
  }
  if (strcmp(command, "demo") == 0)
    return Demo(dir);
  if (strcmp(command, "reset") == 0) {
    NwResult removed = RemoveStore(dir);
    return removed != 0 ? Fail(command, removed) : EXIT_DONE;
  }
  if (strcmp(command, "mapped") == 0 && ParseDrive(args[0]) == 0)
    return Usage("mapped: DRIVE is a letter A to Z");

  // Adding the first server makes the world; everything else needs one.
  bool creates = strcmp(command, "add-server") == 0;
  if (creates && !MakeFolders(dir)) {
    fprintf(stderr, "nwsim %s: cannot create %s\n", command, dir);
    return EXIT_STORE;
  }
  Store store(dir);
  NwResult opened = store.Open(creates ? OpenMode::CreateIfMissing : OpenMode::Existing);
  if (opened != 0)
    return Fail(command, opened);

  if (strcmp(command, "show") == 0) {
    Show(dir, store.world());
    return EXIT_DONE;
  }
  if (strcmp(command, "mapped") == 0) {
    int drive = ParseDrive(args[0]);
    const Mapping &mapping = store.world().drives[drive];
    if (!mapping.mapped) {
      printf("%c: not mapped\n", 'A' + drive - 1);
      return EXIT_REFUSED;
    }
    PrintMapping(drive, mapping);
    return EXIT_DONE;
  }
  return Change(command, args, count, store);
}

} // namespace

int main(int argc, char **argv) {
#if defined(_WIN32)
  // Scripts read the output on Unix too: plain line feeds.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  return RunCommand(argc, argv);
}
