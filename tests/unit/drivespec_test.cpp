#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "drivespec/drivespec.h"
#include "fakes.h"

namespace {

struct Parsed {
  int result;
  uint16_t drive;
  std::string server;
  std::string path;
  std::string text; // the caller's text afterwards
};

// Parses a copy of text into the run's request; path starts as "UNCHANGED" so refusals show it.
Parsed Parse(const std::string &text) {
  std::string buffer = text;
  strcpy(path, "UNCHANGED");
  int result = ParseDriveSpec(buffer.data(), &driveNumber, serverName, path);
  return {result, driveNumber, serverName, path, buffer.c_str()};
}

struct ParseCase {
  const char *label;
  std::string text;
  int result;
  uint16_t drive;
  std::string server;
  std::string path;
};

void PrintTo(const ParseCase &c, std::ostream *os) {
  *os << c.label;
}

class DriveSpec : public testing::TestWithParam<ParseCase> {
protected:
  void SetUp() override { fake::Reset(); }
};

TEST_P(DriveSpec, ReadsTheRequest) {
  const ParseCase &c = GetParam();
  Parsed p = Parse(c.text);
  EXPECT_EQ(p.result, c.result);
  EXPECT_EQ(p.drive, c.drive);
  EXPECT_EQ(p.server, c.server);
  EXPECT_EQ(p.path, c.path);
}

const std::string slashes(200, '/'); // positions 3 to 202
const std::string server47(47, 'S'); // positions 203 to 249

INSTANTIATE_TEST_SUITE_P(
    Cases, DriveSpec,
    testing::Values(
        ParseCase{"server_and_path", "f:=srv/sys:public", 0, 6, "SRV", "SYS:PUBLIC"},
        ParseCase{"separator_after_colon_is_path", "F:=SYS:PUBLIC/X", 0, 6, "ACCOUNTS",
                  "SYS:PUBLIC/X"},
        ParseCase{"unc_style", "F:=\\\\SRV\\VOL:DIR", 0, 6, "SRV", "VOL:DIR"},
        ParseCase{"last_segment_wins", "F:=A/B/VOL:X", 0, 6, "B", "VOL:X"},
        ParseCase{"empty_last_segment", "F:=SRV//SYS:X", 0, 6, "", "SYS:X"},
        ParseCase{"leading_separator", "F:=/SYS:X", 0, 6, "", "SYS:X"},
        ParseCase{"server_only", "F:=SRV/", 0, 6, "SRV", ""},
        ParseCase{"nothing_after_equals", "F:=", 0, 6, "ACCOUNTS", ""},
        ParseCase{"no_separator_no_colon", "F:=SRV", 0, 6, "ACCOUNTS", "SRV"},
        ParseCase{"no_colon_needed", "F:=SRV/SYS", 0, 6, "SRV", "SYS"},
        ParseCase{"middle_characters_ignored", "FXYSRV/SYS:X", 0, 6, "SRV", "SYS:X"},
        ParseCase{"drive_a", "a:=X", 0, 1, "ACCOUNTS", "X"},
        ParseCase{"drive_z", "z:=X", 0, 26, "ACCOUNTS", "X"},
        ParseCase{"digit_refused", "1:=X", 1, static_cast<uint16_t>('1' - 64), "ACCOUNTS",
                  "UNCHANGED"},
        ParseCase{"at_sign_refused", "@:=X", 1, 0, "ACCOUNTS", "UNCHANGED"},
        ParseCase{"bracket_refused", "[:=X", 1, 27, "ACCOUNTS", "UNCHANGED"},
        ParseCase{"high_byte_refused", "\xC4:=X", 1, 0xC4 - 64, "ACCOUNTS", "UNCHANGED"},
        ParseCase{"empty_text", "", 0, 14, "ACCOUNTS", ""},
        ParseCase{"letter_alone", "g", 0, 7, "ACCOUNTS", ""},
        ParseCase{"letter_and_colon", "g:", 0, 7, "ACCOUNTS", ""},
        ParseCase{"server_of_47", "F:=" + std::string(47, 'S') + "/V:X", 0, 6, std::string(47, 'S'),
                  "V:X"},
        // No server is named so long: refused before anything of it is kept.
        ParseCase{"server_of_48_refused", "F:=A/" + std::string(48, 'S') + "/V:X", 1, 6, "ACCOUNTS",
                  "UNCHANGED"},
        // Positions 3 to 250 are kept; the rest of the longest text the dialog builds is dropped.
        ParseCase{"longest_dialog_text", "F:=" + std::string(254, 'P'), 0, 6, "ACCOUNTS",
                  std::string(248, 'P')},
        ParseCase{"nothing_dropped_at_251", "F:=" + std::string(248, 'P'), 0, 6, "ACCOUNTS",
                  std::string(248, 'P')},
        // A separator at 250 still closes its segment; the next character is the whole path.
        ParseCase{"separator_at_250", "F:=" + slashes + server47 + "/XYZ", 0, 6, server47, "X"},
        ParseCase{"separator_at_250_then_end", "F:=" + slashes + server47 + "/", 0, 6, server47,
                  ""},
        ParseCase{"separator_after_colon_at_250", "F:=A:" + std::string(245, '.') + "/XYZ", 0, 6,
                  "ACCOUNTS", "A:" + std::string(245, '.') + "/"},
        ParseCase{"long_segment_closed_at_250_refused", "F:=" + std::string(247, '.') + "/XYZ", 1,
                  6, "ACCOUNTS", "UNCHANGED"}),
    [](const testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.label); });

TEST(DriveSpecText, IsUpperCasedInPlaceOnlyFromAToZ) {
  fake::Reset();
  Parsed p = Parse("f:=srv/sys:\xe4\x7b\x60z");
  EXPECT_EQ(p.text, "F:=SRV/SYS:\xe4\x7b\x60Z");
}

TEST(DriveSpecText, RefusedTextIsStillUpperCased) {
  fake::Reset();
  Parsed p = Parse("1:=srv/x");
  EXPECT_EQ(p.result, 1);
  EXPECT_EQ(p.text, "1:=SRV/X");
}

TEST(DriveSpecDefaultServer, IsAskedForOnEveryCallAndResetsTheName) {
  fake::Reset();
  EXPECT_EQ(Parse("F:=SRV/SYS:X").server, "SRV");
  EXPECT_EQ(Parse("G:=SYS:Y").server, "ACCOUNTS");
  EXPECT_EQ(Parse("").server, "ACCOUNTS");
  EXPECT_EQ(fake::calls,
            (std::vector<std::string>{"NwGetDefaultConnection", "NwGetServerName(3)",
                                      "NwGetDefaultConnection", "NwGetServerName(3)",
                                      "NwGetDefaultConnection", "NwGetServerName(3)"}));
}

TEST(DriveSpecDefaultServer, FailedLookupLeavesAnEmptyNameAndAsksNoFurther) {
  fake::Reset();
  fake::client.defaultConnection = 0x8801;
  Parsed p = Parse("F:=SYS:X");
  EXPECT_EQ(p.result, 0);
  EXPECT_EQ(p.server, "");
  EXPECT_EQ(p.path, "SYS:X");
  EXPECT_EQ(fake::calls, std::vector<std::string>{"NwGetDefaultConnection"});
}

TEST(DriveSpecDefaultServer, NameWithoutTerminatorIsCutInsideItsBuffer) {
  fake::Reset();
  fake::client.defaultServer = std::string(60, 'N');
  EXPECT_EQ(Parse("F:=SYS:X").server, std::string(47, 'N'));
}

} // namespace
