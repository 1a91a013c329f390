#include "platform/FileAccess.h"

#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

namespace {

TEST(FileAccess, ExistenceAndReachability)
{
    TTempTree tree;
    tree.File("f", "x");
    tree.Folder("d");
    tree.Symlink("lf", tree.Path("f"));
    tree.Symlink("ld", tree.Path("d"));
    EXPECT_TRUE(plat::FileExists(tree.Path("f")));
    EXPECT_FALSE(plat::FileExists(tree.Path("d")));
    EXPECT_FALSE(plat::FileExists(tree.Path("lf"))); // a link is not a file
    EXPECT_TRUE(plat::FolderExists(tree.Path("d")));
    EXPECT_TRUE(plat::FolderExists(tree.Path("ld")));
    EXPECT_FALSE(plat::FolderExists(tree.Path("f")));
    EXPECT_TRUE(plat::FolderReachable(tree.Path("d/")));
    EXPECT_FALSE(plat::FolderReachable(tree.Path("nope/")));
    EXPECT_TRUE(plat::CurrentDirectory().endsWith('/'));
    EXPECT_EQ(plat::WithTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(plat::WithTrailingSeparator("/a/"), "/a/");
}

} // namespace
