#include "app/CommandLine.h"

#include "app/DesktopIdentity.h"
#include "app/ProgramInfo.h"
#include "app/VarneMain.h"
#include "core/FileLists.h"
#include "platform/Drives.h"
#include "tests/support/TempTree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using TRequest = TCommandLine::TRequest;

// What the program writes to one of its streams.
class TCapturedStream
{
public:
    TCapturedStream() : m_file(std::tmpfile()) {}
    ~TCapturedStream() { std::fclose(m_file); }
    TCapturedStream(const TCapturedStream&) = delete;
    TCapturedStream& operator=(const TCapturedStream&) = delete;

    std::FILE* File() const { return m_file; }
    QByteArray Text() const
    {
        std::fflush(m_file);
        std::rewind(m_file);
        QByteArray text;
        char buffer[256];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0;)
            text.append(buffer, static_cast<qsizetype>(n));
        return text;
    }

private:
    std::FILE* m_file;
};

QList<QByteArray> Bytes(std::initializer_list<const char*> arguments)
{
    QList<QByteArray> list;
    for (const char* argument : arguments)
        list.append(QByteArray(argument));
    return list;
}

TEST(CommandLine, OptionsCountAnywhereBeforeTheEndMarkAndFoldersKeepTheirOrderAndBytes)
{
    const char* const argv[] = {"/usr/bin/pairwick", "b", "a\xff", "-", "b"};
    const TCommandLine run = ParseCommandLine(CommandLineArguments(5, argv));
    EXPECT_EQ(run.Request, TRequest::Run);
    EXPECT_EQ(run.Folders, Bytes({"b", "a\xff", "-", "b"}));
    EXPECT_EQ(ParseCommandLine({}).Request, TRequest::Run);

    const TCommandLine version = ParseCommandLine(Bytes({"x", "--version", "y"}));
    EXPECT_EQ(version.Request, TRequest::Version);
    EXPECT_EQ(version.Folders, Bytes({"x", "y"}));
    EXPECT_EQ(ParseCommandLine(Bytes({"--version", "-h"})).Request, TRequest::Help);
    EXPECT_EQ(ParseCommandLine(Bytes({"--bogus", "--help"})).Request, TRequest::Help);
    EXPECT_EQ(ParseCommandLine(Bytes({"-x", "--version"})).Request, TRequest::Version);

    const TCommandLine bad = ParseCommandLine(Bytes({"/a", "--bogus", "-v", "/b"}));
    EXPECT_EQ(bad.Request, TRequest::BadOption);
    EXPECT_EQ(bad.BadOption, QByteArray("--bogus"));
    EXPECT_EQ(bad.Folders, Bytes({"/a", "/b"}));
    for (const char* notAnOption : {"-hv", "--help=1", "-help", "--versions"})
        EXPECT_EQ(ParseCommandLine(Bytes({notAnOption})).Request, TRequest::BadOption) << notAnOption;

    const TCommandLine ended = ParseCommandLine(Bytes({"/a", "--", "--help", "-x", "--"}));
    EXPECT_EQ(ended.Request, TRequest::Run);
    EXPECT_EQ(ended.Folders, Bytes({"/a", "--help", "-x", "--"}));
}

// A window whose tree shows two drives that are folders of a temporary tree, never the machine's.
class StartUp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The tree writes real paths, as the kernel's mount table does.
        const QString root = QFileInfo(m_files.Root()).canonicalFilePath() + QLatin1Char('/');
        m_sysfs = m_files.Folder(QStringLiteral("sys"));
        m_files.Folder(QStringLiteral("disk-a/Photos"));
        m_files.Folder(QStringLiteral("disk-b"));
        m_diskA = root + QStringLiteral("disk-a/");
        m_diskB = root + QStringLiteral("disk-b/");
        m_mountInfo = QStringLiteral("31 1 8:2 / %1 rw - ext4 /dev/sda2 rw\n"
                                     "32 1 8:3 / %2 rw - ext4 /dev/sda3 rw\n")
                          .arg(m_diskA.chopped(1), m_diskB.chopped(1))
                          .toUtf8();
        plat::SetSysfsRootForTest(&m_sysfs);
        plat::SetMountInfoSourceForTest(&m_mountInfo);
        m_window = std::make_unique<TMainForm>();
        m_list = m_window->findChild<QListWidget*>(QStringLiteral("DirectoriesListBox"));
        ASSERT_NE(m_list, nullptr);
    }

    void TearDown() override
    {
        m_window.reset();
        ResetSearchGlobals();
        plat::SetMountInfoSourceForTest(nullptr);
        plat::SetSysfsRootForTest(nullptr);
    }

    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < m_list->count(); ++i)
            entries << m_list->item(i)->text();
        return entries;
    }

    // Adds the paths as the program does at start-up; returns what it wrote to stderr.
    QByteArray AddFolders(const QList<QByteArray>& paths) const
    {
        TCapturedStream errors;
        AddCommandLineFolders(*m_window, paths, errors.File());
        return errors.Text();
    }

    TTempTree m_files;
    QString m_sysfs, m_diskA, m_diskB;
    QByteArray m_mountInfo;
    std::unique_ptr<TMainForm> m_window;
    QListWidget* m_list = nullptr;
};

