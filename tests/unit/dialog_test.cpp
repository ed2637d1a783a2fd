#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog.h"
#include "drivespec/drivespec.h"
#include "fakes.h"
#include "res/resource.h"

namespace {

using Calls = std::vector<std::string>;

const std::string H = std::to_string(0x1234);

class Dialog : public testing::Test {
protected:
  void SetUp() override { fake::Reset(); }

  // The request as the command line left it.
  void Request(uint16_t drive, const char *server, const char *volumePath) {
    driveNumber = drive;
    strcpy(serverName, server);
    strcpy(path, volumePath);
  }

  INT_PTR Init() { return LoginDialogProc(fake::DIALOG, WM_INITDIALOG, 0, 0); }

  void Fields(const std::string &drive, const std::string &serverPath, const std::string &user,
              const std::string &password) {
    fake::screen.controlText[IDC_DRIVE] = drive;
    fake::screen.controlText[IDC_PATH] = serverPath;
    fake::screen.controlText[IDC_USERNAME] = user;
    fake::screen.controlText[IDC_PASSWORD] = password;
  }

  INT_PTR Ok() {
    fake::calls.clear();
    return fake::Press(LoginDialogProc, IDOK);
  }

  std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto &box : fake::screen.boxes) {
      EXPECT_EQ(box.caption, "Tolvane");
      EXPECT_EQ(box.style, 0x30u) << box.text;
      EXPECT_FALSE(box.hasOwner);
      texts.push_back(box.text);
    }
    return texts;
  }
};

// Start.

TEST_F(Dialog, StartFillsTheFieldsAndCentres) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  fake::client.findConnection = 0;
  EXPECT_EQ(Init(), 1);
  EXPECT_EQ(fake::screen.controlText[IDC_DRIVE], "F");
  EXPECT_EQ(fake::screen.controlText[IDC_PATH], "ACCOUNTS/SYS:PUBLIC");
  EXPECT_FALSE(fake::screen.ended);
  EXPECT_EQ(fake::calls.back(), "MoveWindow(362,284,300,200,0)");
}

TEST_F(Dialog, StartShowsZForDrive26AndLeavesAnEmptyPathEmpty) {
  Request(26, "ACCOUNTS", "");
  fake::client.loggedInObject = "GUEST"; // logged in, but there is nothing to map
  EXPECT_EQ(Init(), 1);
  EXPECT_EQ(fake::screen.controlText[IDC_DRIVE], "Z");
  EXPECT_EQ(fake::screen.controlText.count(IDC_PATH), 0u);
  EXPECT_FALSE(fake::screen.ended);
}

TEST_F(Dialog, StartMapsAtOnceWhenLoggedInEvenIfTheMappingFails) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  fake::client.loggedInObject = "GUEST";
  fake::client.mapDrive = {0x899C};
  EXPECT_EQ(Init(), 1);
  EXPECT_EQ(fake::calls,
            (Calls{"SetDlgItemTextA(104,F)", "SetDlgItemTextA(103,ACCOUNTS/SYS:PUBLIC)",
                   "NwFindConnection(ACCOUNTS,0,0)", "NwGetConnectionNumber(" + H + ")",
                   "NwGetConnectionInfo(" + H + ",7)", "NwMapDrive(6," + H + ",0,SYS:PUBLIC,0)",
                   "EndDialog(1)", "MoveWindow(362,284,300,200,0)"}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Dialog, StartWithoutAConnectionAsksNothingOfAHandleItDoesNotHave) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  fake::client.findConnection = 0x8801;
  fake::client.loggedInObject = "GUEST";
  Init();
  EXPECT_EQ(fake::calls,
            (Calls{"SetDlgItemTextA(104,F)", "SetDlgItemTextA(103,ACCOUNTS/SYS:PUBLIC)",
                   "NwFindConnection(ACCOUNTS,0,0)", "MoveWindow(362,284,300,200,0)"}));
  EXPECT_FALSE(fake::screen.ended);
}

// IsLoggedIn.

