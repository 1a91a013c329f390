#include "search/CompareFiles.h"
#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/FileAccess.h"
#include "search/FolderScan.h"
#include "search/crc32tab.h"
#include "tests/support/PumpScript.h"
#include "tests/support/SearchFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <map>
#include <random>
#include <sys/resource.h>
#include <tuple>

namespace {

class TRecordingDisplay : public TSearchDisplay
{
public:
    void SetTotalFilesText(const QString& text) override { TotalFiles = text; }
    void SetDuplicateText(const QString& text) override { Duplicates = text; }
    void SetDiskUsingText(const QString& text) override { DiskUsing = text; }
    void SetProgress(int position) override { Progress.push_back(position); }

    QString TotalFiles, Duplicates, DiskUsing;
    std::vector<int> Progress;
};

uint32_t Crc(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    UpdateCrc32Reference(bytes.constData(), size_t(bytes.size()), crc);
    return crc ^ 0xFFFFFFFFu;
}

// Appends four bytes to `prefix` so that the CRC-32 of the result is `target`: anyone can do
// this, which is why equal checksums are no proof of equal files.
QByteArray ForgeCrc(QByteArray prefix, uint32_t target)
{
    uint32_t reverse[256];
    for (uint32_t i = 0; i < 256; ++i)
        reverse[Crc32Table[i] >> 24] = (Crc32Table[i] << 8) ^ i;
    uint32_t forward = 0xFFFFFFFFu;
    UpdateCrc32Reference(prefix.constData(), size_t(prefix.size()), forward);
    uint32_t backward = target ^ 0xFFFFFFFFu;
    for (int k = 0; k < 4; ++k)
        backward = (backward << 8) ^ reverse[backward >> 24];
    const uint32_t suffix = forward ^ backward;
    for (int k = 0; k < 4; ++k)
        prefix.append(char(suffix >> (8 * k)));
    return prefix;
}

// Everything a comparison leaves that anyone sees: the results with their groups and checksums,
// the figures, the bytes read, whether it stopped.
struct TOutcome
{
    std::vector<std::tuple<QString, int32_t, uint32_t>> Results;
    std::vector<QString> Figures;
    std::vector<int> Progress;
    uint64_t Bytes = 0, Original = 0, Duplicate = 0;
    int Stop = 0;
    bool operator==(const TOutcome&) const = default;
};

int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).count());
}

class CompareFilesTest : public TSearchFixture
{
protected:
    void SetUp() override
    {
        TSearchFixture::SetUp();
        settings.ExcludeZero = false;
    }

    void Compare()
    {
        ReserveResultList();
        SearchPhase = 1;
        bytesBefore = plat::TFileReader::TotalBytesRead();
        CompareFiles(display);
        bytesRead = plat::TFileReader::TotalBytesRead() - bytesBefore;
    }
    // The groups of ResultList as lists of names, checking the numbering on the way.
    std::vector<QStringList> Groups()
    {
        std::vector<QStringList> groups;
        for (int32_t r = 0; r <= ResultCount; ++r) {
            const int32_t group = ResultList[r].Group;
            if (groups.empty() || group != int32_t(groups.size())) {
                EXPECT_EQ(group, int32_t(groups.size()) + 1) << "groups are numbered without gaps";
                groups.emplace_back();
            }
            groups.back() << FullPath(ResultList[r]).mid(tree.Root().size());
        }
        return groups;
    }
    std::vector<QStringList> CompareAndGroup()
    {
        Compare();
        StopFlag = 1;
        return Groups();
    }
    std::vector<QStringList> Run()
    {
        ScanAndSort();
        return CompareAndGroup();
    }
    // Scans and sorts; the files named are gone when the comparison comes.
    void ScanThenRemove(const QStringList& gone)
    {
        ScanAndSort();
        for (const QString& name : gone)
            ASSERT_TRUE(QFile::remove(tree.Path(name))) << name.toStdString();
    }

