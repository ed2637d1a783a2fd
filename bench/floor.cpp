// The floor of the wall-time measurement: a GUI program of ours that does nothing, built like
// tolvane.exe, so that what Wine itself costs per process is measured alone.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