TEST_F(Dialog, IsLoggedInNeedsASuccessfulAnswerWithAName) {
  struct Row {
    const char *label;
    NwResult info;
    const char *object;
    int expected;
  } rows[] = {
      {"named_object", 0, "GUEST", 1}, {"nobody", 0, "", 0}, {"info_fails", 0x8801, "GUEST", 0}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.label);
    fake::Reset();
    fake::client.connectionInfo = row.info;
    fake::client.loggedInObject = row.object;
    EXPECT_EQ(IsLoggedIn(0x1234), row.expected);
    EXPECT_EQ(fake::client.lastConnectionNumber, 7);
  }
}

TEST_F(Dialog, IsLoggedInPassesConnectionNumberZeroWhenTheNumberIsNotGiven) {
  fake::client.connectionNumber = 0x8801;
  fake::client.loggedInObject = "GUEST";
  EXPECT_EQ(IsLoggedIn(0x1234), 1);
  EXPECT_EQ(fake::client.lastConnectionNumber, 0);
}

// CenterWindow: every halving truncates toward zero.

TEST_F(Dialog, CenterWindowArithmetic) {
  struct Row {
    const char *label;
    RECT window, desktop;
    POINT origin;
    std::string move;
  } rows[] = {
      {"even_sizes", {0, 0, 300, 200}, {0, 0, 1024, 768}, {0, 0}, "MoveWindow(362,284,300,200,0)"},
      {"odd_sizes", {10, 20, 311, 221}, {0, 0, 1023, 767}, {0, 0}, "MoveWindow(361,283,301,201,0)"},
      {"desktop_offset",
       {0, 0, 100, 50},
       {0, 0, 800, 600},
       {-800, 0},
       "MoveWindow(-450,275,100,50,0)"},
      {"negative_halves_toward_zero",
       {0, 0, -301, -201},
       {0, 0, -5, -7},
       {0, 0},
       "MoveWindow(148,97,-301,-201,0)"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.label);
    fake::Reset();
    fake::screen.windowRect = row.window;
    fake::screen.desktopClient = row.desktop;
    fake::screen.desktopOrigin = row.origin;
    CenterWindow(fake::DIALOG);
    EXPECT_EQ(fake::calls, Calls{row.move});
  }
}

// OK.

TEST_F(Dialog, OkLogsInAndMapsTheRebuiltRequest) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  Fields("FG", "payroll/data:reports", "CLERK", "LEDGER");
  EXPECT_EQ(Ok(), 1);
  EXPECT_EQ(fake::calls, (Calls{"NwGetDefaultConnection", "NwGetServerName(3)",
                                "NwFindConnection(PAYROLL,0,0)", "NwLogin(" + H + ",CLERK)",
                                "NwMapDrive(6," + H + ",0,DATA:REPORTS,0)", "EndDialog(1)"}));
  EXPECT_EQ(fake::client.lastPassword, "LEDGER");
  EXPECT_EQ(fake::client.lastObjectType, 0x0100);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Dialog, OkWithoutServerOrDriveUsesTheDefaults) {
  Request(6, "PAYROLL", "DATA:");
  Fields("", "SYS:PUBLIC", "CLERK", "LEDGER");
  EXPECT_EQ(Ok(), 1);
  // An empty drive field empties the whole rebuilt text: drive N, default server, no path.
  EXPECT_EQ(driveNumber, 14);
  EXPECT_STREQ(serverName, "ACCOUNTS");
  EXPECT_STREQ(path, "");
  EXPECT_EQ(fake::calls[2], "NwFindConnection(ACCOUNTS,0,0)");
}

TEST_F(Dialog, OkReadsAtMostTheFieldLimits) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  Fields("F", "ACCOUNTS/SYS:PUBLIC", std::string(60, 'U'), std::string(200, 'P'));
  Ok();
  EXPECT_EQ(fake::client.lastUser, std::string(46, 'U'));
  EXPECT_EQ(fake::client.lastPassword, std::string(126, 'P'));
}

TEST_F(Dialog, OkRefusedSpecificationComesBeforeTheUserName) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  Fields("1", "ACCOUNTS/SYS:PUBLIC", "", "");
  EXPECT_EQ(Ok(), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error Parsing Command Line"});
  EXPECT_FALSE(fake::screen.ended);
}