    // Compares the scanned list reading each file when it comes to it (plain) or through the read
    // queue, optionally stopped at a pump, and leaves FileList as it was for the next comparison.
    TOutcome CompareReading(bool plain, int stopAtPump = 0)
    {
        const std::vector<TFileInfoType> scanned(FileList.Data(), FileList.Data() + FileCount + 1);
        const QByteArray before = qgetenv("PAIRWICK_PLAIN_READS");
        qputenv("PAIRWICK_PLAIN_READS", plain ? "1" : "");
        display = {};
        OriginalBytes = DuplicateBytes = 0;
        StopFlag = 0;
        {
            TPumpScript stop([&](int pump) { StopFlag = pump == stopAtPump ? 1 : StopFlag; });
            Compare();
        }
        qputenv("PAIRWICK_PLAIN_READS", before);
        TOutcome outcome{{},
                         {display.TotalFiles, display.Duplicates, display.DiskUsing},
                         display.Progress,
                         bytesRead,
                         OriginalBytes,
                         DuplicateBytes,
                         StopFlag};
        for (int32_t r = 0; r <= ResultCount; ++r)
            outcome.Results.emplace_back(FullPath(ResultList[r]), ResultList[r].Group, ResultList[r].Crc);
        for (size_t k = 0; k < scanned.size(); ++k)
            FileList[int32_t(k)] = scanned[k];
        StopFlag = 1;
        return outcome;
    }

    TRecordingDisplay display;
    uint64_t bytesBefore = 0, bytesRead = 0;
};

TEST_F(CompareFilesTest, TwinsAreGroupedTheOddFileLeftOutAndTheFileBeingReadShown)
{
    const QByteArray a = TTempTree::Pattern(100, 1);
    tree.File("a1", a);
    tree.File("a2", a);
    tree.PatternFile("b", 100, 2);
    tree.PatternFile("c-gone", 100, 52); // the last file opened (in vain) while the others are read
    ScanThenRemove({"c-gone"});
    QStringList shown;
    TPumpScript record([&](int) { shown << CurrentFile; });
    const auto groups = CompareAndGroup();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (QStringList{"a1", "a2"}));
    ASSERT_FALSE(shown.isEmpty());
    for (const QString& file : shown)
        EXPECT_TRUE(QFile::exists(file)) << "shown while another is read: " << file.toStdString();
    EXPECT_EQ(display.Duplicates, "1 + 1");
    EXPECT_EQ(display.TotalFiles, "4");
    EXPECT_EQ(display.DiskUsing, "100 B + 100 B");
    EXPECT_EQ(display.Progress.back(), 100);
    EXPECT_EQ(OriginalBytes, 100u);
    EXPECT_EQ(DuplicateBytes, 100u);
    EXPECT_EQ(ResultList[0].Crc, Crc(a));
}

TEST_F(CompareFilesTest, EmptyFilesFormTheLastGroupWithoutBeingRead)
{
    for (const char* name : {"e1", "e2", "e3", "e4"})
        tree.File(QString::fromUtf8(name), "");
    tree.File("p1", "pair");
    tree.File("p2", "pair");
    const auto groups = Run();
    ASSERT_EQ(groups.size(), 2u);
    // The size sort is not stable: its sentinel step moved "e1" behind its equals.
    EXPECT_EQ(groups[1], (QStringList{"e2", "e3", "e4", "e1"}));
    EXPECT_EQ(ResultList[ResultCount].Group, 2);
    EXPECT_EQ(OriginalBytes, 4u);
    EXPECT_EQ(DuplicateBytes, 4u);
    EXPECT_EQ(bytesRead, 8u); // only the pair
    EXPECT_EQ(display.Duplicates, "2 + 4");
}

TEST_F(CompareFilesTest, FirstBlocksDecideWhichLargeFilesAreReadWhole)
{
    QByteArray x = TTempTree::Pattern(100000, 3);
    QByteArray y = x;
    y[90000] = char(~y[90000]); // equal first blocks, different later
    tree.File("x", x);
    tree.File("y", y);
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(bytesRead, 2u * 65521 + 2u * 100000);

    ResetSearchGlobals();
    tree.PatternFile("x", 100000, 4); // different from the first byte on
    tree.PatternFile("y", 100000, 5);
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(bytesRead, 2u * 65521);
}

