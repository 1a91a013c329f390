#include "SortProcedures.h"

#include "core/FileLists.h"
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

// The element view of the record sort: elements are the records themselves.
struct TRecordSeq
{
    TFileList& List;
    using TSaved = TFileInfoType;

    const TFileInfoType& At(int32_t k) const { return List[k]; }
    void Swap(int32_t a, int32_t b) { std::swap(List[a], List[b]); }
    TSaved Save(int32_t k) const { return List[k]; }
    static const TFileInfoType& Record(const TSaved& saved) { return saved; }
    void MoveTo(int32_t from, int32_t to) { List[to] = List[from]; }
    void Restore(int32_t k, const TSaved& saved) { List[k] = saved; }
    void Ahead(int32_t, int32_t, int32_t, int32_t) const {} // records lie in order in memory
};

// Fetches the key a comparator reads (a name, a folder text) into the cache ahead of its use.
using TKeyPrefetch = void (*)(const TFileInfoType& record, const TStringArr& folders);

void PrefetchName(const TFileInfoType& record, const TStringArr&)
{
    NamePool.Prefetch(record.Name);
}

void PrefetchFolder(const TFileInfoType& record, const TStringArr& folders)
{
    __builtin_prefetch(folders[record.PathIndex].constData());
}

TKeyPrefetch KeyPrefetchFor(TCompareFunc compare)
{
    if (compare == CompareName)
        return PrefetchName;
    if (compare == CompareFolder)
        return PrefetchFolder;
    return nullptr;
}

// The element view of the order sort: elements are display entries, compared by their records.
struct TOrderSeq
{
    const TFileList& List;
    TSortList& Order;
    const TStringArr& Folders;
    TKeyPrefetch KeyPrefetch;
    using TSaved = TSortEntry;

    const TFileInfoType& At(int32_t k) const { return List[Order[size_t(k)].ItemIndex]; }
    void Swap(int32_t a, int32_t b) { std::swap(Order[size_t(a)], Order[size_t(b)]); }
    TSaved Save(int32_t k) const { return Order[size_t(k)]; }
    const TFileInfoType& Record(const TSaved& saved) const { return List[saved.ItemIndex]; }
    void MoveTo(int32_t from, int32_t to) { Order[size_t(to)] = Order[size_t(from)]; }
    void Restore(int32_t k, const TSaved& saved) { Order[size_t(k)] = saved; }

    // Entries point to records all over memory; a scan that walks the entries in `step` direction
    // asks for the records and their keys some elements ahead, so it does not wait for each one.
    void Ahead(int32_t k, int32_t step, int32_t lo, int32_t hi) const
    {
        const int32_t far = std::clamp(k + 32 * step, lo, hi);
        __builtin_prefetch(&List[Order[size_t(far)].ItemIndex]);
        if (KeyPrefetch)
            KeyPrefetch(List[Order[size_t(std::clamp(k + 16 * step, lo, hi))].ItemIndex], Folders);
    }
};

template <class TSeq>
void QuickSortPass(TSeq seq, int32_t low, int32_t high, TCompareFunc compare, uint8_t direction,
                   const TStringArr& folders)
{
    constexpr int RangeStackSize = 32;
    struct TRange
    {
        int32_t Lo, Hi;
    };
    TRange RangeStack[RangeStackSize];
    int used = 0;
    auto cmp = [&](const TFileInfoType& a, const TFileInfoType& b) {
        return compare(a, b, direction, folders);
    };

    RangeStack[used++] = {low, high};
    while (used > 0) {
        auto [lo, hi] = RangeStack[--used];
        while (hi - lo > 15) {
            const int32_t mid = lo + (hi - lo) / 2;
            if (cmp(seq.At(lo), seq.At(mid)) > 0)
                seq.Swap(lo, mid);
            if (cmp(seq.At(lo), seq.At(hi)) > 0)
                seq.Swap(lo, hi);
            if (cmp(seq.At(mid), seq.At(hi)) > 0)
                seq.Swap(mid, hi);
            // A copy, so later swaps do not change the pivot.
            const TFileInfoType pivot = seq.At(mid);

            int32_t i = lo, j = hi;
            while (true) {
                do {
                    --j;
                    seq.Ahead(j, -1, lo, hi);
                } while (cmp(seq.At(j), pivot) > 0);
                do {
                    ++i;
                    seq.Ahead(i, 1, lo, hi);
                } while (cmp(seq.At(i), pivot) < 0);
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

template <class TSeq>
void InsertionPass(TSeq seq, int32_t low, int32_t high, TCompareFunc compare, uint8_t direction,
                   const TStringArr& folders)
{
    if (high <= low)
        return;
    auto cmp = [&](const TFileInfoType& a, const TFileInfoType& b) {
        return compare(a, b, direction, folders);
    };

    // The smallest of the first 16 goes to the front and stops every backward walk below.
    int32_t m = low;
    const int32_t sentinelEnd = std::min(low + 15, high);
    for (int32_t k = low + 1; k <= sentinelEnd; ++k)
        if (cmp(seq.At(k), seq.At(m)) < 0)
            m = k;
    if (m != low)
        seq.Swap(low, m);

    for (int32_t k = low + 2; k <= high; ++k) {
        seq.Ahead(k, 1, low, high);
        const auto saved = seq.Save(k);
        int32_t p = k;
        while (cmp(seq.Record(saved), seq.At(p - 1)) < 0) {
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
    TNamePool::TBuffer a, b;
    return Directed(plat::CompareIgnoreCase(NamePool.View(A.Name, a), NamePool.View(B.Name, b)), Direction);
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
    QuickSortPass(TRecordSeq{List}, Low, High, Compare, Direction, NoFolders());
}

void InsertionSortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    InsertionPass(TRecordSeq{List}, Low, High, Compare, Direction, NoFolders());
}

void QuickSortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low,
                    int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    QuickSortPass(TOrderSeq{List, Order, Folders, KeyPrefetchFor(Compare)}, Low, High, Compare, Direction,
                  Folders);
}

void InsertionSortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low,
                        int32_t High, TCompareFunc Compare, uint8_t Direction)
{
    InsertionPass(TOrderSeq{List, Order, Folders, KeyPrefetchFor(Compare)}, Low, High, Compare, Direction,
                  Folders);
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
    QuickSortOrder(List, Order, Folders, Low, High, Compare, Direction);
    plat::PumpMessages();
    InsertionSortOrder(List, Order, Folders, Low, High, Compare, Direction);
}
