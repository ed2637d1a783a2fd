// The libraries' entry points: each export forwards to the client operation of the same name.
// Both DLLs are built from this file; each one's .def file names the ordinals it exports.
#include <type_traits>

#include "netware/netware.h"
#include "nwsim/client.h"

#define NWSIM_EXPORT(library, ordinal, name, params, args)                                         \
  extern "C" NwResult NWAPI Export##name params {                                                  \
    return nwsim::client::name args;                                                               \
  }                                                                                                \
  static_assert(std::is_same_v<decltype(&Export##name), nw::name##Fn>,                             \
                #name " must have the signature the program binds");
NW_OPERATIONS(NWSIM_EXPORT)
#undef NWSIM_EXPORT
