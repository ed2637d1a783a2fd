#include "platform/format.h"

#include <stdarg.h>
#include <stdio.h>

int FormatText(char *buffer, size_t size, const char *format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
  // msvcrt leaves a text that fills the buffer unterminated.
  if (size != 0 && (length < 0 || (size_t)length >= size))
    buffer[size - 1] = '\0';
  return length;
}

int ScanText(const char *text, const char *format, void *target) {
  return sscanf(text, format, target);
}
