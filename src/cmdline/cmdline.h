// The command line: split into tokens at single blanks, options read through a table, every
// other token kept in positionalArgs.
#pragma once

#include <cstdint>

enum OptionType : int32_t {
  OPT_FLAG = 0,   // int32_t: 0 when the value text begins with "-", else 1
  OPT_SHORT = 1,  // int16_t, scanned with "%hd"
  OPT_LONG = 2,   // int32_t, scanned with "%ld"
  OPT_DOUBLE = 3, // double, scanned with "%lg"
  OPT_STRING = 4, // char buffer of at least MAX_OPTION_STRING bytes
};

struct OptionEntry {
  int32_t letter;
  int32_t type; // an OptionType; any other value makes ParseOptions fail with -1
  void *target; // null ends the table
};

namespace cmdline {
constexpr int SLOT_COUNT = 10; // slot 0 is never written, like argv[0]
constexpr int SLOT_SIZE = 50;  // 49 cleared bytes: 48 characters and the terminator
constexpr int MAX_TOKENS = SLOT_COUNT - 1;
constexpr int MAX_TOKEN_LENGTH = 48;
constexpr int COPY_EXTRA = 10; // a positional copy is the token's length plus this
constexpr int MAX_POSITIONAL = MAX_TOKENS;
// The longest value an OPT_STRING row can receive, with its terminator.
constexpr int MAX_OPTION_STRING = MAX_TOKEN_LENGTH - 2 + 1;
} // namespace cmdline

extern char *positionalArgs[cmdline::MAX_POSITIONAL];
extern int32_t deleteMapping;
extern const OptionEntry optionTable[];
extern const char optionPrefixes[];

// Splits the text, reads it through optionTable and returns the number of tokens plus one.
// A text of more than nine tokens, or with a token of more than 48 characters, is refused
// whole: nothing is read from it and the result is 0.
int TokenizeCommandLine(const char *text);

// Reads slots 1 to count - 1 through optionTable; the number of rows applied, or -1 when a
// matching row has an invalid type.
int ParseOptions(int count, char **slots);

// The same reader over any table, for whoever needs more options than the program's own.
int ParseOptionsWith(const OptionEntry *table, int count, char **slots);