TEST_F(CompareFilesTest, ARunEndsBeforeARecordOfAnotherSize)
{
    const QByteArray twin = TTempTree::Pattern(200, 6);
    tree.File("t1", twin);
    tree.File("t2", twin);
    tree.PatternFile("single", 100, 7);
    const auto groups = Run();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (QStringList{"t1", "t2"}));
    EXPECT_EQ(bytesRead, 400u); // the 100-byte file is never read
}

TEST_F(CompareFilesTest, GroupsOfOneSizeFollowTheirChecksumsLargestFirst)
{
    const QByteArray a = TTempTree::Pattern(500, 8), b = TTempTree::Pattern(500, 9);
    tree.File("1a", a);
    tree.File("2b", b);
    tree.File("3a", a);
    tree.File("4b", b);
    const auto groups = Run();
    ASSERT_EQ(groups.size(), 2u);
    const bool aFirst = Crc(a) > Crc(b);
    EXPECT_EQ(groups[0], aFirst ? (QStringList{"1a", "3a"}) : (QStringList{"2b", "4b"}));
    EXPECT_EQ(groups[1], aFirst ? (QStringList{"2b", "4b"}) : (QStringList{"1a", "3a"}));
    EXPECT_GT(ResultList[0].Crc, ResultList[2].Crc);
}

TEST_F(CompareFilesTest, ForgedChecksumCollisionsAreNotDuplicates)
{
    // Small files: equal size, equal CRC-32, different bytes; beside them a true pair.
    const QByteArray genuine = TTempTree::Pattern(5000, 10);
    const QByteArray forged = ForgeCrc(TTempTree::Pattern(4996, 11), Crc(genuine));
    ASSERT_EQ(Crc(forged), Crc(genuine));
    ASSERT_EQ(forged.size(), genuine.size());
    tree.File("genuine", genuine);
    tree.File("forged", forged);
    const QByteArray twin = TTempTree::Pattern(5000, 12);
    tree.File("twin1", twin);
    tree.File("twin2", twin);

    // Large files: equal first block, equal CRC-32 of the whole, different bytes in between.
    QByteArray big = TTempTree::Pattern(200000, 13);
    QByteArray bigForged = big.left(150000) + TTempTree::Pattern(49996, 14);
    bigForged = ForgeCrc(bigForged, Crc(big));
    ASSERT_EQ(Crc(bigForged), Crc(big));
    tree.File("big", big);
    tree.File("big-forged", bigForged);

    const auto groups = Run();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (QStringList{"twin1", "twin2"}));
    EXPECT_EQ(display.Duplicates, "1 + 1");
    // Each file read once whole, the large ones after one block each: files a batch already told
    // apart by their bytes are not compared again.
    EXPECT_EQ(bytesRead, 4u * 5000u + 2u * CrcBlockSize + 2u * 200000u);
}

TEST_F(CompareFilesTest, FilesSharingOneForgedChecksumAreEachReadOnce)
{
    // Far more than one batch of different files with one CRC-32: no byte comparison between batches.
    for (int i = 0; i < 100; ++i)
        tree.File(QStringLiteral("f%1").arg(i), ForgeCrc(TTempTree::Pattern(996, 100 + i), 0x12345678));
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(bytesRead, 100u * 1000u);
}

TEST_F(CompareFilesTest, CollidingFilesStillGroupWithTheirRealTwins)
{
    const QByteArray genuine = TTempTree::Pattern(3000, 15);
    const QByteArray forged = ForgeCrc(TTempTree::Pattern(2996, 16), Crc(genuine));
    tree.File("g1", genuine);
    tree.File("f1", forged);
    tree.File("g2", genuine);
    tree.File("f2", forged);
    auto groups = Run();
    ASSERT_EQ(groups.size(), 2u);
    for (QStringList& group : groups)
        group.sort();
    EXPECT_TRUE((groups[0] == QStringList{"f1", "f2"} && groups[1] == QStringList{"g1", "g2"}) ||
                (groups[0] == QStringList{"g1", "g2"} && groups[1] == QStringList{"f1", "f2"}));
}

