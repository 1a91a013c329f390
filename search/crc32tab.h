#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace plat {
class TFileReader;
}

// CRC-32/ISO-HDLC (the CRC of zip and Ethernet): reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, result inverted.

// One read of a checksum; the update routine takes lengths below 65,536.
inline constexpr uint32_t CrcBlockSize = 65521;

namespace crc32detail {
constexpr std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
} // namespace crc32detail

inline constexpr std::array<uint32_t, 256> Crc32Table = crc32detail::MakeTable();
static_assert(Crc32Table[1] == 0x77073096u);

// Folds `Length` bytes into the running checksum `Crc` (not inverted between calls), by the fastest
// method this processor runs.
void UpdateCrc32(const void* Buffer, uint16_t Length, uint32_t& Crc);

// The same result, one table look-up per byte: the reference the fast update is checked against.
void UpdateCrc32Reference(const void* Buffer, size_t Length, uint32_t& Crc);

// Checksum of the whole file. Returns 0 when the file is missing, is not a regular file (a link
// is not followed), cannot be opened or a read fails, and 1 when StopFlag is 1 after a pump (the
// caller discards it); *Ok is true only for a real checksum. Each block is filled unless the file
// ends, folded in and followed by one message pump, until a read returns no more bytes. The file
// is closed on every way out.
uint32_t FileCrc32(const QString& Path, bool* Ok = nullptr);

// Checksum of the first CrcBlockSize bytes (of the whole file when it is not longer); the same
// results and failure rules as FileCrc32.
uint32_t FirstBlockCrc32(const QString& Path, bool* Ok = nullptr);

// The same for a file already open (the comparison reaches its files through checked folders);
// the file is closed on every way out.
uint32_t FirstBlockCrc32(plat::TFileReader& File, bool* Ok = nullptr);

// The same for a first block already read (by the read queue), with the pump that follows a block.
uint32_t FirstBlockCrc32(const uint8_t* Block, size_t Length, bool* Ok = nullptr);
