#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

// A file name kept in the name pool of the current search (see TNamePool). The zero value is
// the empty name, so a zero-filled record has an empty `Name`.
struct TNameRef
{
    uint32_t Index = 0;
};

// One file. Sizes are full 64-bit values; the name lives in the search's name pool, which keeps
// the record at 40 bytes and lets records be copied freely.
struct TFileInfoType
{
    uint64_t Size = 0;    // bytes; always compared unsigned
    int32_t Time = 0;     // last write, packed DOS local date and time; compared signed
    int32_t Attr = 0;     // read-only 0x01, hidden 0x02, system 0x04, archive 0x20
    uint32_t Crc = 0;     // first-block or whole-file CRC-32 once the comparison has read the file
    TNameRef Name;        // name with extension, no folder part
    int32_t PathIndex = 0; // the folder, an index into PathList
    int32_t Group = 0;    // duplicate group number in ResultList, 0 in FileList
    uint8_t Checked = 0;  // marked for an action
    uint8_t Removed = 0;  // deleted or moved; can no longer be marked
    uint8_t Candidate = 0; // takes part in the whole-file test
};
static_assert(sizeof(TFileInfoType) == 40, "records are kept compact: hundreds of thousands are held");
static_assert(std::is_trivially_copyable_v<TFileInfoType>);

// The names of one search. Names are appended and never change, so a TNameRef stays valid until
// the pool is cleared together with PathList. Stored as UTF-16 so comparisons need no decoding.
class TNamePool
{
public:
    TNameRef Add(QStringView name);
    QStringView View(TNameRef ref) const;
    void Clear();
    size_t MemoryBytes() const { return m_chunks.size() * ChunkUnits * sizeof(char16_t); }

private:
    static constexpr uint32_t ChunkBits = 19; // 1 MiB of text per chunk
    static constexpr uint32_t ChunkUnits = 1u << ChunkBits;
    std::vector<std::unique_ptr<char16_t[]>> m_chunks;
    uint32_t m_used = ChunkUnits; // units used in the last chunk; full means "start a new one"
};

// A list with an explicit length (its capacity): slots are reserved up front, written in index
// order, and nothing is ever written at or beyond the length. Reserving memory does not touch it,
// so a generous reservation costs only what is used.
template <class T>
class TGrowList
{
public:
    int32_t Length() const { return m_length; }
    int32_t Used() const { return static_cast<int32_t>(m_items.size()); }

    // Sets the length; may throw std::bad_alloc. Shrinking drops the slots at and after `length`
    // and gives their memory back.
    void SetLength(int32_t length)
    {
        if (length < 0)
            length = 0;
        if (length < Used()) {
            m_items.resize(static_cast<size_t>(length));
            m_items.shrink_to_fit();
        } else if (length < m_length) {
            std::vector<T> exact;
            exact.reserve(static_cast<size_t>(length));
            exact.insert(exact.end(), std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()));
            m_items.swap(exact);
        } else {
            m_items.reserve(static_cast<size_t>(length));
        }
        m_length = length;
    }

    void Clear()
    {
        std::vector<T>().swap(m_items);
        m_length = 0;
    }

    // Writes the slot at `index`: an existing one, or the next one in order, below the length.
    void Put(int32_t index, T value)
    {
        if (index < 0 || index >= m_length || index > Used())
            throw std::out_of_range("list slot out of range");
        if (index == Used())
            m_items.push_back(std::move(value));
        else
            m_items[static_cast<size_t>(index)] = std::move(value);
    }

    T& operator[](int32_t index) { return m_items[static_cast<size_t>(index)]; }
    const T& operator[](int32_t index) const { return m_items[static_cast<size_t>(index)]; }
    T* Data() { return m_items.data(); }
    const T* Data() const { return m_items.data(); }

private:
    std::vector<T> m_items; // the written slots; capacity() >= m_length
    int32_t m_length = 0;
};

using TFileList = TGrowList<TFileInfoType>;
using TStringArr = TGrowList<QString>;

// One row of the result list: which ResultList record it shows and its band value.
struct TSortEntry
{
    int32_t ItemIndex = 0;
    int32_t Shade = 0;
};
using TSortList = std::vector<TSortEntry>;

// 1 = idle or a stop has been requested, 0 = a search is running.
extern uint8_t StopFlag;
// The exchange between the delete and move commands and their dialogs.
extern int32_t ActionCount;
extern uint8_t ActionMode;
extern QString MoveDirectory;

// Blocks the calling thread for the given number of milliseconds.
void SleepMs(int32_t milliseconds);
