#include "SortProcedures.h"

#include "core/FileLists.h"
#include "platform/Collation.h"
#include "platform/Pump.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace {

int32_t Directed(int32_t ascending, uint8_t direction)
{
    return direction == 1 ? -ascending : ascending;
}

template <class T> int32_t ThreeWay(T a, T b)
{
    return (a > b) - (a < b);
}

const TStringArr& NoFolders()
{
    static const TStringArr empty;
    return empty;
}

int32_t CompareNames(TNameRef a, TNameRef b, uint8_t direction)
{
    TNamePool::TBuffer left, right;
    return Directed(plat::CompareIgnoreCase(NamePool.View(a, left), NamePool.View(b, right)), direction);
}

// The passes below see their elements through a view: how to reach, save, move and compare them.
// A saved element keeps its key however the elements move, which is what the pivot needs.

// The record sort: elements are the records themselves.
struct TRecordSeq
{
    TFileList& List;
    TCompareFunc Comparator;
    uint8_t Direction;
    const TStringArr& Folders = NoFolders();
    using TSaved = TFileInfoType;

    const TFileInfoType& Key(int32_t k) const { return List[k]; }
    static const TFileInfoType& KeyOf(const TSaved& saved) { return saved; }
    int32_t Compare(const TFileInfoType& a, const TFileInfoType& b) const
    {
        return Comparator(a, b, Direction, Folders);
    }
    void Swap(int32_t a, int32_t b) { std::swap(List[a], List[b]); }
    TSaved Save(int32_t k) const { return List[k]; }
    void MoveTo(int32_t from, int32_t to) { List[to] = List[from]; }
    void Restore(int32_t k, const TSaved& saved) { List[k] = saved; }
    void Ahead(int32_t, int32_t, int32_t, int32_t) const {} // records lie in order in memory
};

// The order sort: elements are display entries, compared by the records they point to.
struct TOrderSeq
{
    const TFileList& List;
    TSortList& Order;
    const TStringArr& Folders;
    TCompareFunc Comparator;
    uint8_t Direction;
    using TSaved = TSortEntry;

    const TFileInfoType& Key(int32_t k) const { return List[Order[size_t(k)].ItemIndex]; }
    const TFileInfoType& KeyOf(const TSaved& saved) const { return List[saved.ItemIndex]; }
    int32_t Compare(const TFileInfoType& a, const TFileInfoType& b) const
    {
        return Comparator(a, b, Direction, Folders);
    }
    void Swap(int32_t a, int32_t b) { std::swap(Order[size_t(a)], Order[size_t(b)]); }
    TSaved Save(int32_t k) const { return Order[size_t(k)]; }
    void MoveTo(int32_t from, int32_t to) { Order[size_t(to)] = Order[size_t(from)]; }
    void Restore(int32_t k, const TSaved& saved) { Order[size_t(k)] = saved; }

    // Entries point to records all over memory; a scan that walks the entries in `step` direction
    // asks for the records and their folder texts some elements ahead, so it does not wait for each.
    void Ahead(int32_t k, int32_t step, int32_t lo, int32_t hi) const
    {
        PrefetchLine(&List[Order[size_t(std::clamp(k + 32 * step, lo, hi))].ItemIndex]);
        if (Comparator == CompareFolder)
            PrefetchLine(Folders[List[Order[size_t(std::clamp(k + 16 * step, lo, hi))].ItemIndex].PathIndex]
                             .constData());
    }
};

// The order sorts by name and by folder compare ranks instead of texts. Keys that the collator
// holds equal share a rank and the ranks follow the collator's order, so each comparison of two
// ranks has the sign the comparison of the two texts has: the passes take exactly the same steps
// and leave exactly the same order, ties included. A column sort then costs one collation of
// each distinct text instead of one per comparison.
struct TRankedEntry
{
    TSortEntry Entry;
    uint32_t Rank;
};

struct TRankSeq
{
    std::vector<TRankedEntry>& Entries; // Entries[k - Low] stands for Order[k]
    int32_t Low;
    uint8_t Direction;
    using TSaved = TRankedEntry;