TEST_F(StartUp, TwoFoldersAndAMissingPathGiveTheTwoFoldersInOrderAndOneLineOnStderr)
{
    const QByteArray missing = QFile::encodeName(m_files.Path(QStringLiteral("missing")));
    const QByteArray errors = AddFolders({QFile::encodeName(m_diskB), missing, QFile::encodeName(m_diskA)});
    EXPECT_EQ(Entries(), QStringList({m_diskB, m_diskA}));
    EXPECT_EQ(errors, "pairwick: " + missing + ": not a folder, ignored\n");

    // Nothing else changes: no search starts and the window waits as after any start.
    EXPECT_EQ(StopFlag, 1);
    EXPECT_EQ(FileCount, -1);
    EXPECT_EQ(ResultCount, -1);
    EXPECT_EQ(m_window->StatusPanelText(2), QStringLiteral(" Status: Waiting"));
    EXPECT_EQ(m_window->ReadSearchSettings().Folders, QStringList({m_diskB, m_diskA}));
}

TEST_F(StartUp, GivenPathsAreWrittenAsTheTreeWritesThem)
{
    // The Add button's entry for the first drive is the one the command line must give.
    QTreeWidget* tree = m_window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    ASSERT_NE(tree, nullptr);
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    m_window->findChild<QAbstractButton*>(QStringLiteral("AddDirButton"))->click();
    ASSERT_EQ(Entries(), QStringList({m_diskA}));
    m_list->clear();

    const QString relativeB = QDir::current().relativeFilePath(m_diskB);
    m_files.Symlink(QStringLiteral("link-to-photos"), m_diskA + QStringLiteral("Photos"));
    const QString file = m_files.File(QStringLiteral("disk-b/notes.txt"), "text");
    const QByteArray notUtf8 = QFile::encodeName(m_files.Root()) + "bad\xff";
    ASSERT_EQ(::mkdir(notUtf8.constData(), 0700), 0);

    const QByteArray errors = AddFolders({
        QFile::encodeName(m_diskA.chopped(1)),                                 // no trailing '/'
        QFile::encodeName(m_diskA + QStringLiteral("//")),                     // more than one
        QFile::encodeName(relativeB + QStringLiteral("/../disk-a/./Photos/")), // relative, "." and ".."
        QFile::encodeName(m_files.Path(QStringLiteral("link-to-photos"))),     // a link to a folder
        QFile::encodeName(file),                                               // a file
        notUtf8,                                                               // a name Qt cannot hold
        QByteArray(),                                                          // nothing at all
        QFile::encodeName(m_diskB.chopped(1)),
    });
    ::rmdir(notUtf8.constData()); // the temporary folder cannot name it to remove it
    const QString photos = m_diskA + QStringLiteral("Photos/");
    EXPECT_EQ(Entries(), QStringList({m_diskA, m_diskA, photos, photos, m_diskB}));
    EXPECT_EQ(errors, "pairwick: " + QFile::encodeName(file) + ": not a folder, ignored\n" +
                          "pairwick: " + notUtf8 + ": name is not valid UTF-8, ignored\n" +
                          "pairwick: : not a folder, ignored\n");
}

TEST_F(StartUp, HelpVersionAndUnknownOptionsAreAnsweredWithTheirExitCodes)
{
    // The version printed is the one the status bar shows.
    const QString statusVersion = m_window->StatusPanelText(0);
    ASSERT_TRUE(statusVersion.startsWith(QStringLiteral(" Version: ")));
    TCapturedStream out, errors;
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine(Bytes({"--version"})), out.File(), errors.File()), 0);
    EXPECT_EQ(out.Text(), "pairwick " + statusVersion.mid(10).toUtf8() + "\n");

    TCapturedStream helpOut;
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine(Bytes({"-h"})), helpOut.File(), errors.File()), 0);
    const QByteArray help = helpOut.Text();
    EXPECT_TRUE(help.startsWith("Usage: pairwick [FOLDER]...\n")) << help.constData();
    EXPECT_TRUE(help.contains("--version") && help.endsWith("\n"));
    EXPECT_EQ(errors.Text(), QByteArray());

    TCapturedStream badOut, badErrors;
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine(Bytes({"--bogus"})), badOut.File(), badErrors.File()), 2);
    EXPECT_EQ(badOut.Text(), QByteArray());
    EXPECT_EQ(badErrors.Text(),
              "pairwick: unknown option '--bogus'\nTry 'pairwick --help' for more information.\n");
}

TEST_F(StartUp, DesktopIdentityGivesTheWindowItsIconAtEverySizeAndNamesTheDesktopEntry)
{
    SetDesktopIdentity();
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("Pairwick"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Pairwick"));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral(PW_APP_ID));
    EXPECT_EQ(QStringLiteral(" Version: ") + QApplication::applicationVersion(),
              m_window->StatusPanelText(0));

    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
        const QImage image = QApplication::windowIcon().pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        // Drawn, not blank: the corner is clear, the middle is not.
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << size;
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
    }
    EXPECT_EQ(sizes.size(), 6);
    EXPECT_EQ(m_window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

} // namespace
