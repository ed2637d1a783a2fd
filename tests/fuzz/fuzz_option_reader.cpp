// The general option reader over a table with every kind of value, an invalid kind, a letter
// that two rows share and one from the upper half of the character set. Every target is a heap
// block of exactly its variable's size, the string's exactly MAX_OPTION_STRING bytes.
// Input: a control byte, then up to nine tokens separated by NUL bytes, each of any length.
#include <cstring>

#include "cmdline/cmdline.h"
#include "fakes.h"
#include "fuzz_common.h"

namespace {

template <typename T> T *HeapValue(T value) {
  T *block = static_cast<T *>(malloc(sizeof(T)));
  memcpy(block, &value, sizeof(T));
  return block;
}

constexpr int32_t HIGH_LETTER = static_cast<signed char>('\xE9'); // a signed char widens to -23

struct Values {
  int32_t flag = 77, shared = 77;
  int16_t shortValue = 77;
  int32_t longValue = 77;
  double doubleValue = 77.0;
  std::string text = "unset", highText = "unset";
};

std::string StringValue(const char *value) {
  if (value[0] == '=' || value[0] == '-')
    ++value;
  return std::string(value, strnlen(value, cmdline::MAX_OPTION_STRING - 1));
}

// The rows below read one token at a time; -1 once a row with an invalid kind matches.
int Expected(const std::vector<std::string> &tokens, int count, Values &v,
             std::vector<std::string> &positional) {
  if (count <= 1)
    return 0;
  int applied = 0;
  auto isPrefix = [](char c) { return c == '-' || c == '/'; };
  for (int i = 1; i < count; ++i) {
    const std::string &token = tokens[i - 1];
    if (!(token.size() >= 2 && isPrefix(token[0]) && !isPrefix(token[1]))) {
      positional.push_back(token);
      continue;
    }
    int32_t letter = static_cast<signed char>(token[1]);
    const char *value = token.c_str() + 2;
    switch (letter) {
    case 'f':
      v.flag = value[0] == '-' ? 0 : 1;
      applied += 1;
      break;
    case 's': {
      short number;
      if (sscanf(value, "%hd", &number) == 1)
        v.shortValue = number;
      applied += 1;
      break;
    }
    case 'l': {
      long number;
      if (sscanf(value, "%ld", &number) == 1)
        v.longValue = static_cast<int32_t>(number);
      applied += 1;
      break;
    }
    case 'g': {
      double number;
      if (sscanf(value, "%lg", &number) == 1)
        v.doubleValue = number;
      applied += 1;
      break;
    }
    case 't': // a string row, then a flag row with the same letter
      v.text = StringValue(value);
      v.shared = value[0] == '-' ? 0 : 1;
      applied += 2;
      break;
    case HIGH_LETTER:
      v.highText = StringValue(value);
      applied += 1;
      break;
    case 'x':
    case 'y':
      return -1;
    }
  }
  return applied;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  fake::Reset();
  Values initial;
  auto *flag = HeapValue(initial.flag);
  auto *shared = HeapValue(initial.shared);
  auto *shortValue = HeapValue(initial.shortValue);
  auto *longValue = HeapValue(initial.longValue);
  auto *doubleValue = HeapValue(initial.doubleValue);
  auto *text = static_cast<char *>(malloc(cmdline::MAX_OPTION_STRING));
  auto *highText = static_cast<char *>(malloc(cmdline::MAX_OPTION_STRING));
  strcpy(text, "unset");
  strcpy(highText, "unset");
  int32_t *invalidTarget = HeapValue(int32_t{5});

  const OptionEntry table[] = {
      {'f', OPT_FLAG, flag},
      {'s', OPT_SHORT, shortValue},
      {'l', OPT_LONG, longValue},
      {'g', OPT_DOUBLE, doubleValue},
      {'t', OPT_STRING, text},
      {'t', OPT_FLAG, shared},
      {HIGH_LETTER, OPT_STRING, highText},
      {'x', 5, invalidTarget},
      {'y', -1, invalidTarget},
      {0, -1, nullptr},
  };

  std::vector<std::string> tokens(1);
  for (size_t i = 1; i < size; ++i) {
    if (data[i] != 0)
      tokens.back() += static_cast<char>(data[i]);
    else if (tokens.size() == cmdline::MAX_TOKENS)
      break;
    else
      tokens.emplace_back();
  }
  // Usually the count the tokenizer would give; sometimes fewer slots, none, or a negative count.
  uint8_t control = data[0];
  int count = static_cast<int>(tokens.size()) + 1;
  if ((control & 0x80) != 0 && (control & 0x0F) < count)
    count = (control & 0x0F) - 1;

  char *slots[cmdline::SLOT_COUNT] = {};
  for (size_t i = 0; i < tokens.size(); ++i) {
    slots[i + 1] = static_cast<char *>(malloc(tokens[i].size() + 1));
    memcpy(slots[i + 1], tokens[i].c_str(), tokens[i].size() + 1);
  }

  int result = ParseOptionsWith(table, count, slots);

  Values want;
  std::vector<std::string> positional;
  REQUIRE(result == Expected(tokens, count, want, positional));
  REQUIRE(*flag == want.flag);
  REQUIRE(*shared == want.shared);
  REQUIRE(*shortValue == want.shortValue);
  REQUIRE(*longValue == want.longValue);
  REQUIRE(memcmp(doubleValue, &want.doubleValue, sizeof(double)) == 0);
  REQUIRE(*invalidTarget == 5);
  REQUIRE(fuzz::Terminated(text, cmdline::MAX_OPTION_STRING) && text == want.text);
  REQUIRE(fuzz::Terminated(highText, cmdline::MAX_OPTION_STRING) && highText == want.highText);
  for (size_t i = 0; i < cmdline::MAX_POSITIONAL; ++i) {
    if (i < positional.size())
      REQUIRE(positionalArgs[i] != nullptr && positionalArgs[i] == positional[i]);
    else
      REQUIRE(positionalArgs[i] == nullptr);
  }
  for (size_t i = 0; i < tokens.size(); ++i)
    REQUIRE(slots[i + 1] == tokens[i]);

  for (char *slot : slots)
    free(slot);
  free(invalidTarget);
  free(highText);
  free(text);
  free(doubleValue);
  free(longValue);
  free(shortValue);
  free(shared);
  free(flag);
  return 0;
}