    uint32_t Key(int32_t k) const { return Entries[size_t(k - Low)].Rank; }
    static uint32_t KeyOf(const TSaved& saved) { return saved.Rank; }
    int32_t Compare(uint32_t a, uint32_t b) const { return Directed(ThreeWay(a, b), Direction); }
    void Swap(int32_t a, int32_t b) { std::swap(Entries[size_t(a - Low)], Entries[size_t(b - Low)]); }
    TSaved Save(int32_t k) const { return Entries[size_t(k - Low)]; }
    void MoveTo(int32_t from, int32_t to) { Entries[size_t(to - Low)] = Entries[size_t(from - Low)]; }
    void Restore(int32_t k, const TSaved& saved) { Entries[size_t(k - Low)] = saved; }
    void Ahead(int32_t, int32_t, int32_t, int32_t) const {} // entries lie in order in memory
};

// Ranks the distinct keys 0 .. count - 1, ordered by `less` and told apart by `differ`.
template <class TLess, class TDiffer>
std::vector<uint32_t> RankKeys(uint32_t count, TLess less, TDiffer differ)
{
    std::vector<uint32_t> byOrder(count);
    for (uint32_t key = 0; key < count; ++key)
        byOrder[key] = key;
    std::sort(byOrder.begin(), byOrder.end(), less);
    std::vector<uint32_t> ranks(count);
    uint32_t rank = 0;
    for (uint32_t n = 0; n < count; ++n) {
        if (n > 0 && differ(byOrder[n - 1], byOrder[n]))
            ++rank;
        ranks[byOrder[n]] = rank;
    }
    return ranks;
}

// A name widened for the collator, kept until another is asked for: sorting the distinct names
// meets the same pivot many times in a row.
class TWidenedName
{
public:
    QStringView Of(TNameRef ref)
    {
        if (!m_valid || ref.Index != m_ref.Index) {
            m_view = NamePool.View(ref, m_buffer);
            m_ref = ref;
            m_valid = true;
        }
        return m_view;
    }

private:
    TNamePool::TBuffer m_buffer;
    QStringView m_view; // into m_buffer
    TNameRef m_ref;
    bool m_valid = false;
};

// A distinct name and its collation key. The keys stay where they were made: a QCollatorSortKey
// has no move constructor, and each copy would change its reference count.
struct TKeyedName
{
    const QCollatorSortKey* Key;
    uint32_t Name;
};

bool KeyLess(const TKeyedName& a, const TKeyedName& b)
{
    return a.Key->compare(*b.Key) < 0;
}

