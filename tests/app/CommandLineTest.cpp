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

struct TCloseFile
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TStream = std::unique_ptr<std::FILE, TCloseFile>;

TStream NewStream()
{
    return TStream(std::tmpfile());
}

QByteArray Written(const TStream& stream)
{
    std::rewind(stream.get());
    QByteArray text;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream.get())) > 0;)
        text.append(buffer, static_cast<qsizetype>(n));
    return text;
}

QList<QByteArray> Bytes(std::initializer_list<const char*> arguments)
{
    return QList<QByteArray>(arguments.begin(), arguments.end());
}

TEST(CommandLine, OptionsCountAnywhereBeforeTheEndMarkAndFoldersKeepTheirOrderAndBytes)
{
    const char* const argv[] = {"/usr/bin/pairwick", "b", "a\xff", "-", "--", "-x", "b"};
    const TCommandLine run = ParseCommandLine(CommandLineArguments(7, argv));
    EXPECT_EQ(run.Request, TRequest::Run);
    EXPECT_EQ(run.Folders, Bytes({"b", "a\xff", "-", "-x", "b"}));

    const TCommandLine bad = ParseCommandLine(Bytes({"/a", "--bogus", "-v", "/b"}));
    EXPECT_EQ(bad.Request, TRequest::BadOption);
    EXPECT_EQ(bad.BadOption, QByteArray("--bogus"));
    EXPECT_EQ(bad.Folders, Bytes({"/a", "/b"}));

    const std::pair<QList<QByteArray>, TRequest> cases[] = {
        {{}, TRequest::Run},
        {Bytes({"x", "--version", "y"}), TRequest::Version},
        {Bytes({"--version", "-h"}), TRequest::Help},
        {Bytes({"--bogus", "--help"}), TRequest::Help},
        {Bytes({"-x", "--version"}), TRequest::Version},
        {Bytes({"--", "--help"}), TRequest::Run},
        {Bytes({"-hv"}), TRequest::BadOption},
        {Bytes({"--help=1"}), TRequest::BadOption},
        {Bytes({"--versions"}), TRequest::BadOption},
    };
    for (const auto& [arguments, request] : cases)
        EXPECT_EQ(ParseCommandLine(arguments).Request, request) << arguments.join(' ').constData();
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
        m_diskA = root + QStringLiteral("disk-a/");
        m_diskB = root + QStringLiteral("disk-b/");
        m_files.Folder(QStringLiteral("disk-a/Photos"));
        m_files.Folder(QStringLiteral("disk-b"));
        m_mountInfo =
            QStringLiteral("31 1 8:2 / %1 rw - ext4 /dev/sda2 rw\n32 1 8:3 / %2 rw - ext4 /dev/sda3 rw\n")
                .arg(m_diskA.chopped(1), m_diskB.chopped(1))
                .toUtf8();
        plat::SetSysfsRootForTest(&m_sysfs);
        plat::SetMountInfoSourceForTest(&m_mountInfo);
        m_window = std::make_unique<TMainForm>();
        m_list = m_window->findChild<QListWidget*>(QStringLiteral("DirectoriesListBox"));
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
        const TStream errors = NewStream();
        AddCommandLineFolders(*m_window, paths, errors.get());
        return Written(errors);
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
    EXPECT_EQ(m_window->StatusPanelText(2), QStringLiteral(" Status: Waiting"));
    EXPECT_EQ(m_window->ReadSearchSettings().Folders, QStringList({m_diskB, m_diskA}));
}

TEST_F(StartUp, GivenPathsAreWrittenAsTheTreeWritesThem)
{
    // The Add button's entry for the first drive is the one the command line must give.
    QTreeWidget* tree = m_window->findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    m_window->findChild<QAbstractButton*>(QStringLiteral("AddDirButton"))->click();
    ASSERT_EQ(Entries(), QStringList({m_diskA}));
    m_list->clear();

    const QString relativeB = QDir::current().relativeFilePath(m_diskB);
    const QString link =
        m_files.Symlink(QStringLiteral("link-to-photos"), m_diskA + QStringLiteral("Photos"));
    const QByteArray file = QFile::encodeName(m_files.File(QStringLiteral("disk-b/notes.txt"), "text"));
    const QByteArray notUtf8 = QFile::encodeName(m_files.Root()) + "bad\xff";
    ASSERT_EQ(::mkdir(notUtf8.constData(), 0700), 0);
    const QByteArray errors = AddFolders({
        QFile::encodeName(m_diskA.chopped(1)),                                 // no trailing '/'
        QFile::encodeName(m_diskA + QStringLiteral("//")),                     // more than one
        QFile::encodeName(relativeB + QStringLiteral("/../disk-a/./Photos/")), // relative, "." and ".."
        QFile::encodeName(link),                                               // a link to a folder
        file,
        notUtf8,
        QByteArray(),
        QFile::encodeName(m_diskB.chopped(1)),
    });
    ::rmdir(notUtf8.constData()); // the temporary folder cannot name it to remove it
    const QString photos = m_diskA + QStringLiteral("Photos/");
    EXPECT_EQ(Entries(), QStringList({m_diskA, m_diskA, photos, photos, m_diskB}));
    EXPECT_EQ(errors, "pairwick: " + file + ": not a folder, ignored\npairwick: " + notUtf8 +
                          ": name is not valid UTF-8, ignored\npairwick: : not a folder, ignored\n");
}

TEST_F(StartUp, VersionHelpAndIdentityAgreeWithTheWindow)
{
    const TStream out = NewStream(), errors = NewStream();
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine(Bytes({"--version"})), out.get(), errors.get()), 0);
    const QString statusVersion = m_window->StatusPanelText(0);
    ASSERT_TRUE(statusVersion.startsWith(QStringLiteral(" Version: ")));
    EXPECT_EQ(Written(out), "pairwick " + statusVersion.mid(10).toUtf8() + "\n");
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine(Bytes({"-h"})), out.get(), errors.get()), 0);
    EXPECT_TRUE(Written(out).contains("\nUsage: pairwick [FOLDER]...\n"));
    EXPECT_EQ(Written(errors), QByteArray());
    EXPECT_EQ(AnswerCommandLine(ParseCommandLine(Bytes({"--bogus"})), out.get(), errors.get()), 2);
    EXPECT_EQ(Written(errors),
              "pairwick: unknown option '--bogus'\nTry 'pairwick --help' for more information.\n");

    SetDesktopIdentity();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Pairwick"));
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral(PW_APP_ID));
    EXPECT_EQ(QStringLiteral(" Version: ") + QApplication::applicationVersion(), statusVersion);
    const QIcon icon = m_window->windowIcon();
    EXPECT_EQ(icon.availableSizes().size(), 6);
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        // Drawn, not blank: the bottom left corner is clear, the middle is not.
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << size;
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 200) << size;
    }
}

} // namespace
