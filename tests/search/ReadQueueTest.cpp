#include "search/ReadQueue.h"
#include "core/FileLists.h"
#include "search/SecondViews.h"
#include "search/crc32tab.h"
#include "tests/support/SearchFixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <array>

namespace {

int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).count());
}

class ReadQueue : public TSearchFixture
{
protected:
    // What a plain read of the record's first block gives.
    static QByteArray FirstBlock(int32_t index)
    {
        QFile file(FullPath(FileList[index]));
        return file.open(QIODevice::ReadOnly) ? file.read(CrcBlockSize) : QByteArray();
    }
    static void ExpectBlock(const TQueuedBlock& block, int32_t index)
    {
        EXPECT_EQ(block.Error, 0) << index;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(block.Data), block.Filled), FirstBlock(index))
            << index;
        EXPECT_EQ(block.Whole, FileList[index].Size <= CrcBlockSize) << index;
    }

    TRecordFolders folders;
};

TEST_F(ReadQueue, GivesTheBlockOfEveryRecordAskedForInAnyOrderWhileABatchHoldsItsBlocks)
{
    for (int i = 0; i < 3; ++i)
        tree.PatternFile(QStringLiteral("large/%1").arg(i), 200000, 100 + i);
    for (int i = 0; i < 70; ++i) // more blocks of one block's size than the queue's memory holds
        tree.PatternFile(QStringLiteral("one/%1").arg(i), 60000, i);
    tree.PatternFile("alone", 123, 200);
    ScanAndSort();
    ASSERT_EQ(FileCount, 73);
    const int descriptors = OpenDescriptors();
    {
        const std::unique_ptr<TReadQueue> queue = TReadQueue::Start(folders);
        if (!queue)
            GTEST_SKIP() << "io_uring is missing or refused here";
        for (int32_t k = 0; k < 3; ++k) {
            ExpectBlock(queue->Take(k), k);
            queue->Recycle();
        }
        // A batch holds its 32 blocks until it is done; the reads ahead go on meanwhile.
        const TQueuedBlock& held = queue->Take(3);
        const QByteArray heldBytes(reinterpret_cast<const char*>(held.Data), held.Filled);
        for (int32_t k = 4; k < 35; ++k)
            ExpectBlock(queue->Take(k), k);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(held.Data), held.Filled), heldBytes);
        queue->Recycle();
        // Records the plan did not foresee: skipped ones, an earlier one again, one no run reads.
        for (const int32_t k : {50, 40, 73, 69}) {
            ExpectBlock(queue->Take(k), k);
            queue->Recycle();
        }
        ExpectBlock(queue->Take(70), 70);
    }
    folders.Release();
    EXPECT_EQ(OpenDescriptors(), descriptors) << "the reads left in flight were closed";
}

TEST_F(ReadQueue, RoundsReadEachFileAsReadFullDoes)
{
    const std::array<QString, 3> paths{tree.PatternFile("a", 150000, 1), tree.PatternFile("b", 65521, 2),
                                       tree.File("c", "")};
    const std::unique_ptr<TReadQueue> queue = TReadQueue::Start(folders);
    if (!queue)
        GTEST_SKIP() << "io_uring is missing or refused here";
    std::array<plat::TFileReader, 3> files;
    std::array<QByteArray, 3> read;
    std::vector<std::vector<uint8_t>> buffers(3, std::vector<uint8_t>(CrcBlockSize));
    std::vector<std::vector<ssize_t>> rounds(3);
    for (size_t f = 0; f < 3; ++f)
        ASSERT_EQ(files[f].Open(paths[f]), 0);
    for (int round = 0; round < 4; ++round) {
        std::vector<TRoundRead> reads;
        for (size_t f = 0; f < 3; ++f)
            reads.push_back({&files[f], buffers[f].data(), -5});
        queue->ReadRound(reads);
        for (size_t f = 0; f < 3; ++f) {
            rounds[f].push_back(reads[f].Filled);
            read[f].append(reinterpret_cast<const char*>(buffers[f].data()),
                           std::max<ssize_t>(reads[f].Filled, 0));
        }
    }
    // Each block filled unless the file ends; a file read to its size ends without another read.
    EXPECT_EQ(rounds[0], (std::vector<ssize_t>{65521, 65521, 18958, 0}));
    EXPECT_EQ(rounds[1], (std::vector<ssize_t>{65521, 0, 0, 0}));
    EXPECT_EQ(rounds[2], (std::vector<ssize_t>{0, 0, 0, 0}));
    for (size_t f = 0; f < 3; ++f) {
        QFile file(paths[f]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(read[f], file.readAll()) << f;
        EXPECT_TRUE(files[f].AtEnd() || files[f].Offset() == 0);
    }
}

TEST(SecondViews, OnlyRecordsRepeatingAnEarlierIdentityOfTheirRunAreMarked)
{
    ResetSearchGlobals();
    ReserveScanLists();
    const std::pair<uint32_t, uint64_t> identities[] = {{1, 10}, {2, 10}, {1, 10}, {1, 11}, {1, 10}, {2, 10}};
    for (const auto& [device, inode] : identities) {
        TFileInfoType record;
        record.Device = device;
        record.Inode = inode;
        AppendFile(record);
    }
    TSecondViews views;
    EXPECT_EQ(views.Find(0, 5), (std::vector<uint8_t>{0, 0, 1, 0, 1, 1}));
    EXPECT_EQ(views.Find(2, 3), (std::vector<uint8_t>{0, 0}));
    ResetSearchGlobals();
}

} // namespace