TEST_F(CompareFilesTest, FilesGoneOrChangedSinceTheScanAreNeverDuplicates)
{
    // Gone between scan and comparison: both would get checksum 0.
    tree.PatternFile("gone1", 300, 17);
    tree.PatternFile("gone2", 300, 18);
    // A real file whose checksum is 0, and one of its size that disappears.
    tree.File("zero", ForgeCrc(TTempTree::Pattern(396, 19), 0));
    tree.PatternFile("gone3", 400, 20);
    // A true pair next to a vanished file of the same size.
    const QByteArray pair = TTempTree::Pattern(70000, 21);
    tree.File("pair1", pair);
    tree.File("pair2", pair);
    tree.PatternFile("gone4", 70000, 22);
    // Twins whose first block has the checksum of an unreadable file, 0; a vanished file between each two.
    const QByteArray firstBlock = ForgeCrc(TTempTree::Pattern(65517, 43), 0);
    ASSERT_EQ(Crc(firstBlock), 0u);
    for (const char* name : {"twin-a", "twin-c", "twin-e"})
        tree.File(QString::fromUtf8(name), firstBlock + TTempTree::Pattern(1000, 44));
    for (const char* name : {"twin-b-gone", "twin-d-gone"})
        tree.File(QString::fromUtf8(name), firstBlock + TTempTree::Pattern(1000, 45));
    // Two files of one size; after the scan the folder of one is replaced by a link to the other's.
    tree.PatternFile("x/f", 500, 40);
    tree.PatternFile("y/f", 500, 41);
    // A file that gets a second hard link while the scan runs, where the scan has yet to look.
    tree.PatternFile("d/g", 600, 42);
    tree.Folder("e");
    bool linked = false;
    {
        TPumpScript linkDuringScan([&](int) {
            if (!linked && FileCount >= 0 && NameOf(FileList[FileCount]) == "g") {
                tree.HardLink("e/h", "d/g");
                linked = true;
            }
        });
        ScanThenRemove({"gone1", "gone2", "gone3", "gone4", "twin-b-gone", "twin-d-gone"});
    }
    ASSERT_TRUE(linked);
    ASSERT_TRUE(QDir().rename(tree.Path("y"), tree.Path("y-old")));
    tree.Symlink("y", tree.Path("x"));
    auto groups = CompareAndGroup();
    for (QStringList& group : groups)
        group.sort();
    EXPECT_EQ(groups, (std::vector<QStringList>{{"pair1", "pair2"}, {"twin-a", "twin-c", "twin-e"}}));
}

TEST_F(CompareFilesTest, AStopKeepsTheGroupsOfFinishedRuns)
{
    const QByteArray first = TTempTree::Pattern(300000, 23), second = TTempTree::Pattern(200000, 24);
    tree.File("run1-a", first);
    tree.File("run1-b", first);
    tree.File("run2-a", second);
    tree.File("run2-b", second);
    ScanAndSort();
    TPumpScript stopInSecondRun([](int) {
        if (CurrentFile.endsWith("run2-b"))
            StopFlag = 1;
    });
    Compare();
    EXPECT_EQ(StopFlag, 1);
    const auto groups = Groups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (QStringList{"run1-a", "run1-b"}));
    EXPECT_NE(display.Progress.empty() ? 0 : display.Progress.back(), 100);
    EXPECT_EQ(display.Duplicates, "1 + 1");
}

TEST_F(CompareFilesTest, AStopIsSeenAfterASetOfWhichNoFileOpens)
{
    tree.PatternFile("gone1", 300, 46);
    tree.PatternFile("gone2", 300, 47);
    tree.PatternFile("gone3", 200, 48);
    tree.PatternFile("gone4", 200, 49);
    tree.File("empty1", "");
    tree.File("empty2", "");
    ScanThenRemove({"gone1", "gone2", "gone3", "gone4"});
    auto stop = TPumpScript::StopAt(1); // the sort of the first run: nothing else pumps here
    Compare();
    EXPECT_EQ(ResultCount, -1) << "no empty-file group after the stop";
    EXPECT_TRUE(std::find(display.Progress.begin(), display.Progress.end(), 100) == display.Progress.end());
}

