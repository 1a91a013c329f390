#include "search/crc32tab.h"

#include "core/DuplicateTypes.h"
#include "search/Crc32Fold.h"
#include "tests/support/PumpScript.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Block = static_cast<int>(CrcBlockSize);

uint32_t ReferenceCrc(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    UpdateCrc32Reference(bytes.constData(), static_cast<size_t>(bytes.size()), crc);
    return crc ^ 0xFFFFFFFFu;
}

// The descriptors of this process that refer to the file.
int DescriptorsOpenOn(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::symLinkTarget(fds.filePath(fd)) == target)
            ++count;
    }
    return count;
}

// A running search has StopFlag 0; every test starts that way and leaves the idle value behind.
class crc32tabFile : public testing::Test
{
protected:
    void SetUp() override
    {
        m_savedStop = StopFlag;
        StopFlag = 0;
    }
    void TearDown() override { StopFlag = m_savedStop; }

    TTempTree m_tree;

private:
    uint8_t m_savedStop = 1;
};

struct TResult
{
    uint32_t Crc = 0;
    bool Ok = false;
    int Pumps = 0;
};

TResult WholeFile(const QString& path)
{
    TPumpScript pump;
    TResult result;
    result.Crc = FileCrc32(path, &result.Ok);
    result.Pumps = pump.Count();
    return result;
}

TResult FirstBlock(const QString& path)
{
    TPumpScript pump;
    TResult result;
    result.Crc = FirstBlockCrc32(path, &result.Ok);
    result.Pumps = pump.Count();
    return result;
}

TEST(crc32tabUpdate, CheckValueOfTheNineDigits)
{
    const char digits[] = "123456789";
    uint32_t production = 0xFFFFFFFFu;
    UpdateCrc32(digits, 9, production);
    EXPECT_EQ(production ^ 0xFFFFFFFFu, 0xCBF43926u);

    uint32_t reference = 0xFFFFFFFFu;
    UpdateCrc32Reference(digits, 9, reference);
    EXPECT_EQ(reference ^ 0xFFFFFFFFu, 0xCBF43926u);

    uint32_t slicing = 0xFFFFFFFFu;
    UpdateCrc32Slicing(digits, 9, slicing);
    EXPECT_EQ(slicing ^ 0xFFFFFFFFu, 0xCBF43926u);
}

TEST(crc32tabUpdate, ZeroLengthLeavesTheChecksumAlone)
{
    const char byte = 'x';
    for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u}) {
        uint32_t production = start;
        UpdateCrc32(&byte, 0, production);
        EXPECT_EQ(production, start);
        uint32_t slicing = start;
        UpdateCrc32Slicing(&byte, 0, slicing);
        EXPECT_EQ(slicing, start);
    }
}

// Every fast way must give the reference's register for any length, start offset and running value.
class crc32tabFastPaths : public testing::Test
{
protected:
    void ExpectAllEqual(const uint8_t* data, size_t length, uint32_t start)
    {
        uint32_t expected = start;
        UpdateCrc32Reference(data, length, expected);

        uint32_t slicing = start;
        UpdateCrc32Slicing(data, length, slicing);
        EXPECT_EQ(slicing, expected) << "slicing, length " << length;

        uint32_t fast = start;
        UpdateCrc32Fast(data, length, fast);
        EXPECT_EQ(fast, expected) << "fast, length " << length;

        if (length <= 0xFFFF) {
            uint32_t production = start;
            UpdateCrc32(data, static_cast<uint16_t>(length), production);
            EXPECT_EQ(production, expected) << "UpdateCrc32, length " << length;
        }
        if (Crc32ClmulSupported()) {
            uint32_t clmul = start;
            UpdateCrc32Clmul(data, length, clmul);
            EXPECT_EQ(clmul, expected) << "carry-less, length " << length;
        }
    }

    std::vector<uint8_t> RandomBytes(size_t size)
    {
        std::vector<uint8_t> bytes(size);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(m_random());
        return bytes;
    }

    std::mt19937 m_random{20240611};
};

TEST_F(crc32tabFastPaths, ShortBuffersAtEveryOffset)
{
    const std::vector<uint8_t> bytes = RandomBytes(300 + 16);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length = 0; length <= 300; ++length) {
            ExpectAllEqual(bytes.data() + offset, length, 0xFFFFFFFFu);
            ExpectAllEqual(bytes.data() + offset, length, static_cast<uint32_t>(m_random()));
            if (HasFailure())
                return;
        }
    }
}

TEST_F(crc32tabFastPaths, LengthsNearTheLargestBlock)
{
    const std::vector<uint8_t> bytes = RandomBytes(65536 + 16);
    for (size_t offset : {0u, 1u, 7u, 15u}) {
        for (size_t length = 65500; length <= 65536; ++length)
            ExpectAllEqual(bytes.data() + offset, length, static_cast<uint32_t>(m_random()));
    }
}

