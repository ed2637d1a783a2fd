// The eleven client operations as the libraries export them, each one locked session on the
// store: a pending fault is taken first, then the operation runs on the world and what changed is
// saved. Out-arguments reach the caller only once that has succeeded.
#pragma once

#include "netware/netware.h"

namespace nwsim {
namespace client {

#define NWSIM_DECLARE_CLIENT_OPERATION(library, ordinal, name, params, args) NwResult name params;
NW_OPERATIONS(NWSIM_DECLARE_CLIENT_OPERATION)
#undef NWSIM_DECLARE_CLIENT_OPERATION

} // namespace client
} // namespace nwsim
