#include "core/FileLists.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <new>
#include <vector>

namespace {

class FileLists : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetSearchGlobals();
        LocaleFormat = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    void TearDown() override
    {
        ResetSearchGlobals();
        LocaleFormat = QLocale::system();
    }
};

TEST_F(FileLists, SizeTextAtEveryBoundary)
{
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1 KB"},
        {1536, "2 KB"}, // half rounds away from zero
        {2560, "3 KB"},
        {1048575, "1024 KB"},
        {1048576, "1.00 MB"},
        {1073741823, "1024.00 MB"},
        {1073741824, "1.000 GB"},
        {5368709120, "5.000 GB"}, // a size beyond 32 bits keeps its value
        {-5, "-5 B"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(SizeText(bytes), QString::fromLatin1(text)) << bytes;
}

TEST_F(FileLists, SizeTextUsesTheLocaleDecimalSeparatorWithoutGrouping)
{
    LocaleFormat = QLocale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(SizeText(1572864), "1,50 MB");
    EXPECT_EQ(SizeText(1048575), "1024 KB");
}

TEST_F(FileLists, ReservationFallsBackTo150000ThenTries300000)
{
    std::vector<int32_t> attempts;
    auto failAbove = [&](int32_t limit) {
        return [&, limit](int32_t n) {
            attempts.push_back(n);
            if (n > limit)
                throw std::bad_alloc();
        };
    };
    EXPECT_EQ(ReserveWithFallback(failAbove(600000)), 550000);
    EXPECT_EQ(attempts, (std::vector<int32_t>{550000}));
    attempts.clear();
    EXPECT_EQ(ReserveWithFallback(failAbove(400000)), 300000);
    EXPECT_EQ(attempts, (std::vector<int32_t>{550000, 150000, 300000}));
    attempts.clear();
    EXPECT_EQ(ReserveWithFallback(failAbove(200000)), 150000);
    EXPECT_EQ(attempts, (std::vector<int32_t>{550000, 150000, 300000, 150000}));
    EXPECT_THROW(ReserveWithFallback(failAbove(100000)), std::bad_alloc);
}

TEST_F(FileLists, ScanListsGrowFrom510000InStepsOf10000)
{
    ReserveScanLists();
    ASSERT_EQ(FileCapacity, 550000);
    TFileInfoType record;
    while (FileCount < 509999)
        AppendFile(record);
    EXPECT_EQ(FileCapacity, 550000);
    AppendFile(record); // index 510,000
    EXPECT_EQ(FileCapacity, 560000);
    while (FileCount < 519999)
        AppendFile(record);
    EXPECT_EQ(FileCapacity, 560000);
    AppendFile(record); // index 520,000
    EXPECT_EQ(FileCapacity, 570000);
    EXPECT_EQ(FileList.Length(), FileCapacity);
}

TEST_F(FileLists, ASmallReservationStillNeverRunsOutOfRoom)
{
    FileList.SetLength(150000);
    FileCapacity = 150000;
    TFileInfoType record;
    for (int i = 0; i < 175000; ++i) {
        record.Size = uint64_t(i);
        AppendFile(record);
        ASSERT_LT(FileCount, FileCapacity);
    }
    EXPECT_EQ(FileList[174999].Size, 174999u);
    EXPECT_EQ(FileList[0].Size, 0u);
}

TEST_F(FileLists, NothingIsWrittenOutsideTheLength)
{
    TFileList list;
    list.SetLength(2);
    list.Put(0, TFileInfoType{});
    list.Put(1, TFileInfoType{});
    EXPECT_THROW(list.Put(2, TFileInfoType{}), std::out_of_range);
    TStringArr strings;
    strings.SetLength(1);
    EXPECT_THROW(strings.Put(1, QStringLiteral("x")), std::out_of_range);
    EXPECT_THROW(strings.Put(-1, QStringLiteral("x")), std::out_of_range);
}

TEST_F(FileLists, TrimKeepsRecordsAndCutsToTheirCount)
{
    ReserveScanLists();
    AppendPath(QStringLiteral("/data/"));
    TFileInfoType record;
    record.Name = NamePool.Add(u"a.txt");
    record.Size = 7;
    AppendFile(record);
    TrimScanLists();
    EXPECT_EQ(FileCapacity, 1);
    EXPECT_EQ(PathCapacity, 1);
    EXPECT_EQ(FileList.Length(), 1);
    EXPECT_EQ(FullPath(FileList[0]), "/data/a.txt");
    EXPECT_EQ(FileList[0].Size, 7u);
}

TEST_F(FileLists, NamePoolKeepsEveryNameWhateverItsCharacters)
{
    const QStringList names = {"plain.txt",   "Résumé.pdf", "日本語.doc",
                               "emoji 🎉.png", "x",          QString(255, QChar(u'é'))};
    std::vector<TNameRef> refs;
    for (int round = 0; round < 20000; ++round) // enough to span several chunks
        for (const QString& name : names)
            refs.push_back(NamePool.Add(name));
    for (size_t i = 0; i < refs.size(); ++i)
        ASSERT_EQ(NamePool.Text(refs[i]), names[qsizetype(i % size_t(names.size()))]);
    EXPECT_EQ(NamePool.Text(TNameRef{}), QString());
    EXPECT_EQ(NamePool.Add(u"").Index, 0u);
}

TEST_F(FileLists, AFullNamePoolFailsTheSearchInsteadOfWrapping)
{
    TNamePool pool(2); // two chunks of 1 MiB instead of 4,096
    std::vector<std::pair<TNameRef, QString>> added;
    try {
        for (int i = 0; i < 100000; ++i) {
            const QString name = QString::number(i).leftJustified(200, QLatin1Char('n'));
            added.emplace_back(pool.Add(name), name);
        }
        ADD_FAILURE() << "the pool never filled";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("Too many file names for one search: "));
    }
    EXPECT_GT(added.size(), 2u * ((1u << 20) / 202) - 2); // both chunks filled
    for (const auto& [ref, name] : added)
        ASSERT_EQ(pool.Text(ref), name); // the names differ: no reference aliases another
}

TEST_F(FileLists, ResetPutsEverythingBackToStartUp)
{
    ReserveScanLists();
    AppendPath(QStringLiteral("/x/"));
    AppendFile(TFileInfoType{});
    OriginalBytes = 5;
    StopFlag = 0;
    ResetSearchGlobals();
    EXPECT_EQ(FileCount, -1);
    EXPECT_EQ(PathCount, -1);
    EXPECT_EQ(ResultCount, -1);
    EXPECT_EQ(FileList.Length(), 0);
    EXPECT_EQ(OriginalBytes, 0u);
    EXPECT_EQ(StopFlag, 1);
}

} // namespace