TEST_F(crc32tabFastPaths, UniformBytes)
{
    for (uint8_t value : {0x00, 0xFF}) {
        const std::vector<uint8_t> bytes(4096 + 3, value);
        ExpectAllEqual(bytes.data(), bytes.size(), 0xFFFFFFFFu);
        ExpectAllEqual(bytes.data(), bytes.size(), 0);
    }
}

TEST_F(crc32tabFastPaths, ChainedCallsEqualOneCall)
{
    const std::vector<uint8_t> bytes = RandomBytes(3 * 1024 * 1024 + 37);
    uint32_t expected = 0xFFFFFFFFu;
    UpdateCrc32Reference(bytes.data(), bytes.size(), expected);

    std::uniform_int_distribution<size_t> piece(0, 65535);
    uint32_t chained = 0xFFFFFFFFu;
    uint32_t chainedSlicing = 0xFFFFFFFFu;
    uint32_t chainedClmul = 0xFFFFFFFFu;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = std::min(piece(m_random), bytes.size() - at);
        UpdateCrc32(bytes.data() + at, static_cast<uint16_t>(length), chained);
        UpdateCrc32Slicing(bytes.data() + at, length, chainedSlicing);
        if (Crc32ClmulSupported())
            UpdateCrc32Clmul(bytes.data() + at, length, chainedClmul);
        at += length;
    }
    EXPECT_EQ(chained, expected);
    EXPECT_EQ(chainedSlicing, expected);
    if (Crc32ClmulSupported()) {
        EXPECT_EQ(chainedClmul, expected);
    }

    uint32_t whole = 0xFFFFFFFFu;
    UpdateCrc32Fast(bytes.data(), bytes.size(), whole);
    EXPECT_EQ(whole, expected);
}

TEST_F(crc32tabFile, CheckValueAsAFile)
{
    const QString path = m_tree.File(QStringLiteral("digits.txt"), QByteArray("123456789"));
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, 0xCBF43926u);
    EXPECT_TRUE(whole.Ok);
    EXPECT_EQ(whole.Pumps, 2) << "one block and the empty read";
    const TResult first = FirstBlock(path);
    EXPECT_EQ(first.Crc, 0xCBF43926u);
    EXPECT_TRUE(first.Ok);
    EXPECT_EQ(first.Pumps, 1);
}

TEST_F(crc32tabFile, EmptyFileGivesZeroAndSucceeds)
{
    const QString path = m_tree.File(QStringLiteral("empty"), QByteArray());
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, 0u);
    EXPECT_TRUE(whole.Ok);
    EXPECT_EQ(whole.Pumps, 1);
    const TResult first = FirstBlock(path);
    EXPECT_EQ(first.Crc, 0u);
    EXPECT_TRUE(first.Ok);
    EXPECT_EQ(first.Pumps, 1);
}

TEST_F(crc32tabFile, ExactlyOneBlock)
{
    const QByteArray content = TTempTree::Pattern(Block, 1);
    const QString path = m_tree.File(QStringLiteral("one-block"), content);
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, ReferenceCrc(content));
    EXPECT_TRUE(whole.Ok);
    EXPECT_EQ(whole.Pumps, 2) << "one block and the empty read";
    const TResult first = FirstBlock(path);
    EXPECT_EQ(first.Crc, whole.Crc);
    EXPECT_TRUE(first.Ok);
    EXPECT_EQ(first.Pumps, 1);
}

TEST_F(crc32tabFile, OneByteMoreThanABlock)
{
    const QByteArray content = TTempTree::Pattern(Block + 1, 2);
    const QString path = m_tree.File(QStringLiteral("block-and-one"), content);
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, ReferenceCrc(content));
    EXPECT_TRUE(whole.Ok);
    EXPECT_EQ(whole.Pumps, 3);
    const TResult first = FirstBlock(path);
    EXPECT_EQ(first.Crc, ReferenceCrc(content.left(Block)));
    EXPECT_TRUE(first.Ok);
    EXPECT_EQ(first.Pumps, 1);
    EXPECT_NE(first.Crc, whole.Crc);
}

TEST_F(crc32tabFile, SeveralWholeBlocks)
{
    const QByteArray content = TTempTree::Pattern(3 * Block, 3);
    const QString path = m_tree.File(QStringLiteral("three-blocks"), content);
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, ReferenceCrc(content));
    EXPECT_TRUE(whole.Ok);
    EXPECT_EQ(whole.Pumps, 4);
}

TEST_F(crc32tabFile, EqualFirstBlocksDifferentTails)
{
    QByteArray a = TTempTree::Pattern(100000, 4);
    QByteArray b = a;
    b[Block] = static_cast<char>(b[Block] ^ 0x01);
    b[99999] = static_cast<char>(b[99999] ^ 0x80);
    const QString pathA = m_tree.File(QStringLiteral("a"), a);
    const QString pathB = m_tree.File(QStringLiteral("b"), b);

    const TResult firstA = FirstBlock(pathA);
    const TResult firstB = FirstBlock(pathB);
    EXPECT_TRUE(firstA.Ok);
    EXPECT_TRUE(firstB.Ok);
    EXPECT_EQ(firstA.Crc, firstB.Crc);
    EXPECT_EQ(firstA.Crc, ReferenceCrc(a.left(Block)));

    const TResult wholeA = WholeFile(pathA);
    const TResult wholeB = WholeFile(pathB);
    EXPECT_EQ(wholeA.Crc, ReferenceCrc(a));
    EXPECT_EQ(wholeB.Crc, ReferenceCrc(b));
    EXPECT_NE(wholeA.Crc, wholeB.Crc);
}

