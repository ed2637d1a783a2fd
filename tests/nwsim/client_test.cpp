// The operations as the libraries export them, each a locked session on a real store folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "nwsim/client.h"
#include "world_fixture.h"

namespace {

namespace nc = nwsim::client;
using nwsim::Store;

constexpr ConnectionHandle UNSET = 0xDEADBEEF;

class ClientTest : public WorldTest {
protected:
  ConnectionHandle Accounts() {
    ConnectionHandle handle = UNSET;
    EXPECT_EQ(nc::NwFindConnection("ACCOUNTS", 0, &handle, 0), 0);
    return handle;
  }
  ConnectionHandle AttachPayroll() {
    ConnectionHandle handle = UNSET;
    EXPECT_EQ(nc::NwAttachServer("PAYROLL", 0, &handle), 0);
    return handle;
  }
  std::string ReadStore() {
    std::ifstream file(StorePath());
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  void WriteStore(const std::string &text) { std::ofstream(StorePath()) << text; }
  // The mapping of a drive as a fresh load of the store sees it.
  std::string Mapped(int drive) {
    Store store(dir_.c_str());
    if (store.Open(nwsim::OpenMode::Existing) != 0)
      return "(no store)";
    const nwsim::Mapping &mapping = store.world().drives[drive];
    if (!mapping.mapped)
      return "";
    return std::string(mapping.server) + "/" + mapping.volume + ":" + mapping.path;
  }
};

TEST_F(ClientTest, InitFailsWithoutAWorld) {
  EXPECT_EQ(nc::NwInitClient(0, 0), nwsim::ERR_NO_WORLD);
  setenv("NWSIM_HOME", (dir_ + "/missing").c_str(), 1);
  EXPECT_EQ(nc::NwInitClient(0, 0), nwsim::ERR_NO_WORLD);
  ConnectionHandle handle = UNSET;
  EXPECT_EQ(nc::NwAttachServer("ACCOUNTS", 0, &handle), nwsim::ERR_NO_WORLD);
  EXPECT_EQ(handle, UNSET);
}

TEST_F(ClientTest, InitSucceedsOnAWorld) {
  MakeWorld();
  EXPECT_EQ(nc::NwInitClient(0, 0), 0);
}

TEST_F(ClientTest, CorruptStoreIsAFailureCodeForEveryOperation) {
  MakeWorld();
  std::string text = ReadStore();
  struct Row {
    const char *label;
    std::string text;
  } rows[] = {
      {"garbage", "\x7f"
                  "ELF binary junk\n"},
      {"cut in a record", text.substr(0, text.size() - 9)},
      {"NUL inside", text.substr(0, 20) + std::string(1, '\0') + text.substr(20)},
      {"empty file", ""},
  };
  for (const Row &row : rows) {
    WriteStore(row.text);
    EXPECT_EQ(nc::NwInitClient(0, 0), nwsim::ERR_STORE_CORRUPT) << row.label;
    uint16_t number = 77;
    EXPECT_EQ(nc::NwGetConnectionNumber(1, &number), nwsim::ERR_STORE_CORRUPT) << row.label;
    EXPECT_EQ(number, 77) << row.label;
    EXPECT_EQ(nc::NwMapDrive(6, 1, 0, "SYS:PUBLIC", 0), nwsim::ERR_STORE_CORRUPT) << row.label;
  }
}

TEST_F(ClientTest, AttachUnknownNewAndAgain) {
  MakeWorld();
  ConnectionHandle handle = UNSET;
  EXPECT_EQ(nc::NwAttachServer("NOSUCH", 0, &handle), nwsim::ERR_UNKNOWN_SERVER);
  EXPECT_EQ(handle, UNSET);
  std::string tooLong(60, 'P');
  EXPECT_EQ(nc::NwAttachServer(tooLong.c_str(), 0, &handle), nwsim::ERR_UNKNOWN_SERVER);
  EXPECT_EQ(nc::NwAttachServer(nullptr, 0, &handle), nwsim::ERR_INVALID_PARAMETER);

  ConnectionHandle first = AttachPayroll();
  EXPECT_NE(first, UNSET);
  EXPECT_NE(first, Accounts());
  ConnectionHandle second = UNSET;
  EXPECT_EQ(nc::NwAttachServer("payroll", 0, &second), ERR_ALREADY_ATTACHED);
  EXPECT_EQ(second, first);
  ConnectionHandle found = UNSET;
  EXPECT_EQ(nc::NwFindConnection("PAYROLL", 0, &found, 0), 0);
  EXPECT_EQ(found, first);
}

TEST_F(ClientTest, FindLeavesTheHandleAloneForAServerNotAttached) {
  MakeWorld();
  for (const char *server : {"PAYROLL", "NOSUCH", ""}) {
    ConnectionHandle handle = UNSET;
    EXPECT_NE(nc::NwFindConnection(server, 0, &handle, 0), 0) << server;
    EXPECT_EQ(handle, UNSET) << server;
  }
}

TEST_F(ClientTest, NeedsLoginUntilSomeoneLogsIn) {
  MakeWorld();
  EXPECT_EQ(nc::NwNeedsLogin(Accounts(), 0, 0), 0);
  ConnectionHandle payroll = AttachPayroll();
  EXPECT_NE(nc::NwNeedsLogin(payroll, 0, 0), 0);
  EXPECT_NE(nc::NwNeedsLogin(0x12345, 0, 0), 0) << "unknown handle";
  ASSERT_EQ(nc::NwLogin(payroll, "CLERK", LOGIN_OBJECT_TYPE_USER, "LEDGER"), 0);
  EXPECT_EQ(nc::NwNeedsLogin(payroll, 0, 0), 0);
}

TEST_F(ClientTest, LoginResults) {
  MakeWorld();
  ConnectionHandle payroll = AttachPayroll();
  struct Row {
    const char *label;
    ConnectionHandle handle;
    const char *user;
    uint16_t type;
    const char *password;
    NwResult expected;
  } rows[] = {
      {"guest is not on PAYROLL", payroll, "GUEST", LOGIN_OBJECT_TYPE_USER, "", ERR_INVALID_USER},
      {"not a user object", payroll, "CLERK", 0x0400, "LEDGER", ERR_INVALID_USER},
      {"wrong password", payroll, "CLERK", LOGIN_OBJECT_TYPE_USER, "LEDGERS", ERR_INVALID_PASSWORD},
      {"empty password", payroll, "CLERK", LOGIN_OBJECT_TYPE_USER, "", ERR_INVALID_PASSWORD},
      {"no password set, one given", Accounts(), "GUEST", LOGIN_OBJECT_TYPE_USER, "X",
       ERR_INVALID_PASSWORD},
      {"unknown handle", 0x777, "CLERK", LOGIN_OBJECT_TYPE_USER, "LEDGER",
       nwsim::ERR_INVALID_CONNECTION},
      {"any case", payroll, "clerk", LOGIN_OBJECT_TYPE_USER, "Ledger", 0},
  };
  for (const Row &row : rows)
    EXPECT_EQ(nc::NwLogin(row.handle, row.user, row.type, row.password), row.expected) << row.label;
}

TEST_F(ClientTest, ConnectionInfoNamesTheLoggedInObject) {
  MakeWorld();
  ConnectionHandle accounts = Accounts();
  uint16_t number = 0;
  ASSERT_EQ(nc::NwGetConnectionNumber(accounts, &number), 0);
  char name[NW_OBJECT_NAME_SIZE + 8];
  memset(name, '#', sizeof name);
  uint16_t type = 0;
  uint32_t id = 0;
  uint8_t time[NW_LOGIN_TIME_SIZE + 4];
  memset(time, 0xEE, sizeof time);
  ASSERT_EQ(nc::NwGetConnectionInfo(accounts, number, name, &type, &id, time), 0);
  EXPECT_STREQ(name, "GUEST");
  EXPECT_EQ(type, LOGIN_OBJECT_TYPE_USER);
  EXPECT_NE(id, 0u);
  EXPECT_NE(time[1], 0) << "log-in month";
  EXPECT_EQ(name[NW_OBJECT_NAME_SIZE], '#') << "wrote past 48 bytes";
  EXPECT_EQ(time[NW_LOGIN_TIME_SIZE], 0xEE) << "wrote past 8 bytes";

  ConnectionHandle payroll = AttachPayroll();
  ASSERT_EQ(nc::NwGetConnectionNumber(payroll, &number), 0);
  ASSERT_EQ(nc::NwGetConnectionInfo(payroll, number, name, &type, &id, time), 0);
  EXPECT_STREQ(name, "") << "nobody logged in";

  strcpy(name, "untouched");
  EXPECT_NE(nc::NwGetConnectionInfo(payroll, uint16_t(number + 1), name, &type, &id, time), 0);
  EXPECT_STREQ(name, "untouched");
  uint16_t kept = 99;
  EXPECT_EQ(nc::NwGetConnectionNumber(0x777, &kept), nwsim::ERR_INVALID_CONNECTION);
  EXPECT_EQ(kept, 99);
}

TEST_F(ClientTest, DefaultConnectionAndItsServerName) {
  MakeWorld();
  uint16_t id = 0;
  ASSERT_EQ(nc::NwGetDefaultConnection(&id), 0);
  char name[NW_SERVER_NAME_SIZE + 8];
  memset(name, '#', sizeof name);
  ASSERT_EQ(nc::NwGetServerName(id, name), 0);
  EXPECT_STREQ(name, "ACCOUNTS");
  EXPECT_EQ(name[NW_SERVER_NAME_SIZE], '#') << "wrote past 48 bytes";
  strcpy(name, "untouched");
  EXPECT_NE(nc::NwGetServerName(uint16_t(id + 40), name), 0);
  EXPECT_STREQ(name, "untouched");
}

TEST_F(ClientTest, ServerNameOfFortySevenCharactersIsTerminated) {
  MakeWorld();
  std::string longName(47, 'L');
  {
    Store store(dir_.c_str());
    ASSERT_EQ(store.Open(nwsim::OpenMode::Existing), 0);
    ASSERT_EQ(nwsim::AddServer(store.world(), longName.c_str()), 0);
    ASSERT_EQ(nwsim::SetDefaultServer(store.world(), longName.c_str()), 0);
    ASSERT_EQ(store.Save(), 0);
  }
  ConnectionHandle handle = UNSET;
  ASSERT_EQ(nc::NwAttachServer(longName.c_str(), 0, &handle), 0);
  uint16_t id = 0;
  ASSERT_EQ(nc::NwGetDefaultConnection(&id), 0);
  char name[NW_SERVER_NAME_SIZE];
  memset(name, '#', sizeof name);
  ASSERT_EQ(nc::NwGetServerName(id, name), 0);
  EXPECT_EQ(name[47], '\0');
  EXPECT_EQ(std::string(name), longName);
}

TEST_F(ClientTest, MapDriveResults) {
  MakeWorld();
  MakeDirs("volumes/ACCOUNTS/SYS/Mixed Case");
  ConnectionHandle accounts = Accounts();
  std::string tooLong = "SYS:" + std::string(300, 'A');
  struct Row {
    const char *label;
    uint16_t drive;
    const char *path;
    NwResult expected;
    const char *mapped;
  } rows[] = {
      {"directory", 6, "SYS:PUBLIC", 0, "ACCOUNTS/SYS:PUBLIC"},
      {"backslash, any case", 7, "sys:public\\forms", 0, "ACCOUNTS/SYS:PUBLIC\\FORMS"},
      {"slashes, leading and trailing", 8, "SYS:/PUBLIC//FORMS/", 0, "ACCOUNTS/SYS:PUBLIC\\FORMS"},
      {"volume root", 9, "SYS:", 0, "ACCOUNTS/SYS:"},
      {"spelled as on disk", 10, "SYS:MIXED CASE", 0, "ACCOUNTS/SYS:Mixed Case"},
      {"last drive", 26, "SYS:PUBLIC", 0, "ACCOUNTS/SYS:PUBLIC"},
      {"missing directory", 11, "SYS:PUBLIC\\NOPE", nwsim::ERR_INVALID_PATH, ""},
      {"parent directory", 11, "SYS:PUBLIC\\..\\..", nwsim::ERR_INVALID_PATH, ""},
      {"no volume separator", 11, "PUBLIC", nwsim::ERR_INVALID_PATH, ""},
      {"unknown volume", 11, "VOL1:PUBLIC", nwsim::ERR_VOLUME_NOT_FOUND, ""},
      {"other server's volume", 11, "DATA:REPORTS", nwsim::ERR_VOLUME_NOT_FOUND, ""},
      {"path too long", 11, tooLong.c_str(), nwsim::ERR_INVALID_PATH, ""},
  };
  for (const Row &row : rows) {
    EXPECT_EQ(nc::NwMapDrive(row.drive, accounts, 0, row.path, 0), row.expected) << row.label;
    EXPECT_EQ(Mapped(row.drive), row.mapped) << row.label;
  }
  for (uint16_t drive : {0, 27, 0xFFFF})
    EXPECT_EQ(nc::NwMapDrive(drive, accounts, 0, "SYS:PUBLIC", 0), nwsim::ERR_INVALID_DRIVE)
        << "drive " << drive;
}

TEST_F(ClientTest, MapDriveNeedsALoggedInConnection) {
  MakeWorld();
  ConnectionHandle payroll = AttachPayroll();
  EXPECT_EQ(nc::NwMapDrive(6, payroll, 0, "DATA:REPORTS", 0), nwsim::ERR_NOT_LOGGED_IN);
  EXPECT_EQ(nc::NwMapDrive(6, 0x777, 0, "DATA:REPORTS", 0), nwsim::ERR_INVALID_CONNECTION);
  EXPECT_EQ(Mapped(6), "");
  ASSERT_EQ(nc::NwLogin(payroll, "CLERK", LOGIN_OBJECT_TYPE_USER, "LEDGER"), 0);
  EXPECT_EQ(nc::NwMapDrive(6, payroll, 0, "DATA:REPORTS", 0), 0);
  EXPECT_EQ(Mapped(6), "PAYROLL/DATA:REPORTS");
}

TEST_F(ClientTest, UnmapOnlyWhatIsMapped) {
  MakeWorld();
  EXPECT_EQ(nc::NwUnmapDrive(6, 0), nwsim::ERR_DRIVE_NOT_MAPPED);
  ASSERT_EQ(nc::NwMapDrive(6, Accounts(), 0, "SYS:PUBLIC", 0), 0);
  ASSERT_EQ(nc::NwMapDrive(7, Accounts(), 0, "SYS:PUBLIC", 0), 0);
  EXPECT_EQ(nc::NwUnmapDrive(6, 0), 0);
  EXPECT_EQ(Mapped(6), "");
  EXPECT_EQ(Mapped(7), "ACCOUNTS/SYS:PUBLIC") << "another drive went too";
  EXPECT_EQ(nc::NwUnmapDrive(6, 0), nwsim::ERR_DRIVE_NOT_MAPPED);
  EXPECT_EQ(nc::NwUnmapDrive(0, 0), nwsim::ERR_INVALID_DRIVE);
}

TEST_F(ClientTest, StateSurvivesInTheStore) {
  MakeWorld();
  ConnectionHandle payroll = AttachPayroll();
  ASSERT_EQ(nc::NwLogin(payroll, "CLERK", LOGIN_OBJECT_TYPE_USER, "LEDGER"), 0);
  ASSERT_EQ(nc::NwMapDrive(6, payroll, 0, "DATA:REPORTS", 0), 0);
  // Two independent loads, as two program runs would see it.
  for (int load = 0; load < 2; ++load) {
    Store store(dir_.c_str());
    ASSERT_EQ(store.Open(nwsim::OpenMode::Existing), 0) << "load " << load;
    const nwsim::Attachment *attachment = nwsim::FindAttachment(store.world(), payroll);
    ASSERT_NE(attachment, nullptr) << "load " << load;
    EXPECT_STREQ(attachment->user, "CLERK") << "load " << load;
    EXPECT_STREQ(store.world().drives[6].path, "REPORTS") << "load " << load;
  }
  EXPECT_EQ(ReadStore().find("LEDGER"), std::string::npos) << "password kept in clear";
}

TEST_F(ClientTest, FaultsReturnTheirCodeWithoutTheEffectAndAreKept) {
  MakeWorld();
  {
    Store store(dir_.c_str());
    ASSERT_EQ(store.Open(nwsim::OpenMode::Existing), 0);
    ASSERT_EQ(nwsim::SetFault(store.world(), "NwMapDrive", 2, 0x8999), 0);
    ASSERT_EQ(nwsim::SetFault(store.world(), "NwAttachServer", 1, 0x8847), 0);
    ASSERT_EQ(nwsim::SetFault(store.world(), "NwInitClient", 1, 0x88AA), 0);
    ASSERT_EQ(store.Save(), 0);
  }
  EXPECT_EQ(nc::NwInitClient(0, 0), 0x88AA);
  EXPECT_EQ(nc::NwInitClient(0, 0), 0);
  ConnectionHandle handle = UNSET;
  EXPECT_EQ(nc::NwAttachServer("PAYROLL", 0, &handle), 0x8847);
  EXPECT_EQ(handle, UNSET);
  EXPECT_EQ(nc::NwFindConnection("PAYROLL", 0, &handle, 0), nwsim::ERR_NO_CONNECTION_TO_SERVER)
      << "a failed attach attached nothing";
  EXPECT_EQ(nc::NwMapDrive(6, Accounts(), 0, "SYS:PUBLIC", 0), 0x8999);
  EXPECT_EQ(nc::NwMapDrive(6, Accounts(), 0, "SYS:PUBLIC", 0), 0x8999);
  EXPECT_EQ(Mapped(6), "");
  EXPECT_EQ(nc::NwMapDrive(6, Accounts(), 0, "SYS:PUBLIC", 0), 0);
  EXPECT_EQ(ReadStore().find("fail "), std::string::npos) << "spent faults stay behind";
}

TEST_F(ClientTest, StaleLockIsRecovered) {
  MakeWorld();
  std::string lock = dir_ + "/store.lock";
  std::ofstream(lock) << "";
  struct utimbuf old = {time(nullptr) - 60, time(nullptr) - 60};
  ASSERT_EQ(utime(lock.c_str(), &old), 0);
  EXPECT_EQ(nc::NwInitClient(0, 0), 0);
  EXPECT_NE(access(lock.c_str(), F_OK), 0) << "lock left behind";
}

TEST_F(ClientTest, TwoProgramsAtOnceLoseNoUpdate) {
  MakeWorld();
  constexpr int CALLS = 150;
  constexpr uint32_t PENDING = 1000;
  {
    Store store(dir_.c_str());
    ASSERT_EQ(store.Open(nwsim::OpenMode::Existing), 0);
    ASSERT_EQ(nwsim::SetFault(store.world(), "NwMapDrive", PENDING, 0x8999), 0);
    ASSERT_EQ(store.Save(), 0);
  }
  ConnectionHandle accounts = Accounts();
  // Each call takes one pending fault: a lost update shows as a count too high.
  pid_t children[2];
  for (pid_t &child : children) {
    child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int wrong = 0;
      for (int i = 0; i < CALLS; ++i)
        wrong += nc::NwMapDrive(6, accounts, 0, "SYS:PUBLIC", 0) != 0x8999;
      _exit(wrong == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a call missed its fault";
  }
  Store store(dir_.c_str());
  ASSERT_EQ(store.Open(nwsim::OpenMode::Existing), 0);
  ASSERT_EQ(store.world().faultCount, 1);
  EXPECT_EQ(store.world().faults[0].count, PENDING - 2 * CALLS);
}

} // namespace
