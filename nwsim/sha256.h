// A small SHA-256, enough to keep passwords out of the store in clear.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nwsim {

constexpr size_t SHA256_SIZE = 32;

void Sha256(const void *data, size_t length, uint8_t digest[SHA256_SIZE]);

} // namespace nwsim