// Runs work(0) .. work(parts - 1), each but the first on a thread of its own where one can be had,
// and passes on the first error any of them raised.
template <class TWork> void RunParts(uint32_t parts, TWork work)
{
    std::vector<std::exception_ptr> errors(parts);
    auto run = [&](uint32_t p) {
        try {
            work(p);
        } catch (...) {
            errors[p] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (uint32_t p = 1; p < parts; ++p) {
            try {
                workers.emplace_back(run, p);
            } catch (const std::system_error&) {
                run(p);
            }
        }
        run(0);
    }
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

// Ranks the names by their collation keys. Making and sorting the keys is most of a name sort, so
// a long list is keyed and sorted in parts on several threads, each with a collator of its own,
// and the parts are merged. Any order of equal keys gives the same ranks.
std::vector<uint32_t> RankByKeys(const std::vector<TNameRef>& names)
{
    constexpr uint32_t MinPart = 4096;
    const auto count = uint32_t(names.size());
    const uint32_t parts = count < 2 * MinPart ? 1
                                               : std::clamp(std::thread::hardware_concurrency(), 2U,
                                                            std::min(8U, count / MinPart));
    auto first = [&](uint32_t p) { return uint32_t(uint64_t(count) * p / parts); };
    std::vector<plat::TKeyMaker> makers(parts); // made here: they copy this thread's collation settings
    std::vector<std::vector<QCollatorSortKey>> keys(parts);
    std::vector<std::vector<TKeyedName>> sorted(parts);
    RunParts(parts, [&](uint32_t p) {
        TNamePool::TBuffer buffer;
        keys[p].reserve(first(p + 1) - first(p));
        for (uint32_t n = first(p); n < first(p + 1); ++n)
            keys[p].push_back(makers[p].Key(NamePool.View(names[n], buffer)));
        sorted[p].reserve(keys[p].size());
        for (uint32_t n = first(p); n < first(p + 1); ++n)
            sorted[p].push_back({&keys[p][n - first(p)], n});
        std::sort(sorted[p].begin(), sorted[p].end(), KeyLess);
    });
    for (uint32_t step = 1; step < parts; step *= 2) {
        for (uint32_t p = 0; p + step < parts; p += 2 * step) {
            std::vector<TKeyedName> merged(sorted[p].size() + sorted[p + step].size());
            std::merge(sorted[p].begin(), sorted[p].end(), sorted[p + step].begin(), sorted[p + step].end(),
                       merged.begin(), KeyLess);
            sorted[p] = std::move(merged);
            sorted[p + step] = {};
        }
    }
    std::vector<uint32_t> ranks(count);
    uint32_t rank = 0;
    for (size_t n = 0; n < sorted[0].size(); ++n) {
        if (n > 0 && KeyLess(sorted[0][n - 1], sorted[0][n]))
            ++rank;
        ranks[sorted[0][n].Name] = rank;
    }
    RunParts(parts, [&](uint32_t p) { keys[p] = {}; }); // freeing the keys takes a while too
    return ranks;
}

// The distinct names of the entries, one reference for each text. Each entry's Rank is set to the
// index of its name there.
std::vector<TNameRef> DistinctNames(const TFileList& list, std::vector<TRankedEntry>& entries)
{
    // Open addressing at most half full: a name is found with one or two probes and no allocation.
    const size_t mask = std::bit_ceil(2 * entries.size()) - 1;
    std::vector<uint32_t> table(mask + 1, 0); // 1 + an index into names, 0 when free
    std::vector<TNameRef> names;
    std::vector<std::string_view> texts;
    const std::hash<std::string_view> hash;
    for (TRankedEntry& entry : entries) {
        const TNameRef name = list[entry.Entry.ItemIndex].Name;
        const std::string_view text = NamePool.Stored(name);
        size_t at = hash(text) & mask;
        while (table[at] != 0 && texts[table[at] - 1] != text)
            at = (at + 1) & mask;
        if (table[at] == 0) {
            names.push_back(name);
            texts.push_back(text);
            table[at] = uint32_t(names.size());
        }
        entry.Rank = table[at] - 1;
    }
    return names;
}

// The rank of each entry's name: names with the same text are ranked once.
std::vector<TRankedEntry> RankByName(const TFileList& list, const TSortList& order, int32_t low, int32_t high)
{
    std::vector<TRankedEntry> entries(size_t(high - low + 1));
    for (int32_t k = low; k <= high; ++k)
        entries[size_t(k - low)].Entry = order[size_t(k)];
    const std::vector<TNameRef> names = DistinctNames(list, entries);
    std::vector<uint32_t> ranks;
    if (plat::KeysAgree()) {
        // One key per name, then byte comparisons: far fewer collations than one per comparison.
        ranks = RankByKeys(names);
    } else {
        auto compare = [&, left = TWidenedName(), right = TWidenedName()](uint32_t a, uint32_t b) mutable {
            return plat::CompareIgnoreCase(left.Of(names[a]), right.Of(names[b]));
        };
        ranks = RankKeys(
            uint32_t(names.size()), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; },
            [&](uint32_t a, uint32_t b) { return compare(a, b) != 0; });
    }
    for (TRankedEntry& entry : entries)
        entry.Rank = ranks[entry.Rank];
    return entries;
}

// The rank of each entry's folder.
std::vector<TRankedEntry> RankByFolder(const TFileList& list, const TSortList& order,
                                       const TStringArr& folders, int32_t low, int32_t high)
{
    auto compare = [&](uint32_t a, uint32_t b) {
        return plat::CompareIgnoreCase(folders[int32_t(a)], folders[int32_t(b)]);
    };
    const std::vector<uint32_t> ranks = RankKeys(
        uint32_t(folders.Used()), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; },
        [&](uint32_t a, uint32_t b) { return compare(a, b) != 0; });
    std::vector<TRankedEntry> entries(size_t(high - low + 1));
    for (int32_t k = low; k <= high; ++k)
        entries[size_t(k - low)] = {order[size_t(k)],
                                    ranks[size_t(list[order[size_t(k)].ItemIndex].PathIndex)]};
    return entries;
}