TEST_F(crc32tabFile, WhatCannotBeReadGivesZeroAndFails)
{
    m_tree.File(QStringLiteral("target"), QByteArray("123456789"));
    const QString missing = m_tree.Path(QStringLiteral("missing"));
    const QString folder = m_tree.Folder(QStringLiteral("folder"));
    const QString link = m_tree.Symlink(QStringLiteral("link"), m_tree.Path(QStringLiteral("target")));
    const QString folderWithoutSlash = folder.endsWith(u'/') ? folder.chopped(1) : folder;

    for (const QString& path : {missing, folder, folderWithoutSlash, link}) {
        const TResult whole = WholeFile(path);
        EXPECT_EQ(whole.Crc, 0u) << path.toStdString();
        EXPECT_FALSE(whole.Ok) << path.toStdString();
        EXPECT_EQ(whole.Pumps, 0) << path.toStdString();
        const TResult first = FirstBlock(path);
        EXPECT_EQ(first.Crc, 0u) << path.toStdString();
        EXPECT_FALSE(first.Ok) << path.toStdString();
        EXPECT_EQ(first.Pumps, 0) << path.toStdString();
    }
}

TEST_F(crc32tabFile, UnreadableFileGivesZeroAndFails)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString path = m_tree.File(QStringLiteral("secret"), QByteArray("123456789"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, 0u);
    EXPECT_FALSE(whole.Ok);
    const TResult first = FirstBlock(path);
    EXPECT_EQ(first.Crc, 0u);
    EXPECT_FALSE(first.Ok);
}

// Reading the process's own memory at offset 0 fails (nothing is mapped there) although the
// file opens as a regular file: the one read failure that can be set up without privileges.
TEST_F(crc32tabFile, FailedReadGivesZeroAndFails)
{
    const QString path = QStringLiteral("/proc/self/mem");
    if (!QFileInfo(path).isFile())
        GTEST_SKIP() << "no /proc/self/mem";
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, 0u);
    EXPECT_FALSE(whole.Ok);
    EXPECT_EQ(whole.Pumps, 0);
    const TResult first = FirstBlock(path);
    EXPECT_EQ(first.Crc, 0u);
    EXPECT_FALSE(first.Ok);
    EXPECT_EQ(first.Pumps, 0);
}

TEST_F(crc32tabFile, FifoIsRefusedWithoutBlocking)
{
    const QString fifo = m_tree.Fifo(QStringLiteral("pipe"));
    const QByteArray fifoName = fifo.toUtf8();
    for (auto routine : {&FileCrc32, &FirstBlockCrc32}) {
        bool ok = true;
        // Run elsewhere so that a blocking open fails the test instead of hanging it.
        auto result = std::async(std::launch::async, [&] { return routine(fifo, &ok); });
        const bool returned = result.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        if (!returned) {
            const int writer = ::open(fifoName.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
        }
        ASSERT_TRUE(returned) << "the checksum of a FIFO waited for a writer";
        EXPECT_EQ(result.get(), 0u);
        EXPECT_FALSE(ok);
    }
}

TEST_F(crc32tabFile, StopEndsTheReadAfterTheCurrentBlockAndClosesTheFile)
{
    const QByteArray content = TTempTree::Pattern(6 * Block + 100, 5);
    const QString path = m_tree.File(QStringLiteral("large"), content);
    ASSERT_EQ(DescriptorsOpenOn(path), 0);

    for (int stopAt : {1, 3, 7}) {
        StopFlag = 0;
        const TPumpScript pump = TPumpScript::StopAt(stopAt);
        bool ok = true;
        EXPECT_EQ(FileCrc32(path, &ok), 1u) << "stop at pump " << stopAt;
        EXPECT_FALSE(ok);
        EXPECT_EQ(pump.Count(), stopAt) << "no block is read after the stop";
        EXPECT_EQ(StopFlag, 1);
        EXPECT_EQ(DescriptorsOpenOn(path), 0) << "stop at pump " << stopAt;
    }

    StopFlag = 0;
    {
        const TPumpScript pump = TPumpScript::StopAt(1);
        bool ok = true;
        EXPECT_EQ(FirstBlockCrc32(path, &ok), 1u);
        EXPECT_FALSE(ok);
        EXPECT_EQ(pump.Count(), 1);
        EXPECT_EQ(DescriptorsOpenOn(path), 0);
    }

    StopFlag = 0;
    const TResult whole = WholeFile(path);
    EXPECT_EQ(whole.Crc, ReferenceCrc(content)) << "a stop leaves nothing behind for the next call";
    EXPECT_EQ(whole.Pumps, 8);
    EXPECT_EQ(DescriptorsOpenOn(path), 0);
}

} // namespace
