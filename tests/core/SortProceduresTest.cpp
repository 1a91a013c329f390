#include "core/SortProcedures.h"
#include "core/FileLists.h"
#include "core/SortRanks.h"
#include "platform/Collation.h"
#include "tests/support/PumpScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

int g_calls = 0;

int32_t CountingCompareSize(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                            const TStringArr& F)
{
    ++g_calls;
    return CompareSize(A, B, Direction, F);
}

class Sorts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetSearchGlobals();
        plat::SetCollationLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        g_calls = 0;
        StopFlag = 0; // record sorts run inside a search
    }
    void TearDown() override { ResetSearchGlobals(); }

    // A list of records with the given sizes; each record's Time is its starting position, so
    // tie orders can be read back.
    static void Fill(TFileList& list, const std::vector<uint64_t>& sizes)
    {
        list.SetLength(int32_t(sizes.size()));
        for (size_t i = 0; i < sizes.size(); ++i) {
            TFileInfoType record;
            record.Size = sizes[i];
            record.Time = int32_t(i);
            list.Put(int32_t(i), record);
        }
    }
    static std::vector<int32_t> Origins(const TFileList& list)
    {
        std::vector<int32_t> origins;
        for (int32_t i = 0; i < list.Used(); ++i)
            origins.push_back(list[i].Time);
        return origins;
    }
};

TEST_F(Sorts, ComparatorsHonourDirectionAndSignedness)
{
    TFileInfoType small, big, huge;
    small.Size = 1;
    big.Size = 0x80000000u;   // 2^31
    huge.Size = 0x100000001u; // beyond 32 bits
    const TStringArr none;
    EXPECT_EQ(CompareSize(small, big, 0, none), -1);
    EXPECT_EQ(CompareSize(big, huge, 0, none), -1);
    EXPECT_EQ(CompareSize(big, small, 1, none), -1);
    EXPECT_EQ(CompareSize(big, big, 1, none), 0);
    EXPECT_EQ(CompareSize(small, big, 7, none), -1); // any other direction is ascending

    TFileInfoType old, future;
    old.Time = 0x30000000;
    future.Time = int32_t(0x80210000u); // 2044: negative, compares as the oldest
    EXPECT_EQ(CompareTime(future, old, 0, none), -1);
    TFileInfoType a, b;
    a.Crc = 0xFFFFFFFFu;
    b.Crc = 1;
    EXPECT_EQ(CompareCrc(a, b, 0, none), 1); // unsigned
}

TEST_F(Sorts, NamesAndFoldersCompareCaseInsensitively)
{
    TFileInfoType a, b;
    a.Name = NamePool.Add(u"Report.PDF");
    b.Name = NamePool.Add(u"report.pdf");
    const TStringArr none;
    EXPECT_EQ(CompareName(a, b, 0, none), 0);
    EXPECT_EQ(CompareName(a, b, 1, none), 0);
    b.Name = NamePool.Add(u"alpha");
    EXPECT_EQ(CompareName(b, a, 0, none), -1);
    EXPECT_EQ(CompareName(b, a, 1, none), 1);

    TStringArr folders;
    folders.SetLength(2);
    folders.Put(0, QStringLiteral("/Photos/"));
    folders.Put(1, QStringLiteral("/photos/"));
    a.PathIndex = 0;
    b.PathIndex = 1;
    EXPECT_EQ(CompareFolder(a, b, 0, folders), 0);
}