template <class TSeq> void QuickSortPass(TSeq seq, int32_t low, int32_t high)
{
    constexpr int RangeStackSize = 32;
    struct TRange
    {
        int32_t Lo, Hi;
    };
    TRange RangeStack[RangeStackSize];
    int used = 0;

    RangeStack[used++] = {low, high};
    while (used > 0) {
        auto [lo, hi] = RangeStack[--used];
        while (hi - lo > 15) {
            const int32_t mid = lo + (hi - lo) / 2;
            if (seq.Compare(seq.Key(lo), seq.Key(mid)) > 0)
                seq.Swap(lo, mid);
            if (seq.Compare(seq.Key(lo), seq.Key(hi)) > 0)
                seq.Swap(lo, hi);
            if (seq.Compare(seq.Key(mid), seq.Key(hi)) > 0)
                seq.Swap(mid, hi);
            // Saved, so later swaps do not change the pivot.
            const auto saved = seq.Save(mid);
            const auto& pivot = seq.KeyOf(saved);

            int32_t i = lo, j = hi;
            while (true) {
                do {
                    --j;
                    seq.Ahead(j, -1, lo, hi);
                } while (seq.Compare(seq.Key(j), pivot) > 0);
                do {
                    ++i;
                    seq.Ahead(i, 1, lo, hi);
                } while (seq.Compare(seq.Key(i), pivot) < 0);
                if (j <= i)
                    break;
                seq.Swap(i, j);
            }

            // Work on the smaller part now and keep the larger one waiting: the stack then never
            // holds more than log2(n) ranges.
            if (used == RangeStackSize)
                throw std::logic_error("sort range stack exhausted");
            if (j - lo < hi - j) {
                RangeStack[used++] = {j + 1, hi};
                hi = j;
            } else {
                RangeStack[used++] = {lo, j};
                lo = j + 1;
            }
        }
    }
}

template <class TSeq> void InsertionPass(TSeq seq, int32_t low, int32_t high)
{
    if (high <= low)
        return;

    // The smallest of the first 16 goes to the front and stops every backward walk below.
    int32_t m = low;
    const int32_t sentinelEnd = std::min(low + 15, high);
    for (int32_t k = low + 1; k <= sentinelEnd; ++k)
        if (seq.Compare(seq.Key(k), seq.Key(m)) < 0)
            m = k;
    if (m != low)
        seq.Swap(low, m);

    for (int32_t k = low + 2; k <= high; ++k) {
        seq.Ahead(k, 1, low, high);
        const auto saved = seq.Save(k);
        int32_t p = k;
        while (seq.Compare(seq.KeyOf(saved), seq.Key(p - 1)) < 0) {
            seq.MoveTo(p - 1, p);
            --p;
        }
        seq.Restore(p, saved);
    }
}

} // namespace

int32_t CompareTime(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction, const TStringArr&)
{
    return Directed(ThreeWay(A.Time, B.Time), Direction);
}

int32_t CompareFolder(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                      const TStringArr& Folders)
{
    if (A.PathIndex == B.PathIndex)
        return 0;
    return Directed(plat::CompareIgnoreCase(Folders[A.PathIndex], Folders[B.PathIndex]), Direction);
}

int32_t CompareName(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction, const TStringArr&)
{
    return CompareNames(A.Name, B.Name, Direction);
}

int32_t CompareSize(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction, const TStringArr&)
{
    return Directed(ThreeWay(A.Size, B.Size), Direction);
}

int32_t CompareCrc(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction, const TStringArr&)
{
    return Directed(ThreeWay(A.Crc, B.Crc), Direction);
}

void QuickSortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    QuickSortPass(TRecordSeq{List, Compare, Direction}, Low, High);
}

void InsertionSortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    InsertionPass(TRecordSeq{List, Compare, Direction}, Low, High);
}

void QuickSortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low,
                    int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    QuickSortPass(TOrderSeq{List, Order, Folders, Compare, Direction}, Low, High);
}

void InsertionSortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low,
                        int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    InsertionPass(TOrderSeq{List, Order, Folders, Compare, Direction}, Low, High);
}

void SortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    QuickSortFiles(List, Low, High, Compare, Direction);
    plat::PumpMessages();
    if (StopFlag != 1)
        InsertionSortFiles(List, Low, High, Compare, Direction);
}

void SortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low, int32_t High,
               TCompareFunc Compare, uint8_t Direction)
{
    if ((Compare == CompareName || Compare == CompareFolder) && Low < High) {
        std::vector<TRankedEntry> entries = Compare == CompareName
                                                ? RankByName(List, Order, Low, High)
                                                : RankByFolder(List, Order, Folders, Low, High);
        const TRankSeq seq{entries, Low, Direction};
        QuickSortPass(seq, Low, High);
        plat::PumpMessages();
        InsertionPass(seq, Low, High);
        for (int32_t k = Low; k <= High; ++k)
            Order[size_t(k)] = entries[size_t(k - Low)].Entry;
        return;
    }
    QuickSortOrder(List, Order, Folders, Low, High, Compare, Direction);
    plat::PumpMessages();
    InsertionSortOrder(List, Order, Folders, Low, High, Compare, Direction);
}
