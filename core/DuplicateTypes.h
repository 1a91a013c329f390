#pragma once

#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <vector>

// A file name kept in the name pool of the current search (see TNamePool). The zero value is
// the empty name, so a zero-filled record has an empty `Name`.
struct TNameRef
{
    uint32_t Index = 0;
};

// One file. Sizes are full 64-bit values; the name lives in the search's name pool, which keeps
// the record small and lets records be copied freely. Device, inode, size, the full-resolution
// modification time and the change and birth times tell whether a file met later is still the one
// the scan saw.
struct TFileInfoType
{
    uint64_t Size = 0;      // bytes; always compared unsigned
    uint64_t Inode = 0;     // with Device, the file's identity when the scan saw it
    int64_t ModifiedNs = 0; // last write in nanoseconds since 1970, as the scan saw it
    uint64_t ChangeMix = 0; // change and birth time as the scan saw them, mixed (plat::TFileStamp)
    int32_t Time = 0;       // last write, packed DOS local date and time; compared signed
    int32_t Attr = 0;       // read-only 0x01, hidden 0x02, system 0x04, archive 0x20
    uint32_t Crc = 0;       // first-block or whole-file CRC-32 once the comparison has read the file
    TNameRef Name;          // name with extension, no folder part
    int32_t PathIndex = 0;  // the folder, an index into PathList
    int32_t Group = 0;      // duplicate group number in ResultList, 0 in FileList
    uint32_t Device = 0;    // st_dev of the file; the kernel's device numbers fit in 32 bits
    uint8_t Checked = 0;    // marked for an action
    uint8_t Removed = 0;    // deleted or moved; can no longer be marked
    uint8_t Candidate = 0;  // takes part in the whole-file test
    uint8_t Unreadable = 0; // working flag of the comparison: the file could not be read
};
static_assert(sizeof(TFileInfoType) == 64, "records are kept compact: hundreds of thousands are held");
static_assert(std::is_trivially_copyable_v<TFileInfoType>);

// What a PathList entry needs beside its text so that its folder can be reached again exactly:
// where its search folder ends in the text, and the folder's identity when the scan listed it.
struct TFolderInfo
{
    uint64_t Inode = 0;
    uint32_t Device = 0;
    int32_t RootLength = 0; // the entry's first RootLength characters are its search folder
    uint8_t Reference = 0;  // the walk reached the folder through a reference folder
};
static_assert(std::is_trivially_copyable_v<TFolderInfo>);

// Asks the processor to bring the line at `address` into the cache. The empty asm marks the call
// as doing something: GCC 12's mod/ref analysis otherwise judges a function that only prefetches
// to have no effect and drops calls to it, prefetch and all.
inline void PrefetchLine(const void* address)
{
    __builtin_prefetch(address);
    asm volatile("" : : "r"(address));
}

// The names of one search. Names are appended and never change, so a TNameRef stays valid until
// the pool is cleared together with PathList; every Add gives a new reference. A name whose
// characters all fit in one byte (most names) is kept as Latin-1, any other as UTF-16: hundreds
// of thousands of names stay small.
class TNamePool
{
public:
    // Room for the longest name as UTF-16 (a name has at most 255 bytes).
    using TBuffer = std::array<char16_t, 512>;
    // A reference has 32 bits: the chunk in the high bits, the offset in the low ones.
    static constexpr uint32_t MaxChunks = 4096;

    // `maxChunks` below MaxChunks lets tests reach the limit with little memory.
    explicit TNamePool(uint32_t maxChunks = MaxChunks) : m_maxChunks(std::min(maxChunks, MaxChunks)) {}