TEST_F(Dialog, OkWithEmptyUserNameEndsAtOnce) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  Fields("F", "ACCOUNTS/SYS:PUBLIC", "", "SECRET");
  EXPECT_EQ(Ok(), 0);
  EXPECT_EQ(fake::calls, (Calls{"NwGetDefaultConnection", "NwGetServerName(3)", "EndDialog(0)"}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Dialog, OkReportsARefusedLogInAndStaysOpen) {
  struct Row {
    const char *label;
    NwResult code;
    std::string text;
  } rows[] = {
      {"unknown_user", ERR_INVALID_USER, "Invalid User GUEST For Server PAYROLL "},
      {"wrong_password", ERR_INVALID_PASSWORD, "Invalid Password"},
      {"other_code", 0x89DE, "Login Failed For User GUEST On Server PAYROLL (Error 0x89DE)"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.label);
    fake::Reset();
    Request(6, "ACCOUNTS", "SYS:PUBLIC");
    Fields("G", "PAYROLL/DATA:", "GUEST", "X");
    fake::client.login = {row.code};
    EXPECT_EQ(Ok(), 0);
    EXPECT_EQ(Boxes(), std::vector<std::string>{row.text});
    EXPECT_FALSE(fake::screen.ended);
    EXPECT_EQ(fake::calls.back(), "MessageBoxA(" + row.text + ")");
  }
}

TEST_F(Dialog, OkToAServerWithoutConnectionSaysSoAndDoesNotLogIn) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  Fields("F", "NOSUCH/SYS:X", "CLERK", "LEDGER");
  fake::client.findConnection = 0x8801;
  EXPECT_EQ(Ok(), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"No Connection To Server NOSUCH"});
  for (const std::string &call : fake::calls)
    EXPECT_EQ(call.rfind("NwLogin", 0), std::string::npos) << call;
  EXPECT_FALSE(fake::screen.ended);
}

TEST_F(Dialog, OkAfterErrorFindingDirectoryLogsInAgainThenMaps) {
  Request(6, "ACCOUNTS", "SYS:PUBLIC");
  Fields("F", "PAYROLL/DATA:NOWHERE", "CLERK", "LEDGER");
  fake::client.mapDrive = {0x899C, 0};
  EXPECT_EQ(Ok(), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error Finding Directory"});
  EXPECT_FALSE(fake::screen.ended);

  fake::screen.controlText[IDC_PATH] = "PAYROLL/DATA:REPORTS";
  EXPECT_EQ(Ok(), 1);
  EXPECT_EQ(fake::calls, (Calls{"NwGetDefaultConnection", "NwGetServerName(3)",
                                "NwFindConnection(PAYROLL,0,0)", "NwLogin(" + H + ",CLERK)",
                                "NwMapDrive(6," + H + ",0,DATA:REPORTS,0)", "EndDialog(1)"}));
}

TEST_F(Dialog, PasswordIsWipedWholeWhateverWayOkEnds) {
  struct Row {
    const char *label;
    std::string drive;
    std::string user;
    std::vector<NwResult> login;
  } rows[] = {{"mapped", "F", "CLERK", {0}},
              {"login_refused", "F", "CLERK", {ERR_INVALID_PASSWORD}},
              {"empty_user", "F", "", {0}},
              {"parse_refused", "1", "CLERK", {0}}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.label);
    fake::Reset();
    Request(6, "ACCOUNTS", "SYS:PUBLIC");
    Fields(row.drive, "ACCOUNTS/SYS:PUBLIC", row.user, std::string(126, 'S'));
    fake::client.login = row.login;
    Ok();
    EXPECT_EQ(std::string(dialog::password, sizeof dialog::password),
              std::string(sizeof dialog::password, '\0'));
  }
}

TEST_F(Dialog, CancelCloseAndOtherCommands) {
  struct Row {
    const char *label;
    UINT message;
    WPARAM wParam;
    Calls calls;
  } rows[] = {
      {"cancel", WM_COMMAND, IDCANCEL, {"EndDialog(0)"}},
      {"escape_or_cancel_notification", WM_COMMAND, (0x0300u << 16) | IDCANCEL, {"EndDialog(0)"}},
      {"close", WM_CLOSE, 0, {"EndDialog(0)"}},
      {"edit_notification", WM_COMMAND, (0x0300u << 16) | IDC_PATH, {}},
      {"other_message", 0x0200, 0, {}}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.label);
    fake::Reset();
    EXPECT_EQ(LoginDialogProc(fake::DIALOG, row.message, row.wParam, 0), 0);
    EXPECT_EQ(fake::calls, row.calls);
  }
}

} // namespace
