#include "crc32tab.h"

#include "Crc32Fold.h"
#include "core/DuplicateTypes.h"
#include "platform/FileAccess.h"
#include "platform/Pump.h"

#include <memory>

void UpdateCrc32Reference(const void* Buffer, size_t Length, uint32_t& Crc)
{
    const auto* bytes = static_cast<const uint8_t*>(Buffer);
    uint32_t crc = Crc;
    for (size_t i = 0; i < Length; ++i)
        crc = Crc32Table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    Crc = crc;
}

void UpdateCrc32(const void* Buffer, uint16_t Length, uint32_t& Crc)
{
    UpdateCrc32Fast(Buffer, Length, Crc);
}

namespace {

enum class TReadExtent
{
    WholeFile,
    FirstBlock
};

// Folds one block in and lets the window breathe; false when a stop was requested meanwhile.
bool FoldBlock(const uint8_t* block, size_t length, uint32_t& crc)
{
    UpdateCrc32(block, static_cast<uint16_t>(length), crc);
    plat::PumpMessages();
    return StopFlag != 1;
}

uint32_t ChecksumOpened(plat::TFileReader& file, TReadExtent extent, bool* ok)
{
    uint32_t crc = 0xFFFFFFFFu;
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(CrcBlockSize);
    while (true) {
        const ssize_t n = file.ReadFull(buffer.get(), CrcBlockSize);
        if (n < 0) {
            file.Close();
            return 0;
        }
        if (!FoldBlock(buffer.get(), size_t(n), crc)) {
            file.Close();
            return 1;
        }
        if (n == 0 || extent == TReadExtent::FirstBlock)
            break;
    }
    file.Close();
    if (ok)
        *ok = true;
    return crc ^ 0xFFFFFFFFu;
}

uint32_t ChecksumFile(const QString& path, TReadExtent extent, bool* ok)
{
    if (ok)
        *ok = false;
    plat::TFileReader file;
    if (file.Open(path) != 0)
        return 0;
    return ChecksumOpened(file, extent, ok);
}

} // namespace

uint32_t FileCrc32(const QString& Path, bool* Ok)
{
    return ChecksumFile(Path, TReadExtent::WholeFile, Ok);
}

uint32_t FirstBlockCrc32(const QString& Path, bool* Ok)
{
    return ChecksumFile(Path, TReadExtent::FirstBlock, Ok);
}

uint32_t FirstBlockCrc32(plat::TFileReader& File, bool* Ok)
{
    if (Ok)
        *Ok = false;
    if (!File.IsOpen())
        return 0;
    return ChecksumOpened(File, TReadExtent::FirstBlock, Ok);
}

uint32_t FirstBlockCrc32(const uint8_t* Block, size_t Length, bool* Ok)
{
    if (Ok)
        *Ok = false;
    uint32_t crc = 0xFFFFFFFFu;
    if (!FoldBlock(Block, Length, crc))
        return 1;
    if (Ok)
        *Ok = true;
    return crc ^ 0xFFFFFFFFu;
}
