#include "core/SortProcedures.h"
#include "core/FileLists.h"
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

TEST_F(Sorts, SeventeenElementsArePartitionedOnce)
{
    TFileList list;
    Fill(list, {9, 3, 14, 1, 7, 12, 5, 16, 2, 11, 8, 15, 4, 10, 6, 13, 17});
    QuickSortFiles(list, 0, 16, CountingCompareSize, 0);
    EXPECT_GE(g_calls, 3);
    // One split into two runs of at most 16, every element of the first not above the second.
    bool split = false;
    for (int32_t j = 0; j < 16 && !split; ++j) {
        uint64_t leftMax = 0, rightMin = UINT64_MAX;
        for (int32_t k = 0; k <= j; ++k)
            leftMax = std::max(leftMax, list[k].Size);
        for (int32_t k = j + 1; k <= 16; ++k)
            rightMin = std::min(rightMin, list[k].Size);
        split = leftMax <= rightMin && j <= 15 && 16 - j <= 16;
    }
    EXPECT_TRUE(split);
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

TEST_F(Sorts, RandomOrdersByNameAgreeWithTheComparatorAndTheRecordPasses)
{
    std::mt19937 random(7);
    const QStringList words = {"alpha", "Alpha",  "beta",   "Gamma", "gamma",
                               "delta", "Résumé", "resume", "zeta",  "Éclair"};
    TFileList list;
    const int n = 700;
    list.SetLength(n);
    for (int i = 0; i < n; ++i) {
        TFileInfoType record;
        record.Name =
            NamePool.Add(words[qsizetype(random() % uint32_t(words.size()))] + QString::number(random() % 3));
        list.Put(i, record);
    }
    TSortList order;
    for (int32_t i = 0; i < n; ++i)
        order.push_back({i, i});
    const TStringArr none;
    // The two passes over the records give the reference order, ties included.
    // A range that starts and ends inside the list.
    const int32_t low = 5, high = n - 3;
    TSortList reference = order;
    QuickSortOrder(list, reference, none, low, high, CompareName, 1);
    InsertionSortOrder(list, reference, none, low, high, CompareName, 1);
    SortOrder(list, order, none, low, high, CompareName, 1);
    for (int r = low + 1; r <= high; ++r)
        ASSERT_LE(
            CompareName(list[order[size_t(r - 1)].ItemIndex], list[order[size_t(r)].ItemIndex], 1, none), 0);
    for (int r = 0; r < n; ++r) {
        ASSERT_EQ(order[size_t(r)].ItemIndex, reference[size_t(r)].ItemIndex) << r;
        ASSERT_EQ(order[size_t(r)].Shade, reference[size_t(r)].Shade) << r;
    }
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
