#include "cmdline/cmdline.h"

#include "platform/format.h"

#include <cstdlib>
#include <cstring>

char *positionalArgs[cmdline::MAX_POSITIONAL];
int32_t deleteMapping;

const OptionEntry optionTable[] = {
    {'D', OPT_FLAG, &deleteMapping},
    {'d', OPT_FLAG, &deleteMapping},
    {0, -1, nullptr},
};

const char optionPrefixes[] = "-/";

namespace {

using namespace cmdline;

void AppendPositional(const char *token) {
  int next = 0;
  while (next < MAX_POSITIONAL && positionalArgs[next] != nullptr)
    ++next;
  // Nine tokens at most, so the table never fills; the check keeps that true for any caller.
  if (next == MAX_POSITIONAL)
    return;
  size_t length = strlen(token);
  auto *copy = static_cast<char *>(malloc(length + COPY_EXTRA));
  if (copy == nullptr)
    return;
  memcpy(copy, token, length + 1);
  positionalArgs[next] = copy;
}

void TakeValue(const OptionEntry &row, const char *value) {
  switch (row.type) {
  case OPT_FLAG:
    *static_cast<int32_t *>(row.target) = value[0] == '-' ? 0 : 1;
    break;
  case OPT_SHORT:
    ScanText(value, "%hd", row.target);
    break;
  case OPT_LONG: {
    // "%ld" wants a long, which is 64 bits on the native build; the variable is 32.
    long number;
    if (ScanText(value, "%ld", &number) == 1)
      *static_cast<int32_t *>(row.target) = static_cast<int32_t>(number);
    break;
  }
  case OPT_DOUBLE:
    ScanText(value, "%lg", row.target);
    break;
  case OPT_STRING: {
    if (value[0] == '=' || value[0] == '-')
      ++value;
    // A token holds at most 48 characters, so the copy fits MAX_OPTION_STRING; bound it anyway.
    auto *target = static_cast<char *>(row.target);
    size_t length = strnlen(value, MAX_OPTION_STRING - 1);
    memcpy(target, value, length);
    target[length] = '\0';
    break;
  }
  }
}

} // namespace

int ParseOptionsWith(const OptionEntry *table, int count, char **slots) {
  if (count <= 1)
    return 0;
  int applied = 0;
  for (int i = 1; i < count; ++i) {
    const char *token = slots[i];
    // strchr finds the prefix text's own terminator for an end of token, so "-" and "/" alone
    // are positional.
    bool isOption = strchr(optionPrefixes, token[0]) != nullptr && token[0] != '\0' &&
                    strchr(optionPrefixes, token[1]) == nullptr;
    if (!isOption) {
      AppendPositional(token);
      continue;
    }
    int32_t letter = static_cast<signed char>(token[1]);
    for (const OptionEntry *row = table; row->target != nullptr; ++row) {
      if (row->letter != letter)
        continue;
      if (static_cast<uint32_t>(row->type) > OPT_STRING)
        return -1;
      TakeValue(*row, token + 2);
      ++applied;
    }
  }
  return applied;
}

int ParseOptions(int count, char **slots) {
  return ParseOptionsWith(optionTable, count, slots);
}

int TokenizeCommandLine(const char *text) {
  char *slots[SLOT_COUNT] = {};
  for (char *&slot : slots) {
    slot = static_cast<char *>(malloc(SLOT_SIZE));
    if (slot == nullptr) {
      for (char *obtained : slots)
        free(obtained);
      return 0;
    }
    memset(slot, 0, SLOT_SIZE - 1);
  }

  int count = 1;
  int write = 0;
  bool refused = false;
  const char *read = text;
  if (*read != '\0') {
    for (;;) {
      if (count > MAX_TOKENS || write >= MAX_TOKEN_LENGTH) {
        refused = true;
        break;
      }
      slots[count][write++] = *read++;
      if (*read == ' ') {
        ++count;
        write = 0;
        ++read;
        if (*read == '\0')
          break;
      } else if (*read == '\0') {
        ++count;
        break;
      }
    }
  }

  if (refused)
    count = 0;
  else
    ParseOptions(count, slots);
  for (char *slot : slots)
    free(slot);
  return count;
}
