// Control ids of ENTRY_DIALOG, shared by the template and the dialog procedure.
#pragma once

#define IDC_PASSWORD 101
#define IDC_USERNAME 102
#define IDC_PATH 103
#define IDC_DRIVE 104
