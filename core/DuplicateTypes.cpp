#include "DuplicateTypes.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstring>

uint8_t StopFlag = 1;
int32_t ActionCount = 0;
uint8_t ActionMode = 0;
QString MoveDirectory;

void SleepMs(int32_t milliseconds)
{
    plat::Sleep(milliseconds);
}

TNameRef TNamePool::Add(QStringView name)
{
    if (name.isEmpty())
        return {};
    // A name longer than a chunk cannot occur (file names are at most 255 bytes); cut defensively.
    const auto length = static_cast<uint32_t>(std::min<qsizetype>(name.size(), 0xFFFF));
    const uint32_t needed = length + 1; // the length comes first
    if (m_used + needed > ChunkUnits) {
        m_chunks.push_back(std::make_unique_for_overwrite<char16_t[]>(ChunkUnits));
        // Slot 0 of the first chunk stays unused: index 0 is the empty name.
        m_used = m_chunks.size() == 1 ? 1 : 0;
    }
    char16_t* at = m_chunks.back().get() + m_used;
    at[0] = static_cast<char16_t>(length);
    std::memcpy(at + 1, name.utf16(), length * sizeof(char16_t));
    const uint32_t index = static_cast<uint32_t>(m_chunks.size() - 1) << ChunkBits | m_used;
    m_used += needed;
    return {index};
}

QStringView TNamePool::View(TNameRef ref) const
{
    if (ref.Index == 0)
        return {};
    const char16_t* at = m_chunks[ref.Index >> ChunkBits].get() + (ref.Index & (ChunkUnits - 1));
    return QStringView(at + 1, at[0]);
}

void TNamePool::Clear()
{
    m_chunks.clear();
    m_used = ChunkUnits;
}
