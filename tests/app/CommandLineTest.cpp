#include "app/CommandLine.h"

#include "app/DesktopIdentity.h"
#include "app/ProgramInfo.h"
#include "app/VarneMain.h"
#include "core/FileLists.h"
#include "tests/support/FakeDrives.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A stream into memory for the code under test to write to; Text() is all it wrote so far.
struct TCapture
{
    char Buffer[4096] = {};
    std::FILE* File = ::fmemopen(Buffer, sizeof Buffer - 1, "w");
    ~TCapture() { std::fclose(File); }
    QByteArray Text() const
    {
        std::fflush(File);
        return QByteArray(Buffer);
    }
};

TEST(CommandLine, OptionsCountAnywhereBeforeTheEndMarkAndFoldersKeepTheirOrderAndBytes)
{
    const char* const argv[] = {"/usr/bin/pairwick", "b", "a\xff"};
    EXPECT_EQ(CommandLineArguments(3, argv), QList<QByteArray>({"b", "a\xff"}));

    // Arguments; the request, the folders and the first unknown option they give.
    using enum TCommandLine::TRequest;
    const std::tuple<QList<QByteArray>, TCommandLine::TRequest, QList<QByteArray>, QByteArray> cases[] = {
        {{}, Run, {}, {}},
        {{"b", "a\xff", "-", "--", "-x", "b", "--help"}, Run, {"b", "a\xff", "-", "-x", "b", "--help"}, {}},
        {{"/a", "--bogus", "-v", "/b"}, BadOption, {"/a", "/b"}, "--bogus"},
        {{"x", "--version", "y"}, Version, {"x", "y"}, {}},
        {{"--help", "--bogus", "--version"}, Help, {}, "--bogus"},
        {{"-x", "--version"}, Version, {}, "-x"},
        {{"--help=1", "--versions", "-hv"}, BadOption, {}, "--help=1"},
        {{"/a", "--find", "--mask", "x"}, Find, {"/a", "x"}, "--mask"},
        {{"--find", "--version"}, Version, {}, {}},
        {{"--", "--find"}, Run, {"--find"}, {}},
    };
    for (const auto& [arguments, request, folders, badOption] : cases) {
        const TCommandLine parsed = ParseCommandLine(arguments);
        EXPECT_EQ(std::tie(parsed.Request, parsed.Folders, parsed.BadOption),
                  std::tie(request, folders, badOption))
            << arguments.join(' ').constData();
    }
    // Reference folders stand among the others in order; the option needs its folder.
    const TCommandLine parsed =
        ParseCommandLine({"a", "--reference", "-b", "--reference=c", "--", "--reference"});
    EXPECT_EQ(
        std::tie(parsed.Request, parsed.Folders, parsed.ReferenceFolders),
        std::tuple(Run, QList<QByteArray>({"a", "-b", "c", "--reference"}), QList<QByteArray>({"-b", "c"})));
    EXPECT_EQ(ParseCommandLine({"a", "--reference"}).BadOption, "--reference");
}

// A window whose folder tree shows the two disks of a temporary tree, never the machine's.
class StartUp : public ::testing::Test
{
protected:
    void TearDown() override { ResetSearchGlobals(); }

    // The search list, in order.
    QStringList Folders() const { return m_window.ReadSearchSettings().Folders; }

    TFakeDrives m_drives;
    const QString &m_diskA = m_drives.DiskA, &m_diskB = m_drives.DiskB;
    TMainForm m_window;
};

TEST_F(StartUp, TwoFoldersAndAMissingPathGiveTheTwoFoldersInOrderAndOneLineOnStderr)
{
    const QByteArray missing = QFile::encodeName(m_drives.m_files.Path(QStringLiteral("missing")));
    const TCapture errors;
    AddCommandLineFolders(m_window, {QFile::encodeName(m_diskB), missing, QFile::encodeName(m_diskA)},
                          errors.File, {QFile::encodeName(m_diskA)});
    EXPECT_EQ(Folders(), QStringList({m_diskB, m_diskA}));
    EXPECT_EQ(m_window.ReadSearchSettings().ReferenceFolders, QStringList({m_diskA}));
    EXPECT_EQ(errors.Text(), "pairwick: " + missing + ": not a folder, ignored\n");
    // Nothing else changes: no search starts and the window waits as after any start.
    EXPECT_EQ(StopFlag, 1);
    EXPECT_EQ(FileCount, -1);
    EXPECT_EQ(m_window.StatusPanelText(2), QStringLiteral(" Status: Waiting"));
}

