#include "platform/OpenBeneath.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

ino_t InodeOf(int fd)
{
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}

ino_t InodeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(path.toUtf8().constData(), &st) == 0 ? st.st_ino : 0;
}

class OpenBeneath : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override { plat::SetOpenat2AllowedForTest(GetParam()); }
    void TearDown() override { plat::SetOpenat2AllowedForTest(true); }
};

TEST_P(OpenBeneath, ReachesOnlyRealFoldersBelowTheRoot)
{
    TTempTree tree;
    tree.Folder("root/a/b/c");
    tree.Folder("elsewhere/b/c");
    tree.Symlink("root/link", tree.Path("root/a"));
    tree.Symlink("root/a/jump", tree.Path("elsewhere"));
    tree.File("root/a/file", "x");
    const plat::TUniqueFd root(::open(tree.Path("root").toUtf8().constData(), O_PATH | O_DIRECTORY));
    ASSERT_TRUE(root);

    plat::TUniqueFd folder;
    for (const int flags : {O_RDONLY, O_PATH}) {
        ASSERT_EQ(plat::OpenFolderBeneath(root.Get(), "a/b/c/", flags, folder), 0);
        EXPECT_EQ(InodeOf(folder.Get()), InodeOf(tree.Path("root/a/b/c")));
    }
    ASSERT_EQ(plat::OpenFolderBeneath(root.Get(), "", O_RDONLY, folder), 0);
    EXPECT_EQ(InodeOf(folder.Get()), InodeOf(tree.Path("root")));

    // A link anywhere on the way, or at the end, is never followed.
    for (const char* through : {"link/b", "a/jump/b/c", "a/jump", "link"}) {
        const int error = plat::OpenFolderBeneath(root.Get(), through, O_PATH, folder);
        EXPECT_TRUE(error == ELOOP || error == ENOTDIR) << through << " " << error;
        EXPECT_FALSE(folder);
    }
    EXPECT_EQ(plat::OpenFolderBeneath(root.Get(), "a/missing/c", O_RDONLY, folder), ENOENT);
    EXPECT_EQ(plat::OpenFolderBeneath(root.Get(), "a/file", O_RDONLY, folder), ENOTDIR);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutOpenat2, OpenBeneath, ::testing::Bool());

} // namespace