    // Throws std::runtime_error when the pool is full (4 GiB of names): a reference beyond that
    // would wrap round and name another file.
    TNameRef Add(QStringView name);
    // The name, widened into `buffer` when needed; valid as long as the buffer and the pool.
    QStringView View(TNameRef ref, TBuffer& buffer) const;
    QString Text(TNameRef ref) const;
    void AppendTo(QString& text, TNameRef ref) const;
    // The name as the pool keeps it: equal for equal names, different for different ones.
    std::string_view Stored(TNameRef ref) const;
    // Asks the processor to bring the name into the cache (sorts call it ahead of their reads).
    void Prefetch(TNameRef ref) const
    {
        if (ref.Index != 0)
            PrefetchLine(m_chunks[ref.Index >> ChunkBits].get() + (ref.Index & (ChunkBytes - 1)));
    }
    void Clear();
    size_t MemoryBytes() const { return m_chunks.size() * ChunkBytes; }

private:
    static constexpr uint32_t ChunkBits = 20; // 1 MiB per chunk
    static constexpr uint32_t ChunkBytes = 1u << ChunkBits;
    static constexpr size_t MaxLength = std::tuple_size_v<TBuffer>;
    std::vector<std::unique_ptr<uint8_t[]>> m_chunks;
    uint32_t m_used = ChunkBytes; // bytes used in the last chunk; full means "start a new one"
    uint32_t m_maxChunks;
};

namespace detail {

// Storage of records: plain memory resized in place where the allocator can, so that trimming a
// large list never copies it and a reservation costs only the pages that are written.
template <class T> class TRawStorage
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    TRawStorage() = default;
    TRawStorage(const TRawStorage&) = delete;
    TRawStorage& operator=(const TRawStorage&) = delete;
    ~TRawStorage() { std::free(m_data); }

    size_t size() const { return m_size; }
    void Reallocate(size_t capacity)
    {
        if (capacity == 0) {
            std::free(m_data);
            m_data = nullptr;
        } else {
            void* moved = std::realloc(m_data, capacity * sizeof(T));
            if (!moved)
                throw std::bad_alloc();
            m_data = static_cast<T*>(moved);
        }
        m_size = std::min(m_size, capacity);
    }
    void push_back(const T& value) { std::memcpy(static_cast<void*>(m_data + m_size++), &value, sizeof(T)); }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    T* data() { return m_data; }
    const T* data() const { return m_data; }

private:
    T* m_data = nullptr;
    size_t m_size = 0;
};

// Storage of other values (strings).
template <class T> class TVectorStorage
{
public:
    size_t size() const { return m_items.size(); }
    void Reallocate(size_t capacity)
    {
        std::vector<T> exact;
        exact.reserve(capacity);
        const size_t kept = std::min(capacity, m_items.size());
        exact.insert(exact.end(), std::make_move_iterator(m_items.begin()),
                     std::make_move_iterator(m_items.begin() + static_cast<std::ptrdiff_t>(kept)));
        m_items.swap(exact);
    }
    void push_back(T value) { m_items.push_back(std::move(value)); }
    T& operator[](size_t i) { return m_items[i]; }
    const T& operator[](size_t i) const { return m_items[i]; }
    T* data() { return m_items.data(); }
    const T* data() const { return m_items.data(); }

private:
    std::vector<T> m_items;
};

} // namespace detail

// A list with an explicit length (its capacity): slots are reserved up front, written in index
// order, and nothing is ever written at or beyond the length.
template <class T> class TGrowList
{
public:
    int32_t Length() const { return m_length; }
    int32_t Used() const { return static_cast<int32_t>(m_items.size()); }

    // Sets the length; may throw std::bad_alloc. Shrinking drops the slots at and after `length`.
    void SetLength(int32_t length)
    {
        length = std::max(length, 0);
        m_items.Reallocate(static_cast<size_t>(length));
        m_length = length;
    }

    void Clear() { SetLength(0); }

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
    std::conditional_t<std::is_trivially_copyable_v<T>, detail::TRawStorage<T>, detail::TVectorStorage<T>>
        m_items;
    int32_t m_length = 0;
};

using TFileList = TGrowList<TFileInfoType>;
using TStringArr = TGrowList<QString>;
using TFolderInfoList = TGrowList<TFolderInfo>;

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