TEST_F(Sorts, EmptyAndSingleRangesAreLeftAloneWithoutComparing)
{
    TFileList list;
    Fill(list, {3, 1, 2});
    SortFiles(list, 1, 1, CountingCompareSize, 0);
    SortFiles(list, 2, 0, CountingCompareSize, 0);
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(Origins(list), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(Sorts, UpTo16ElementsOnlyTheInsertionPassWorks)
{
    TFileList list;
    Fill(list, {9, 3, 14, 1, 7, 12, 5, 16, 2, 11, 8, 15, 4, 10, 6, 13});
    QuickSortFiles(list, 0, 15, CountingCompareSize, 0);
    EXPECT_EQ(g_calls, 0);
    InsertionSortFiles(list, 0, 15, CountingCompareSize, 0);
    for (int32_t i = 0; i < 16; ++i)
        EXPECT_EQ(list[i].Size, uint64_t(i + 1));
}

// The two passes written out plainly from their description, over a list of origins compared by
// `compare`: the reference for the exact order of equal keys, which decides the originals.
template <class TCompare>
void ReferenceSort(std::vector<int32_t>& L, int32_t low, int32_t high, TCompare compare)
{
    std::vector<std::pair<int32_t, int32_t>> rangeStack{{low, high}};
    while (!rangeStack.empty()) {
        auto [lo, hi] = rangeStack.back();
        rangeStack.pop_back();
        while (hi - lo > 15) {
            const int32_t mid = (lo + hi) / 2;
            if (compare(L[lo], L[mid]) > 0)
                std::swap(L[lo], L[mid]);
            if (compare(L[lo], L[hi]) > 0)
                std::swap(L[lo], L[hi]);
            if (compare(L[mid], L[hi]) > 0)
                std::swap(L[mid], L[hi]);
            const int32_t pivot = L[mid];
            int32_t i = lo, j = hi;
            while (true) {
                do
                    --j;
                while (compare(L[j], pivot) > 0);
                do
                    ++i;
                while (compare(L[i], pivot) < 0);
                if (j <= i)
                    break;
                std::swap(L[i], L[j]);
            }
            if (j - lo < hi - j) {
                rangeStack.push_back({j + 1, hi});
                hi = j;
            } else {
                rangeStack.push_back({lo, j});
                lo = j + 1;
            }
        }
    }
    if (high <= low)
        return;
    int32_t m = low;
    for (int32_t k = low + 1; k <= std::min(low + 15, high); ++k)
        if (compare(L[k], L[m]) < 0)
            m = k;
    std::swap(L[low], L[m]);
    for (int32_t k = low + 2; k <= high; ++k) {
        const int32_t t = L[k];
        int32_t p = k;
        for (; compare(t, L[p - 1]) < 0; --p)
            L[p] = L[p - 1];
        L[p] = t;
    }
}

TEST_F(Sorts, TiesComeOutInTheExactOrderOfTheTwoPasses)
{
    std::mt19937 random(11);
    for (int n : {17, 18, 31, 33, 64, 100, 257, 1000}) {
        for (uint8_t direction : {uint8_t(0), uint8_t(1)}) {
            std::vector<uint64_t> sizes(static_cast<size_t>(n));
            for (uint64_t& size : sizes)
                size = random() % 5; // many ties
            TFileList list;
            Fill(list, sizes);
            const int32_t low = n > 40 ? 3 : 0, high = n > 40 ? n - 4 : n - 1;
            std::vector<int32_t> reference(static_cast<size_t>(n));
            for (int32_t i = 0; i < n; ++i)
                reference[size_t(i)] = i;
            auto bySize = [&](int32_t a, int32_t b) {
                const int32_t ascending =
                    (sizes[size_t(a)] > sizes[size_t(b)]) - (sizes[size_t(a)] < sizes[size_t(b)]);
                return direction == 1 ? -ascending : ascending;
            };
            ReferenceSort(reference, low, high, bySize);
            TSortList entries;
            for (int32_t i = 0; i < n; ++i)
                entries.push_back({i, -i});
            SortOrder(list, entries, TStringArr(), low, high, CompareSize, direction);
            SortFiles(list, low, high, CompareSize, direction);
            ASSERT_EQ(Origins(list), reference) << "records, n=" << n << " direction=" << int(direction);
            for (int32_t i = 0; i < n; ++i)
                ASSERT_EQ(entries[size_t(i)].ItemIndex, reference[size_t(i)])
                    << "entries, n=" << n << " " << i;
        }
    }
}

TEST_F(Sorts, TheSentinelStepMayReorderEqualRecords)
{
    // The smallest record is swapped to the front; the equal pair it passes changes places,
    // and the insertion steps after it keep equal records in order.
    TFileList list;
    Fill(list, {2, 2, 1});
    SortFiles(list, 0, 2, CompareSize, 0);
    EXPECT_EQ(Origins(list), (std::vector<int32_t>{2, 1, 0}));
    Fill(list, {2, 1, 3, 1});
    SortFiles(list, 0, 3, CompareSize, 0);
    EXPECT_EQ(Origins(list), (std::vector<int32_t>{1, 3, 0, 2}));
    Fill(list, {1, 2, 2, 2});
    SortFiles(list, 0, 3, CompareSize, 1); // descending
    EXPECT_EQ(Origins(list), (std::vector<int32_t>{1, 2, 3, 0}));
}

TEST_F(Sorts, RandomListsComeOutOrderedAndComplete)
{
    std::mt19937 random(42);
    TFileList list;
    for (int n : {2, 3, 15, 16, 17, 18, 31, 33, 100, 257, 1000, 5000}) {
        for (uint8_t direction : {uint8_t(0), uint8_t(1)}) {
            std::vector<uint64_t> sizes(static_cast<size_t>(n));
            for (uint64_t& s : sizes)
                s = random() % uint64_t(std::max(2, n / 4)); // plenty of ties
            Fill(list, sizes);
            SortFiles(list, 0, n - 1, CompareSize, direction);
            std::vector<uint64_t> sorted;
            for (int32_t i = 0; i < n; ++i)
                sorted.push_back(list[i].Size);
            std::vector<uint64_t> expected = sizes;
            std::sort(expected.begin(), expected.end());
            if (direction == 1)
                std::reverse(expected.begin(), expected.end());
            ASSERT_EQ(sorted, expected) << "n=" << n << " direction=" << int(direction);
            std::vector<int32_t> origins = Origins(list);
            std::sort(origins.begin(), origins.end());
            for (int32_t i = 0; i < n; ++i)
                ASSERT_EQ(origins[size_t(i)], i);
        }
    }
}

TEST_F(Sorts, SortOrderMovesEntriesWholeAndNeverTheRecords)
{
    TFileList list;
    Fill(list, {5, 1, 4, 2, 3});
    TSortList order;
    for (int32_t i = 0; i < 5; ++i)
        order.push_back({i, 100 + i});
    const TStringArr none;
    SortOrder(list, order, none, 0, 4, CompareSize, 0);
    const std::vector<int32_t> expectedItems{1, 3, 4, 2, 0};
    for (size_t r = 0; r < order.size(); ++r) {
        EXPECT_EQ(order[r].ItemIndex, expectedItems[r]);
        EXPECT_EQ(order[r].Shade, 100 + expectedItems[r]);
    }
    EXPECT_EQ(Origins(list), (std::vector<int32_t>{0, 1, 2, 3, 4}));
}

TEST_F(Sorts, RandomOrdersByNameOrFolderAgreeWithTheComparatorAndTheRecordPasses)
{
    std::mt19937 random(7);
    const QStringList words = {"alpha", "Alpha",  "beta",   "Gamma", "gamma",
                               "delta", "Résumé", "resume", "zeta",  "Éclair"};
    TStringArr folders;
    folders.SetLength(12);
    for (int32_t f = 0; f < 12; ++f)
        folders.Put(f, QStringLiteral("/data/%1/").arg(words[f % words.size()]));
    // Few names and many ties; then enough distinct names that they are ranked in parts.
    for (const auto& [n, numbers] : {std::pair{700, 3U}, std::pair{16000, 2000U}}) {
        TFileList list;
        list.SetLength(n);
        for (int i = 0; i < n; ++i) {
            TFileInfoType record;
            record.Name = NamePool.Add(words[qsizetype(random() % uint32_t(words.size()))] +
                                       QString::number(random() % numbers));
            record.PathIndex = int32_t(random() % 12);
            list.Put(i, record);
        }
        // A range that starts and ends inside the list.
        const int32_t low = 5, high = n - 3;
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
            plat::SetCollationLocale(locale);
            for (TCompareFunc compare : {CompareName, CompareFolder}) {
                for (uint8_t direction : {uint8_t(0), uint8_t(1)}) {
                    TSortList order;
                    for (int32_t i = 0; i < n; ++i)
                        order.push_back({i, i});
                    // The two passes over the records give the reference order, ties included.
                    TSortList reference = order;
                    QuickSortOrder(list, reference, folders, low, high, compare, direction);
                    InsertionSortOrder(list, reference, folders, low, high, compare, direction);
                    SortOrder(list, order, folders, low, high, compare, direction);
                    for (int r = low + 1; r <= high; ++r)
                        ASSERT_LE(compare(list[order[size_t(r - 1)].ItemIndex],
                                          list[order[size_t(r)].ItemIndex], direction, folders),
                                  0);
                    for (int r = 0; r < n; ++r) {
                        ASSERT_EQ(order[size_t(r)].ItemIndex, reference[size_t(r)].ItemIndex) << r;
                        ASSERT_EQ(order[size_t(r)].Shade, reference[size_t(r)].Shade) << r;
                    }
                }
            }
        }
    }
}

// The search's results keep their name and folder ranks from one column sort to the next. Sorts by
// name, then by other columns, then by name both ways leave the order of the record passes, ties
// included; results filled again after a release, or another collation, are ranked afresh.
TEST_F(Sorts, ResultSortsKeepTheirRanksUntilTheListsAreReleased)
{
    std::mt19937 random(5);
    const QStringList words = {"alpha", "Alpha", "beta", "Résumé", "resume", "Éclair", "zeta"};
    const int32_t n = 9000; // enough distinct names to be keyed in parts
    auto fillResults = [&] {
        ReleaseSearchLists();
        PathList.SetLength(12);
        for (int32_t f = 0; f < 12; ++f)
            AppendPath(QStringLiteral("/data/%1/").arg(words[f % words.size()]));
        ResultList.SetLength(n);
        for (int32_t i = 0; i < n; ++i)
            ResultList.Put(
                ++ResultCount,
                {.Time = int32_t(random() % 5) - 2, // ties, and times of both signs
                 .Name = NamePool.Add(words[qsizetype(random() % 7)] + QString::number(random() % 3000)),
                 .PathIndex = int32_t(random() % 12)});
    };
    auto expectRecordPassOrder = [&](TCompareFunc compare, uint8_t direction) {
        BuildSortList();
        TSortList reference = SortList;
        QuickSortOrder(ResultList, reference, PathList, 0, ResultCount, compare, direction);
        InsertionSortOrder(ResultList, reference, PathList, 0, ResultCount, compare, direction);
        SortOrder(ResultList, SortList, PathList, 0, ResultCount, compare, direction);
        for (int32_t r = 0; r < n; ++r)
            ASSERT_EQ(SortList[size_t(r)].ItemIndex, reference[size_t(r)].ItemIndex) << r;
    };
    fillResults();
    for (const auto& [compare, direction] : {std::pair<TCompareFunc, int>{CompareName, 0},
                                             {CompareFolder, 1},
                                             {CompareTime, 0},
                                             {CompareName, 1},
                                             {CompareName, 0},
                                             {CompareTime, 1},
                                             {CompareFolder, 0}})
        expectRecordPassOrder(compare, uint8_t(direction));
    EXPECT_EQ(KeptRankBytes(), (n + 12) * sizeof(uint32_t));
    fillResults(); // as many records and folders, other names and folders
    expectRecordPassOrder(CompareName, 0);
    expectRecordPassOrder(CompareFolder, 0);
    plat::SetCollationLocale(QLocale::c());
    expectRecordPassOrder(CompareName, 1);
    ReleaseSearchLists();
    EXPECT_EQ(KeptRankBytes(), 0U);
}

TEST_F(Sorts, AStopDuringTheSortLeavesShortUnorderedRunsInOrder)
{
    std::mt19937 random(3);
    const int n = 2000;
    std::vector<uint64_t> sizes(n);
    for (uint64_t& s : sizes)
        s = random() % 100000;
    TFileList list;
    Fill(list, sizes);
    StopFlag = 0;
    {
        auto stop = TPumpScript::StopAt(1);
        SortFiles(list, 0, n - 1, CompareSize, 0);
        EXPECT_EQ(stop.Count(), 1); // one pump per sort
    }
    EXPECT_EQ(StopFlag, 1);
    bool fullySorted = true;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && list[i - 1].Size > list[i].Size)
            fullySorted = false;
        for (int j = i + 16; j < n; ++j) // records 16 or more apart lie in different runs
            ASSERT_LE(list[i].Size, list[j].Size) << i << " " << j;
    }
    EXPECT_FALSE(fullySorted);

    // The order sort always finishes.
    StopFlag = 0;
    TSortList order;
    for (int32_t i = 0; i < n; ++i)
        order.push_back({i, 0});
    auto stop = TPumpScript::StopAt(1);
    SortOrder(list, order, TStringArr(), 0, n - 1, CompareSize, 0);
    for (int r = 1; r < n; ++r)
        ASSERT_LE(list[order[size_t(r - 1)].ItemIndex].Size, list[order[size_t(r)].ItemIndex].Size);
}

} // namespace
