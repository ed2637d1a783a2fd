#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes.h"
#include "main/run.h"

namespace {

using Calls = std::vector<std::string>;

const HINSTANCE INSTANCE = reinterpret_cast<HINSTANCE>(0x400000);
const std::string I = std::to_string(0x400000);
const std::string H = std::to_string(0x1234);

// The calls every run with a drive specification makes before its mapping.
const Calls START = {"NwInitClient(0,0)", "Ctl3dStartup(" + I + ")", "NwGetDefaultConnection",
                     "NwGetServerName(3)"};
const Calls ATTACH_ACCOUNTS = {"NwFindConnection(ACCOUNTS,0,0)", "NwAttachServer(ACCOUNTS,0)"};

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls &part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct RunCase {
  const char *label;
  const char *commandLine;
  std::function<void()> arrange;
  Calls calls;
  int32_t exitCode;
  std::string box = {}; // the one message box shown, if any
  UINT boxStyle = 0;
};

void PrintTo(const RunCase &c, std::ostream *os) {
  *os << c.label;
}

class Run : public testing::TestWithParam<RunCase> {
protected:
  void SetUp() override { fake::Reset(); }
};

TEST_P(Run, MakesTheseCallsAndEndsWithThisCode) {
  const RunCase &c = GetParam();
  if (c.arrange)
    c.arrange();
  EXPECT_EQ(RunProgram(INSTANCE, c.commandLine), c.exitCode);
  EXPECT_EQ(fake::calls, c.calls);
  if (c.box.empty()) {
    EXPECT_TRUE(fake::screen.boxes.empty());
  } else {
    ASSERT_EQ(fake::screen.boxes.size(), 1u);
    EXPECT_EQ(fake::screen.boxes[0].text, c.box);
    EXPECT_EQ(fake::screen.boxes[0].caption, "Tolvane");
    EXPECT_EQ(fake::screen.boxes[0].style, c.boxStyle);
    EXPECT_FALSE(fake::screen.boxes[0].hasOwner);
  }
  EXPECT_EQ(instanceHandle, INSTANCE);
}

const std::string DIALOG_CALL = "DialogBoxParamA(" + I + ",ENTRY_DIALOG,null,0)";

INSTANTIATE_TEST_SUITE_P(
    Cases, Run,
    testing::Values(
        RunCase{"client_fails_to_start",
                "F:=ACCOUNTS/SYS:PUBLIC",
                [] { fake::client.init = 0x88FF; },
                {"NwInitClient(0,0)", "MessageBoxA(Error Loading Netware API)"},
                1,
                "Error Loading Netware API",
                0x30},
        RunCase{"maps_without_login", "F:=ACCOUNTS/SYS:PUBLIC", nullptr,
                Join({START,
                      ATTACH_ACCOUNTS,
                      {"NwNeedsLogin(" + H + ",0,0)", "NwMapDrive(6," + H + ",0,SYS:PUBLIC,0)",
                       "Ctl3dShutdown(" + I + ")"}}),
                0},
        RunCase{"mapping_failure_is_the_exit_code", "F:=ACCOUNTS/SYS:NOWHERE",
                [] { fake::client.mapDrive = {0x899C}; },
                Join({START,
                      ATTACH_ACCOUNTS,
                      {"NwNeedsLogin(" + H + ",0,0)", "NwMapDrive(6," + H + ",0,SYS:NOWHERE,0)",
                       "Ctl3dShutdown(" + I + ")"}}),
                0x899C},
        RunCase{"already_attached_goes_on", "F:=ACCOUNTS/SYS:PUBLIC",
                [] { fake::client.attach = 0x8800; },
                Join({START,
                      ATTACH_ACCOUNTS,
                      {"NwNeedsLogin(" + H + ",0,0)", "NwMapDrive(6," + H + ",0,SYS:PUBLIC,0)",
                       "Ctl3dShutdown(" + I + ")"}}),
                0},
        RunCase{"attach_failure_is_the_exit_code", "F:=NOSUCH/SYS:PUBLIC",
                [] { fake::client.attach = 0x8847; },
                Join({START,
                      {"NwFindConnection(NOSUCH,0,0)", "NwAttachServer(NOSUCH,0)",
                       "Ctl3dShutdown(" + I + ")"}}),
                0x8847},
        RunCase{"delete_unmaps_without_attaching", "-d F:=ACCOUNTS/SYS:PUBLIC",
                [] { fake::client.unmapDrive = 0x898F; },
                Join({START, {"NwUnmapDrive(6,0)", "Ctl3dShutdown(" + I + ")"}}), 0x898F},
        RunCase{"delete_after_the_specification", "G:=SYS:X /D", nullptr,
                Join({START, {"NwUnmapDrive(7,0)", "Ctl3dShutdown(" + I + ")"}}), 0},
        RunCase{"refused_specification", "1:=ACCOUNTS/SYS:PUBLIC", nullptr,
                Join({START, {"Ctl3dShutdown(" + I + ")"}}), 1},
        RunCase{"delete_with_refused_letter_removes_nothing", "-d 1:=SYS:X", nullptr,
                Join({START, {"Ctl3dShutdown(" + I + ")"}}), 1},
        RunCase{"only_first_positional_is_read", "F:=SYS:A G:=SYS:B", nullptr,
                Join({START,
                      ATTACH_ACCOUNTS,
                      {"NwNeedsLogin(" + H + ",0,0)", "NwMapDrive(6," + H + ",0,SYS:A,0)",
                       "Ctl3dShutdown(" + I + ")"}}),
                0},
        RunCase{"empty_command_line",
                "",
                nullptr,
                {"NwInitClient(0,0)", "Ctl3dStartup(" + I + ")", "Ctl3dShutdown(" + I + ")"},
                0},
        // The start-up code strips the blanks behind the program's name; any left are a token.
        RunCase{"blank_token_is_refused", " ", nullptr, Join({START, {"Ctl3dShutdown(" + I + ")"}}),
                1},
        // A bare -d names no drive: it must not unmap drive N.
        RunCase{"options_without_specification",
                "-d",
                nullptr,
                {"NwInitClient(0,0)", "Ctl3dStartup(" + I + ")", "Ctl3dShutdown(" + I + ")"},
                1},
        RunCase{"too_many_tokens",
                "-d F:=SYS:X 3 4 5 6 7 8 9 10",
                nullptr,
                {"NwInitClient(0,0)", "Ctl3dStartup(" + I + ")", "Ctl3dShutdown(" + I + ")"},
                1},
        RunCase{"login_needed_runs_the_dialog", "F:=PAYROLL/DATA:",
                [] {
                  fake::client.needsLogin = 1;
                  fake::client.findConnection = 0x8801; // the dialog then just opens
                },
                Join({START,
                      {"NwFindConnection(PAYROLL,0,0)", "NwAttachServer(PAYROLL,0)",
                       "NwNeedsLogin(" + H + ",0,0)", DIALOG_CALL, "SetDlgItemTextA(104,F)",
                       "SetDlgItemTextA(103,PAYROLL/DATA:)", "NwFindConnection(PAYROLL,0,0)",
                       "MoveWindow(362,284,300,200,0)", "Ctl3dShutdown(" + I + ")"}}),
                0},
        RunCase{"dialog_not_created", "F:=PAYROLL/DATA:",
                [] {
                  fake::client.needsLogin = 1;
                  fake::screen.dialogBoxResult = -1;
                },
                Join({START,
                      {"NwFindConnection(PAYROLL,0,0)", "NwAttachServer(PAYROLL,0)",
                       "NwNeedsLogin(" + H + ",0,0)", DIALOG_CALL,
                       "MessageBoxA(Unable To Create Dialog)", "Ctl3dShutdown(" + I + ")"}}),
                0, "Unable To Create Dialog", 0x40}),
    [](const testing::TestParamInfo<RunCase> &info) { return std::string(info.param.label); });

TEST(RunDialog, ExitCodeIsZeroWhateverTheDialogDid) {
  fake::Reset();
  fake::client.needsLogin = 1;
  fake::client.login = {ERR_INVALID_PASSWORD};
  fake::screen.script = [](DLGPROC procedure, HWND) {
    fake::screen.controlText[102] = "CLERK";
    fake::screen.controlText[101] = "WRONG";
    fake::Press(procedure, IDOK);
    fake::Press(procedure, IDCANCEL);
  };
  EXPECT_EQ(RunProgram(INSTANCE, "F:=PAYROLL/DATA:"), 0);
  ASSERT_EQ(fake::screen.boxes.size(), 1u);
  EXPECT_EQ(fake::screen.boxes[0].text, "Invalid Password");
  EXPECT_EQ(fake::screen.endResult, 0);
}

} // namespace