TEST_F(CompareFilesTest, ReadsInFlightGiveWhatPlainReadsGiveAtBlockEdgesTiesChangesAndStops)
{
    // At each size around one and two blocks: three twins, one differing in its last byte, one
    // right after the first block (or next to the last); one that changes and one that goes after
    // the scan.
    for (const int size : {65520, 65521, 65522, 131042, 131043}) {
        const QByteArray twin = TTempTree::Pattern(size, uint32_t(size));
        QByteArray lastByte = twin, afterBlock = twin;
        lastByte[size - 1] = char(~lastByte[size - 1]);
        afterBlock[std::min(size - 2, 65521)] = char(~afterBlock[std::min(size - 2, 65521)]);
        for (const char* name : {"twin1", "twin2", "twin3", "changed", "gone"})
            tree.File(QStringLiteral("%1/%2").arg(size).arg(QLatin1String(name)), twin);
        tree.File(QStringLiteral("%1/last-byte").arg(size), lastByte);
        tree.File(QStringLiteral("%1/after-block").arg(size), afterBlock);
    }
    // Ties in more than one batch, a second link to one of them made while the scan runs, a file
    // that turns into a FIFO.
    for (int i = 0; i < 45; ++i)
        tree.File(QStringLiteral("ties/%1").arg(i), TTempTree::Pattern(1000, i % 3 == 0 ? 7 : 1000 + i));
    tree.Folder("zz");
    tree.PatternFile("fifo", 1000, 7);
    {
        TPumpScript linkDuringScan([&](int) {
            if (PathCount >= 0 && PathList[PathCount].endsWith("ties/") &&
                !QFile::exists(tree.Path("zz/link")))
                tree.HardLink("zz/link", "ties/0");
        });
        ScanAndSort();
    }
    ASSERT_TRUE(std::any_of(FileList.Data(), FileList.Data() + FileCount + 1,
                            [](const TFileInfoType& record) { return NameOf(record) == "link"; }));
    for (const int size : {65520, 65521, 65522, 131042, 131043}) {
        ASSERT_TRUE(QFile::remove(tree.Path(QStringLiteral("%1/gone").arg(size))));
        tree.SetModified(QStringLiteral("%1/changed").arg(size), 1000000000);
    }
    ASSERT_TRUE(QFile::remove(tree.Path("fifo")));
    tree.Fifo("fifo");

    const int descriptors = OpenDescriptors();
    const TOutcome queued = CompareReading(false), plain = CompareReading(true);
    EXPECT_TRUE(queued == plain);
    const auto groups = Groups();
    ASSERT_EQ(groups.size(), 6u);
    EXPECT_EQ(groups[0], (QStringList{"131043/twin3", "131043/twin2", "131043/twin1"}));
    // Every third tie but the first: its new link changed it after the scan saw it.
    EXPECT_EQ(groups[5].size(), 14);
    // Stopped with the reads of later runs in flight: the same groups of finished runs (the bytes
    // read ahead are not).
    for (const int pump : {3, 9, 14}) {
        TOutcome stoppedQueued = CompareReading(false, pump), stoppedPlain = CompareReading(true, pump);
        EXPECT_GE(stoppedQueued.Bytes, stoppedPlain.Bytes);
        stoppedQueued.Bytes = stoppedPlain.Bytes;
        EXPECT_TRUE(stoppedQueued == stoppedPlain) << pump;
        EXPECT_EQ(stoppedQueued.Stop, 1);
        EXPECT_LT(stoppedQueued.Results.size(), queued.Results.size());
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(CompareFilesTest, EmptyAndSingleFileListsFinishAtOnce)
{
    Run();
    EXPECT_EQ(display.TotalFiles, "0");
    EXPECT_EQ(display.Duplicates, "0 + 0");
    EXPECT_EQ(display.DiskUsing, "0 B + 0 B");
    EXPECT_EQ(display.Progress, std::vector<int>{100});
    tree.File("one", "1");
    ResetSearchGlobals();
    Run();
    EXPECT_EQ(display.TotalFiles, "1");
    EXPECT_EQ(ResultCount, -1);
}

TEST_F(CompareFilesTest, StatisticsFollowEveryRun)
{
    // Three groups with seven files: 3 of 9000 bytes, 2 of 5000, 2 of 2000.
    const QByteArray g1 = TTempTree::Pattern(9000, 25), g2 = TTempTree::Pattern(5000, 26),
                     g3 = TTempTree::Pattern(2000, 27);
    for (int i = 0; i < 3; ++i)
        tree.File(QStringLiteral("g1-%1").arg(i), g1);
    for (int i = 0; i < 2; ++i) {
        tree.File(QStringLiteral("g2-%1").arg(i), g2);
        tree.File(QStringLiteral("g3-%1").arg(i), g3);
    }
    const auto groups = Run();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(display.Duplicates, "3 + 4");
    EXPECT_EQ(display.DiskUsing, SizeText(16000) + " + " + SizeText(25000));
    EXPECT_EQ(display.TotalFiles, "7");
    // Runs end at records 3, 5 and 6 of 0..6; then the end of the walk.
    EXPECT_EQ(display.Progress, (std::vector<int>{50, 83, 100, 100}));
}

TEST_F(CompareFilesTest, ManyCopiesOutgrowNeitherTheResultListNorAFewDescriptors)
{
    const QByteArray same = TTempTree::Pattern(700, 50);
    for (int i = 0; i < 40; ++i)
        tree.File(QStringLiteral("d%1/copy").arg(i, 2, 10, QLatin1Char('0')), same);
    // Copies of more than one block: their first blocks are read ahead, many at once.
    const QByteArray large = TTempTree::Pattern(70000, 51);
    for (int i = 0; i < 40; ++i)
        tree.File(QStringLiteral("d%1/large").arg(i, 2, 10, QLatin1Char('0')), large);
    ScanAndSort();
    ResultList.SetLength(5); // far less room than one run needs
    ResultCapacity = 5;
    SearchPhase = 1;
    // Room for a handful of descriptors beside those the process holds: fewer files are read at
    // once, and none counts as unreadable.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    const int descriptors = OpenDescriptors();
    low.rlim_cur = rlim_t(descriptors + 4);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    CompareFiles(display);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    StopFlag = 1;
    EXPECT_EQ(ResultCount, 79);
    EXPECT_GE(ResultCapacity, 80);
    const auto groups = Groups();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].size(), 40);
    EXPECT_EQ(groups[1].size(), 40);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(CompareFilesTest, RandomTreesGiveExactlyTheGroupsOfEqualContents)
{
    std::mt19937 random(99);
    std::map<QByteArray, QStringList> byContent;
    for (int i = 0; i < 300; ++i) {
        // Few distinct sizes and contents, so runs, twins and near-twins are plentiful.
        const int size = int(random() % 4) * 40000 + 1 + int(random() % 3);
        const uint32_t seed = random() % 60;
        QByteArray content = TTempTree::Pattern(size, seed);
        if (random() % 5 == 0 && size > 65600)
            content[size - 1] = char(~content[size - 1]); // same first block, other end
        const QString name = QStringLiteral("d%1/f%2").arg(random() % 7).arg(i);
        tree.File(name, content);
        byContent[content] << name;
    }
    auto groups = Run();
    std::vector<QStringList> expected;
    for (auto& [content, names] : byContent)
        if (names.size() > 1) {
            names.sort();
            expected.push_back(names);
        }
    for (QStringList& group : groups)
        group.sort();
    std::sort(expected.begin(), expected.end());
    auto sortedGroups = groups;
    std::sort(sortedGroups.begin(), sortedGroups.end());
    EXPECT_EQ(sortedGroups, expected);
    for (int32_t r = 1; r <= ResultCount; ++r)
        ASSERT_GE(ResultList[r - 1].Size, ResultList[r].Size) << "groups come largest first";
}

} // namespace
