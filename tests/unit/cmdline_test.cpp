#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cmdline/cmdline.h"
#include "fakes.h"

namespace {

std::vector<std::string> Positionals() {
  std::vector<std::string> result;
  for (char *entry : positionalArgs)
    if (entry != nullptr)
      result.emplace_back(entry);
  return result;
}

struct TokenCase {
  const char *label;
  const char *text;
  int count;
  std::vector<std::string> positional;
  int32_t deleteMapping;
};

void PrintTo(const TokenCase &c, std::ostream *os) {
  *os << c.label;
}

class Tokenizer : public testing::TestWithParam<TokenCase> {
protected:
  void SetUp() override { fake::Reset(); }
};

TEST_P(Tokenizer, SplitsAtSingleBlanksAndReadsOptions) {
  const TokenCase &c = GetParam();
  EXPECT_EQ(TokenizeCommandLine(c.text), c.count);
  EXPECT_EQ(Positionals(), c.positional);
  EXPECT_EQ(deleteMapping, c.deleteMapping);
}

const std::string token48(48, 'A');

INSTANTIATE_TEST_SUITE_P(
    Cases, Tokenizer,
    testing::Values(
        TokenCase{"spec_alone", "F:=SYS:PUBLIC", 2, {"F:=SYS:PUBLIC"}, 0},
        TokenCase{"delete_first", "-d F:=SYS:PUBLIC", 3, {"F:=SYS:PUBLIC"}, 1},
        TokenCase{"delete_after", "F:=SYS:PUBLIC /D", 3, {"F:=SYS:PUBLIC"}, 1},
        TokenCase{"two_deletes", "-D -d", 3, {}, 1},
        TokenCase{"last_option_wins", "-d -d-", 3, {}, 0},
        TokenCase{"value_after_letter", "-dx", 2, {}, 1},
        TokenCase{"unknown_letter_dropped", "-x F:=SYS:PUBLIC", 3, {"F:=SYS:PUBLIC"}, 0},
        TokenCase{"lone_prefix_positional", "- F:=SYS:PUBLIC", 3, {"-", "F:=SYS:PUBLIC"}, 0},
        TokenCase{"double_prefix_positional", "--d", 2, {"--d"}, 0},
        TokenCase{"slash_path_is_option", "/SYS:PUBLIC", 2, {}, 0},
        TokenCase{"trailing_blank", "F:=SYS:PUBLIC ", 2, {"F:=SYS:PUBLIC"}, 0},
        TokenCase{"two_trailing_blanks", "F:=SYS:PUBLIC  ", 3, {"F:=SYS:PUBLIC", " "}, 0},
        TokenCase{"blank_starts_next_token", "-d  F:=SYS:PUBLIC", 3, {" F:=SYS:PUBLIC"}, 1},
        TokenCase{"three_blanks", "x   y", 4, {"x", " ", "y"}, 0},
        TokenCase{"tab_is_ordinary", "-d\tF:=SYS:PUBLIC", 2, {}, 1},
        TokenCase{"single_blank", " ", 2, {" "}, 0}, TokenCase{"empty", "", 1, {}, 0},
        TokenCase{"quotes_are_ordinary", "\"F:=A B\"", 3, {"\"F:=A", "B\""}, 0},
        TokenCase{"nine_tokens",
                  "1 2 3 4 5 6 7 8 9",
                  10,
                  {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
                  0},
        // Beyond the slots: refused whole, nothing read, so nothing is unmapped either.
        TokenCase{"ten_tokens_refused", "-d 2 3 4 5 6 7 8 9 10", 0, {}, 0},
        TokenCase{"token_of_48", token48.c_str(), 2, {token48}, 0}),
    [](const testing::TestParamInfo<TokenCase> &info) { return std::string(info.param.label); });

TEST(TokenizerLimits, TokenOf49CharactersIsRefusedWhole) {
  fake::Reset();
  std::string text = "-d " + std::string(49, 'B');
  EXPECT_EQ(TokenizeCommandLine(text.c_str()), 0);
  EXPECT_EQ(positionalArgs[0], nullptr);
  EXPECT_EQ(deleteMapping, 0);
}

TEST(TokenizerLimits, PositionalCopiesAreWritableAndOutliveTheSlots) {
  fake::Reset();
  TokenizeCommandLine("f:=srv/sys:x");
  ASSERT_NE(positionalArgs[0], nullptr);
  positionalArgs[0][0] = 'F';
  EXPECT_STREQ(positionalArgs[0], "F:=srv/sys:x");
}

// The general reader, with a row of every kind.
struct Options {
  int32_t flag = -7;
  int16_t shortValue = -7;
  int32_t longValue = -7;
  double doubleValue = -7;
  char text[cmdline::MAX_OPTION_STRING] = "unset";
};

int Read(const OptionEntry *table, std::vector<std::string> tokens) {
  std::vector<char *> slots(cmdline::SLOT_COUNT, nullptr);
  for (size_t i = 0; i < tokens.size(); ++i)
    slots[i + 1] = tokens[i].data();
  return ParseOptionsWith(table, static_cast<int>(tokens.size()) + 1, slots.data());
}

TEST(OptionReader, TakesEachKindOfValue) {
  fake::Reset();
  Options o;
  const OptionEntry table[] = {{'f', OPT_FLAG, &o.flag},      {'s', OPT_SHORT, &o.shortValue},
                               {'l', OPT_LONG, &o.longValue}, {'g', OPT_DOUBLE, &o.doubleValue},
                               {'t', OPT_STRING, o.text},     {0, -1, nullptr}};
  EXPECT_EQ(Read(table, {"-f", "/s-12", "-l70000", "-g2.5", "-t=NAME"}), 5);
  EXPECT_EQ(o.flag, 1);
  EXPECT_EQ(o.shortValue, -12);
  EXPECT_EQ(o.longValue, 70000);
  EXPECT_EQ(o.doubleValue, 2.5);
  EXPECT_STREQ(o.text, "NAME");

  // A value that does not scan leaves its variable and still counts as applied.
  EXPECT_EQ(Read(table, {"-s=5", "-lx", "-t-dash"}), 3);
  EXPECT_EQ(o.shortValue, -12);
  EXPECT_EQ(o.longValue, 70000);
  EXPECT_STREQ(o.text, "dash");
}

TEST(OptionReader, LongestStringFitsItsTarget) {
  fake::Reset();
  Options o;
  const OptionEntry table[] = {{'t', OPT_STRING, o.text}, {0, -1, nullptr}};
  std::string token = "-t=" + std::string(45, 'Z'); // 48 characters: the longest token
  EXPECT_EQ(Read(table, {token}), 1);
  EXPECT_EQ(std::string(o.text), std::string(45, 'Z'));
}

TEST(OptionReader, EveryMatchingRowAppliesInTableOrder) {
  fake::Reset();
  int32_t first = 0, second = 0;
  const OptionEntry table[] = {{'d', OPT_FLAG, &first}, {'d', OPT_FLAG, &second}, {0, -1, nullptr}};
  EXPECT_EQ(Read(table, {"-d"}), 2);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST(OptionReader, InvalidTypeStopsAtOnceKeepingWhatWasRead) {
  fake::Reset();
  int32_t flag = 0;
  const OptionEntry table[] = {{'d', OPT_FLAG, &flag}, {'x', -1, &flag}, {0, -1, nullptr}};
  EXPECT_EQ(Read(table, {"A", "-d", "-x", "B"}), -1);
  EXPECT_EQ(flag, 1);
  ASSERT_NE(positionalArgs[0], nullptr);
  EXPECT_STREQ(positionalArgs[0], "A");
  EXPECT_EQ(positionalArgs[1], nullptr);
}

TEST(OptionReader, TheProgramsTableReadsOnlyTheDeleteFlag) {
  fake::Reset();
  EXPECT_EQ(Read(optionTable, {"-D", "-x", "/d"}), 2);
  EXPECT_EQ(deleteMapping, 1);
}

} // namespace
