// The run: from the command-line text to the exit code.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int MESSAGE_TEXT_SIZE = 300;
constexpr UINT MESSAGE_STYLE_WARNING = MB_OK | MB_ICONWARNING;
constexpr UINT MESSAGE_STYLE_INFORMATION = MB_OK | MB_ICONINFORMATION;
extern const char MESSAGE_CAPTION[];

extern HINSTANCE instanceHandle;
// Where message texts and the dialog's displayed texts are formatted.
extern char messageText[MESSAGE_TEXT_SIZE];

int32_t RunProgram(HINSTANCE instance, const char *commandLine);
int32_t PerformMapping();

// A message box in the program's one convention: no owner, caption "Tolvane", OK only.
void ShowMessage(const char *text, UINT style);
