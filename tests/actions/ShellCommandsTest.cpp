#include "actions/ShellCommands.h"

#include "actions/PropertiesDialog.h"
#include "tests/support/TempTree.h"
#include "tests/support/UrlCatcher.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusServer>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

namespace {

// A file manager on a private peer-to-peer bus that notes every call it gets.
class TFakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList Calls;

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) { Note("ShowItems", uris, startupId); }
    void ShowFolders(const QStringList& uris, const QString& startupId)
    {
        Note("ShowFolders", uris, startupId);
    }
    void ShowItemProperties(const QStringList& uris, const QString& startupId)
    {
        Note("ShowItemProperties", uris, startupId);
    }

private:
    void Note(const char* method, const QStringList& uris, const QString& startupId)
    {
        Calls << QString::fromLatin1(method) + ' ' + uris.join(',') + startupId;
    }
};

QList<TPropertiesDialog*> PropertiesWindows()
{
    QList<TPropertiesDialog*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<TPropertiesDialog*>(widget); dialog && dialog->isVisible())
            windows << dialog;
    return windows;
}

QString Value(QWidget* dialog, const char* name)
{
    const auto* label = dialog->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<none>");
}

} // namespace

TEST(ShellCommands, WithoutAFileManagerTheFallbacksOpen)
{
    TTempTree tree;
    const QString file = tree.File("sub/report 1.txt", "12345");
    ::chmod(file.toUtf8().constData(), 0640);
    QDBusConnection noBus =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "pw-none");
    SetFileManagerBusForTest(&noBus);
    TUrlCatcher folders(QStringLiteral("file"));

    ExploreFolder(tree.Path("sub/"), file);
    EXPECT_EQ(folders.Urls, QList<QUrl>({QUrl::fromLocalFile(tree.Path("sub/"))}));

    ShowFileProperties(file);
    SetFileManagerBusForTest(nullptr);
    const QList<TPropertiesDialog*> windows = PropertiesWindows();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(Value(windows[0], "NameValue"), "report 1.txt");
    EXPECT_EQ(Value(windows[0], "FolderValue"), tree.Path("sub/"));
    EXPECT_EQ(Value(windows[0], "SizeValue"), "5 bytes (5 B)");
    EXPECT_EQ(Value(windows[0], "PermissionsValue"), "-rw-r----- (640)");
    EXPECT_EQ(Value(windows[0], "OwnerValue"), QFileInfo(file).owner() + ':' + QFileInfo(file).group());
    windows[0]->close();
}

TEST(ShellCommands, TheFileManagerIsAskedWithoutWaiting)
{
    TTempTree tree;
    const QString file = tree.File("sub/a b.txt", "bytes");
    TFakeFileManager fileManager;
    QDBusServer server;
    ASSERT_TRUE(server.isConnected());
    std::optional<QDBusConnection> served;
    QObject::connect(&server, &QDBusServer::newConnection, [&](const QDBusConnection& connection) {
        served = connection;
        served->registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                               QDBusConnection::ExportAllSlots);
    });
    QDBusConnection client = QDBusConnection::connectToPeer(server.address(), "pw-file-manager");
    ASSERT_TRUE(client.isConnected());
    SetFileManagerBusForTest(&client);
    TUrlCatcher folders(QStringLiteral("file"));

    ExploreFolder(tree.Path("sub/"), file);
    ShowFileProperties(file);
    ExploreFolder(tree.Path("sub/"), tree.Path("sub/moved away.txt"));
    EXPECT_TRUE(fileManager.Calls.isEmpty()); // nothing waited for an answer
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileManager.Calls.size() == 3; }, 5000));
    const QString fileUrl = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    EXPECT_EQ(
        fileManager.Calls,
        QStringList({"ShowItems " + fileUrl, "ShowItemProperties " + fileUrl,
                     "ShowFolders " + QUrl::fromLocalFile(tree.Path("sub/")).toString(QUrl::FullyEncoded)}));
    EXPECT_TRUE(fileUrl.contains("a%20b.txt"));

    // A bus without a file manager answers with an error: the fallback opens the folder.
    served->unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    ExploreFolder(tree.Path("sub/"), file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !folders.Urls.isEmpty(); }, 5000));
    EXPECT_EQ(folders.Urls, QList<QUrl>({QUrl::fromLocalFile(tree.Path("sub/"))}));
    EXPECT_TRUE(PropertiesWindows().isEmpty());
    SetFileManagerBusForTest(nullptr);
    QDBusConnection::disconnectFromPeer("pw-file-manager");
}

#include "ShellCommandsTest.moc"
