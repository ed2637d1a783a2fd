// The dialog's OK button: field texts (longer than the dialog reads, too) through the rebuilt
// specification, the log-in and the mapping, with the client's answers taken from the input.
// Input: two control bytes, then the drive, server/path, user-name and password fields
// separated by NUL bytes.
#include <cstring>

#include "dialog/dialog.h"
#include "drivespec/drivespec.h"
#include "fakes.h"
#include "fuzz_common.h"
#include "main/run.h"
#include "res/resource.h"

namespace {

const NwResult LOGIN_RESULTS[] = {0, ERR_INVALID_USER, ERR_INVALID_PASSWORD, 0x89DE};
const std::string DEFAULT_SERVERS[] = {"ACCOUNTS", std::string(48, 'L')};

size_t CountCalls(const char *prefix) {
  size_t count = 0;
  for (const std::string &call : fake::calls)
    if (call.compare(0, strlen(prefix), prefix) == 0)
      ++count;
  return count;
}

std::string LastCall(const char *prefix) {
  for (auto call = fake::calls.rbegin(); call != fake::calls.rend(); ++call)
    if (call->compare(0, strlen(prefix), prefix) == 0)
      return *call;
  return std::string();
}

void RequireSharedTextsBounded() {
  REQUIRE(fuzz::Terminated(messageText, MESSAGE_TEXT_SIZE));
  REQUIRE(fuzz::Terminated(serverName, sizeof serverName));
  REQUIRE(fuzz::Terminated(path, sizeof path));
  REQUIRE(strlen(path) <= drivespec::MAX_PATH_LENGTH);
  REQUIRE(fuzz::Terminated(dialog::userName, dialog::USER_NAME_SIZE));
  for (char c : dialog::password)
    REQUIRE(c == '\0');
  for (const fake::Screen::Box &box : fake::screen.boxes)
    REQUIRE(box.text.size() < MESSAGE_TEXT_SIZE);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2)
    return 0;
  fake::Reset();
  uint8_t control = data[0], answers = data[1];
  int presses = (control & 0x10) != 0 ? 2 : 1;
  fake::client.login = {LOGIN_RESULTS[control & 3], LOGIN_RESULTS[(control >> 2) & 3]};
  fake::client.defaultConnection = (control & 0x20) != 0 ? 0x8801 : 0;
  fake::client.defaultServer = DEFAULT_SERVERS[(control >> 6) & 1];
  fake::client.findConnection = (control & 0x80) != 0 ? 0x880F : 0;
  fake::client.mapDrive = {(answers & 1) != 0 ? 0x899C : 0, (answers & 2) != 0 ? 0x899C : 0};
  std::string expectedDefault =
      fake::client.defaultConnection != 0 ? "" : fake::client.defaultServer.substr(0, 47);

  std::string fields[4];
  size_t field = 0;
  for (size_t i = 2; i < size && field < 4; ++i) {
    if (data[i] == 0)
      ++field;
    else
      fields[field] += static_cast<char>(data[i]);
  }
  const std::string &driveField = fields[0], &pathField = fields[1];
  const std::string &userField = fields[2], &passwordField = fields[3];
  fake::screen.controlText[IDC_DRIVE] = driveField;
  fake::screen.controlText[IDC_PATH] = pathField;
  fake::screen.controlText[IDC_USERNAME] = userField;
  fake::screen.controlText[IDC_PASSWORD] = passwordField;

  // The request as the command line left it.
  char initial[] = "F:=ACCOUNTS/SYS:PUBLIC";
  ParseDriveSpec(initial, &driveNumber, serverName, path);

  // What OK must make of the fields: at most 254 characters of server/path, one of the drive.
  std::string rebuilt = driveField.empty()
                            ? std::string()
                            : driveField.substr(0, 1) + ":=" + pathField.substr(0, 254);
  fuzz::Parse want = fuzz::ExpectedParse(rebuilt, expectedDefault);
  std::string user = userField.substr(0, dialog::USER_NAME_SIZE - 1);
  std::string password = passwordField.substr(0, dialog::PASSWORD_SIZE - 1);

  for (int press = 0; press < presses && !fake::screen.ended; ++press) {
    std::string pathBefore = path;
    size_t boxes = fake::screen.boxes.size();
    size_t logins = CountCalls("NwLogin("), maps = CountCalls("NwMapDrive(");
    NwResult loginAnswer = fake::client.login.front();
    NwResult mapAnswer = fake::client.mapDrive.front();

    INT_PTR result = fake::Press(LoginDialogProc, IDOK);

    RequireSharedTextsBounded();
    REQUIRE(result == 0 || result == 1);
    REQUIRE(driveNumber == want.drive);
    bool loggedIn = CountCalls("NwLogin(") == logins + 1;
    bool mapped = CountCalls("NwMapDrive(") == maps + 1;
    const std::string lastBox =
        fake::screen.boxes.size() > boxes ? fake::screen.boxes.back().text : std::string();
    REQUIRE(fake::screen.boxes.size() <= boxes + 1);

    if (want.result != 0) {
      REQUIRE(result == 0 && !loggedIn && !fake::screen.ended);
      REQUIRE(lastBox == "Error Parsing Command Line");
      REQUIRE(path == pathBefore);
      continue;
    }
    REQUIRE(driveNumber >= 1 && driveNumber <= 26);
    REQUIRE(serverName == want.server);
    REQUIRE(path == want.path);

    if (user.empty()) {
      REQUIRE(result == 0 && !loggedIn && fake::screen.ended && fake::screen.endResult == 0);
      REQUIRE(fake::screen.boxes.size() == boxes);
      continue;
    }
    if (fake::client.findConnection != 0) {
      REQUIRE(result == 0 && !loggedIn && !fake::screen.ended && !lastBox.empty());
      continue;
    }
    REQUIRE(loggedIn);
    REQUIRE(fake::client.lastUser == user);
    REQUIRE(fake::client.lastPassword == password);
    REQUIRE(fake::client.lastObjectType == LOGIN_OBJECT_TYPE_USER);
    if (loginAnswer != 0) {
      REQUIRE(result == 0 && !mapped && !fake::screen.ended);
      if (loginAnswer == ERR_INVALID_USER)
        REQUIRE(lastBox == "Invalid User " + user + " For Server " + want.server + " ");
      else if (loginAnswer == ERR_INVALID_PASSWORD)
        REQUIRE(lastBox == "Invalid Password");
      else
        REQUIRE(!lastBox.empty());
      continue;
    }
    REQUIRE(mapped);
    REQUIRE(LastCall("NwMapDrive(") == "NwMapDrive(" + std::to_string(want.drive) + "," +
                                           std::to_string(fake::client.foundHandle) + ",0," +
                                           want.path + ",0)");
    if (mapAnswer == 0) {
      REQUIRE(result == 1 && fake::screen.ended && fake::screen.endResult == 1);
      REQUIRE(fake::screen.boxes.size() == boxes);
    } else {
      REQUIRE(result == 0 && !fake::screen.ended && lastBox == "Error Finding Directory");
    }
  }
  return 0;
}
