// What the fuzz targets share: a check that stops the run on a broken property, and plain
// restatements of the parser and tokenizer rules to compare the program's results with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// Stops with a message libFuzzer shows next to the input that broke the property.
[[noreturn]] inline void Fail(const char *file, int line, const char *what) {
  fprintf(stderr, "%s:%d: property violated: %s\n", file, line, what);
  abort();
}
#define REQUIRE(condition)                                                                         \
  do {                                                                                             \
    if (!(condition))                                                                              \
      ::fuzz::Fail(__FILE__, __LINE__, #condition);                                                \
  } while (0)

// The text up to its first NUL, as a C caller would see it.
inline std::string CText(const uint8_t *data, size_t size) {
  size_t length = 0;
  while (length < size && data[length] != 0)
    ++length;
  return std::string(reinterpret_cast<const char *>(data), length);
}

inline bool Terminated(const char *buffer, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (buffer[i] == '\0')
      return true;
  return false;
}

inline char UpperAZ(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// The drive specification read step by step as the format defines it, with a server segment
// of more than 47 characters refused. The default server is the name the parser should have
// fetched from the client (already cut to 47 characters, or empty when the lookup failed).
struct Parse {
  int result = 0;
  uint16_t drive = 0;
  std::string server;
  bool pathWritten = false;
  std::string path;
  std::string text; // the caller's text afterwards
};

inline Parse ExpectedParse(std::string text, const std::string &defaultServer) {
  Parse out;
  out.server = defaultServer;
  if (text.empty()) {
    out.drive = 14;
    out.pathWritten = true;
    return out;
  }
  for (char &c : text)
    c = UpperAZ(c);
  out.text = text;
  out.drive = static_cast<uint16_t>(static_cast<unsigned char>(text[0]) - 64);
  if (out.drive < 1 || out.drive > 26) {
    out.result = 1;
    return out;
  }
  std::string segment, server;
  bool closed = false, colon = false;
  for (size_t p = 3; p < text.size(); ++p) {
    char c = text[p];
    if ((c == '/' || c == '\\') && !colon) {
      server = segment;
      closed = true;
      segment.clear();
      continue;
    }
    if (c == ':')
      colon = true;
    segment += c;
    if (p >= 250)
      break;
  }
  if (closed) {
    if (server.size() > 47) {
      out.result = 1;
      return out;
    }
    out.server = server;
  }
  out.pathWritten = true;
  out.path = segment;
  return out;
}

// The command line split at single blanks and read through the program's option table.
struct Tokens {
  int count = 0;
  std::vector<std::string> positional;
  int32_t deleteMapping = 0;
};

inline Tokens ExpectedTokens(const std::string &text) {
  std::vector<std::string> tokens;
  std::string current;
  for (size_t i = 0; i < text.size();) {
    current += text[i++];
    if (i < text.size() && text[i] == ' ') {
      tokens.push_back(current);
      current.clear();
      ++i;
    } else if (i == text.size()) {
      tokens.push_back(current);
    }
  }
  Tokens out;
  if (tokens.size() > 9)
    return out;
  for (const std::string &token : tokens)
    if (token.size() > 48)
      return out;
  out.count = static_cast<int>(tokens.size()) + 1;
  auto isPrefix = [](char c) { return c == '-' || c == '/'; };
  for (const std::string &token : tokens) {
    if (token.size() >= 2 && isPrefix(token[0]) && !isPrefix(token[1])) {
      if (token[1] == 'd' || token[1] == 'D')
        out.deleteMapping = token.size() > 2 && token[2] == '-' ? 0 : 1;
    } else {
      out.positional.push_back(token);
    }
  }
  return out;
}

} // namespace fuzz
