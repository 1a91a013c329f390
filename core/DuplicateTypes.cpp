#include "DuplicateTypes.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint8_t StopFlag = 1;
int32_t ActionCount = 0;
uint8_t ActionMode = 0;
QString MoveDirectory;

void SleepMs(int32_t milliseconds)
{
    plat::Sleep(milliseconds);
}

namespace {

// Latin-1 to UTF-16. A column sort widens two names per comparison, millions of times: sixteen
// characters a step, never reading past the name (it may end a chunk).
void Widen(const uint8_t* __restrict from, size_t length, char16_t* __restrict to)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    for (; i < length; ++i)
        to[i] = from[i];
}

} // namespace

TNameRef TNamePool::Add(QStringView name)
{
    if (name.isEmpty())
        return {};
    // A shortened name would name another file; no file system gives one this long.
    if (name.size() > qsizetype(MaxLength))
        throw std::length_error("file name too long");
    const auto length = static_cast<uint32_t>(name.size());
    bool narrow = true;
    for (uint32_t i = 0; i < length && narrow; ++i)
        narrow = name[i].unicode() < 0x100;
    // Two bytes of header: the length and whether the characters are one byte or two.
    const uint32_t needed = 2 + length * (narrow ? 1 : 2);
    if (m_used + needed > ChunkBytes) {
        if (m_chunks.size() >= m_maxChunks)
            throw std::runtime_error("Too many file names for one search: their text exceeds the 4 GiB "
                                     "this program can hold. Search fewer folders at once.");
        m_chunks.push_back(std::make_unique_for_overwrite<uint8_t[]>(ChunkBytes));
        // Offset 0 of the first chunk stays unused: index 0 is the empty name.
        m_used = m_chunks.size() == 1 ? 1 : 0;
    }
    uint8_t* at = m_chunks.back().get() + m_used;
    const uint16_t header = static_cast<uint16_t>(length << 1 | (narrow ? 0 : 1));
    std::memcpy(at, &header, sizeof header);
    if (narrow) {
        for (uint32_t i = 0; i < length; ++i)
            at[2 + i] = static_cast<uint8_t>(name[i].unicode());
    } else {
        std::memcpy(at + 2, name.utf16(), length * sizeof(char16_t));
    }
    const uint32_t index = static_cast<uint32_t>(m_chunks.size() - 1) << ChunkBits | m_used;
    m_used += needed;
    return {index};
}

QStringView TNamePool::View(TNameRef ref, TBuffer& buffer) const
{
    if (ref.Index == 0)
        return {};
    const uint8_t* at = m_chunks[ref.Index >> ChunkBits].get() + (ref.Index & (ChunkBytes - 1));
    uint16_t header = 0;
    std::memcpy(&header, at, sizeof header);
    const size_t length = header >> 1;
    if (header & 1)
        std::memcpy(buffer.data(), at + 2, length * sizeof(char16_t));
    else
        Widen(at + 2, length, buffer.data());
    return QStringView(buffer.data(), static_cast<qsizetype>(length));
}

std::string_view TNamePool::Stored(TNameRef ref) const
{
    if (ref.Index == 0)
        return {};
    const uint8_t* at = m_chunks[ref.Index >> ChunkBits].get() + (ref.Index & (ChunkBytes - 1));
    uint16_t header = 0;
    std::memcpy(&header, at, sizeof header);
    const size_t bytes = sizeof header + (header >> 1) * ((header & 1) ? sizeof(char16_t) : 1);
    return {reinterpret_cast<const char*>(at), bytes};
}

QString TNamePool::Text(TNameRef ref) const
{
    TBuffer buffer;
    return View(ref, buffer).toString();
}

void TNamePool::AppendTo(QString& text, TNameRef ref) const
{
    TBuffer buffer;
    text.append(View(ref, buffer));
}

void TNamePool::Clear()
{
    m_chunks.clear();
    m_used = ChunkBytes;
}
