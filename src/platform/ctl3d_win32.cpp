// The 3-D controls are a nicety: without CTL3D32.DLL the dialog is plain, and nothing is said.
#include "platform/library.h"
#include "platform/platform.h"

namespace {

using Ctl3dCall = BOOL(WINAPI *)(HINSTANCE);

constexpr WORD ORDINAL_REGISTER = 12;
constexpr WORD ORDINAL_UNREGISTER = 13;
constexpr WORD ORDINAL_AUTO_SUBCLASS = 16;

Library ctl3d;

void Call(WORD ordinal, HINSTANCE instance) {
  Ctl3dCall call;
  if (ctl3d.Bind(ordinal, call))
    call(instance);
}

} // namespace

void Ctl3dStartup(HINSTANCE instance) {
  if (!ctl3d.Load("CTL3D32.DLL"))
    return;
  Call(ORDINAL_REGISTER, instance);
  Call(ORDINAL_AUTO_SUBCLASS, instance);
}

void Ctl3dShutdown(HINSTANCE instance) {
  Call(ORDINAL_UNREGISTER, instance);
  ctl3d.Free();
}
