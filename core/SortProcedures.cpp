#include "SortProcedures.h"

#include "core/FileLists.h"
#include "core/SortRanks.h"
#include "platform/Collation.h"
#include "platform/Pump.h"

#include <algorithm>
#include <stdexcept>
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

// The order sort by name, folder or time: elements are entries with their ranks (core/SortRanks.h).
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
    if (SortsByRank(Compare) && Low < High) {
        std::vector<TRankedEntry> entries = RankedEntries(List, Order, Folders, Low, High, Compare);
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
