// Binds the client operations by ordinal when the client is initialised. The program imports
// nothing from the client statically, so a workstation without it gets a message, not a loader
// error.
#include "netware/netware.h"
#include "platform/library.h"

namespace {

// A failure of our own, in the client's range, for a library or entry point that is missing.
constexpr NwResult ERR_CLIENT_NOT_LOADED = 0x88FF;

Library CALWIN32;
Library NETWIN32;

#define NW_DECLARE_POINTER(library, ordinal, name, params, args) nw::name##Fn p##name;
NW_OPERATIONS(NW_DECLARE_POINTER)
#undef NW_DECLARE_POINTER

bool BindAll() {
  if (!CALWIN32.Load("CALWIN32.DLL") || !NETWIN32.Load("NETWIN32.DLL"))
    return false;
  bool bound = true;
#define NW_BIND(library, ordinal, name, params, args)                                              \
  bound = library.Bind(ordinal, p##name) && bound;
  NW_OPERATIONS(NW_BIND)
#undef NW_BIND
  return bound;
}

} // namespace

NwResult NwInitClient(uint32_t reserved1, uint32_t reserved2) {
  if (!BindAll()) {
    CALWIN32.Free();
    NETWIN32.Free();
    return ERR_CLIENT_NOT_LOADED;
  }
  return pNwInitClient(reserved1, reserved2);
}

// Every other operation runs only after NwInitClient succeeded; the check keeps a caller that
// forgets from jumping through a null pointer.
#define NW_FORWARD(library, ordinal, name, params, args)                                           \
  NwResult name params {                                                                           \
    return p##name != nullptr ? p##name args : ERR_CLIENT_NOT_LOADED;                              \
  }
NW_CONNECTION_OPERATIONS(NW_FORWARD)
#undef NW_FORWARD