TEST_F(StartUp, GivenPathsAreWrittenAsTheAddButtonWritesThem)
{
    QTreeWidget* tree = m_window.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    m_window.findChild<QAbstractButton*>(QStringLiteral("AddDirButton"))->click();
    ASSERT_EQ(Folders(), QStringList({m_diskA}));

    TTempTree& files = m_drives.m_files;
    const QString photos = files.Folder(QStringLiteral("disk-a/Photos"));
    const QString link = files.Symlink(QStringLiteral("link-to-photos"), photos);
    const QByteArray file = QFile::encodeName(files.File(QStringLiteral("disk-b/notes.txt"), "text"));
    const QByteArray notUtf8 = QFile::encodeName(files.Root()) + "bad\xff";
    ASSERT_EQ(::mkdir(notUtf8.constData(), 0700), 0);
    // Without a trailing '/' and with two; relative, with "." and ".."; a link to a folder; a file; a
    // name that is not UTF-8; nothing.
    const QString relativeB = QDir::current().relativeFilePath(m_diskB);
    QList<QByteArray> given;
    for (const QString& path : {m_diskA.chopped(1), m_diskA + QStringLiteral("//"), link,
                                relativeB + QStringLiteral("/../disk-a/./Photos/")})
        given << QFile::encodeName(path);
    given << file << notUtf8 << QByteArray() << QFile::encodeName(m_diskB.chopped(1));
    const TCapture errors;
    AddCommandLineFolders(m_window, given, errors.File);
    ::rmdir(notUtf8.constData()); // the temporary folder cannot name it to remove it
    EXPECT_EQ(Folders(), QStringList({m_diskA, m_diskA, m_diskA, photos, photos, m_diskB}));
    EXPECT_EQ(errors.Text(), "pairwick: " + file + ": not a folder, ignored\npairwick: " + notUtf8 +
                                 ": name is not valid UTF-8, ignored\npairwick: : not a folder, ignored\n");
}

TEST_F(StartUp, HelpVersionAndIdentityAgreeWithTheWindow)
{
    const TCapture out, errors;
    const auto answer = [&](const char* option) {
        return AnswerCommandLine(ParseCommandLine({option}), out.File, errors.File);
    };
    // The version is the one the status bar shows after " Version: ".
    const QByteArray versionLine = "pairwick " + m_window.StatusPanelText(0).mid(10).toUtf8() + "\n";
    EXPECT_EQ(answer("--version"), 0);
    EXPECT_EQ(out.Text(), versionLine);
    EXPECT_EQ(answer("-h"), 0);
    EXPECT_TRUE(out.Text().startsWith(versionLine + "Usage: pairwick [FOLDER]...\n"));
    EXPECT_EQ(errors.Text(), QByteArray());
    EXPECT_EQ(answer("--bogus"), 2);
    EXPECT_EQ(errors.Text(),
              "pairwick: unknown option '--bogus'\nTry 'pairwick --help' for more information.\n");
    EXPECT_EQ(answer("--reference"), 2);
    EXPECT_TRUE(errors.Text().endsWith("pairwick: option '--reference' needs a folder\nTry 'pairwick --help' "
                                       "for more information.\n"));

    SetDesktopIdentity();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Pairwick"));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral(PW_APP_ID));
    const QIcon icon = m_window.windowIcon();
    EXPECT_EQ(icon.availableSizes().size(), 6);
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        // Drawn at this size, not blank: the bottom left corner is clear, the middle is not.
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << size;
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
    }
}

} // namespace
