#pragma once

#include <cstddef>
#include <cstdint>

// Fast ways to fold bytes into a running CRC-32/ISO-HDLC checksum, all bit-identical to the
// byte-at-a-time table update. The checksum is the running register: start with 0xFFFFFFFF and
// invert only the final value.

// Portable: sixteen bytes per step through sixteen tables built at compile time.
void UpdateCrc32Slicing(const void* Buffer, size_t Length, uint32_t& Crc);

// The processor can run UpdateCrc32Clmul (carry-less multiplication and SSE4.1).
bool Crc32ClmulSupported();

// Folds 64 bytes per step with carry-less multiplication. Call only when Crc32ClmulSupported().
void UpdateCrc32Clmul(const void* Buffer, size_t Length, uint32_t& Crc);

// The fastest of the above that this processor runs.
void UpdateCrc32Fast(const void* Buffer, size_t Length, uint32_t& Crc);
