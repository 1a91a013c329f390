#include "platform/IoRing.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <map>

namespace {

// Waits until `count` completions have come and gives their results by tag.
std::map<uint64_t, int> Finished(plat::TIoRing& ring, size_t count)
{
    std::map<uint64_t, int> results;
    plat::TIoCompletion completion;
    while (results.size() < count) {
        if (ring.Next(completion))
            results[completion.Tag] = completion.Result;
        else
            EXPECT_TRUE(ring.Wait(std::chrono::seconds(5))) << "a request never finished";
    }
    return results;
}

TEST(IoRing, OpensReadsAndClosesInFlightAndTellsEachByItsTag)
{
    plat::TIoRing ring(8);
    if (!ring.Ready())
        GTEST_SKIP() << "io_uring is missing or refused here";
    TTempTree tree;
    const QByteArray path = tree.File("f", "hello ring").toUtf8();
    ring.OpenAt(1, AT_FDCWD, path.constData(), O_RDONLY | O_CLOEXEC);
    ring.OpenAt(2, AT_FDCWD, "/nonexistent/f", O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(ring.Queued(), 2u);
    auto results = Finished(ring, 2);
    EXPECT_EQ(results[2], -ENOENT);
    const int fd = results[1];
    ASSERT_GE(fd, 0);

    char buffer[16] = {};
    ring.Read(3, fd, buffer, sizeof buffer, 6);
    ring.Close(4, fd); // may run before the read: the read holds the file it was given
    results = Finished(ring, 2);
    EXPECT_EQ(results[3], 4);
    EXPECT_EQ(QByteArray(buffer, 4), "ring");
    EXPECT_EQ(results[4], 0);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "closed";

    plat::TIoCompletion none;
    EXPECT_FALSE(ring.Wait(std::chrono::milliseconds(1))) << "nothing in flight: the wait times out";
    EXPECT_FALSE(ring.Next(none));
}

} // namespace
