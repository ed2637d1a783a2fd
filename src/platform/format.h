// Formatted printing and scanning for the core. They live in a C file of their own: in C++,
// MinGW's libstdc++ swaps msvcrt's printf and scanf for its own C99 ones, which would make up
// most of tolvane.exe.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// snprintf: always terminated within size bytes.
int FormatText(char *buffer, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// sscanf with one conversion into target; the number of fields stored.
int ScanText(const char *text, const char *format, void *target);

#ifdef __cplusplus
}
#endif
