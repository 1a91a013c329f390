#include "actions/ShellCommands.h"

#include "actions/PropertiesDialog.h"
#include "tests/support/ScopedSeam.h"
#include "tests/support/TempTree.h"
#include "tests/support/UrlCatcher.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServer>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

namespace {

// A file manager on a private peer-to-peer bus that notes every call it gets.
class TFakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList Calls;

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) { Note(uris, startupId); }
    void ShowFolders(const QStringList& uris, const QString& startupId) { Note(uris, startupId); }
    void ShowItemProperties(const QStringList& uris, const QString& startupId) { Note(uris, startupId); }

private:
    void Note(const QStringList& uris, const QString& startupId)
    {
        Calls << message().member() + ' ' + uris.join(',') + startupId;
    }
};

// What our own properties windows show, for each one that is open.
QStringList PropertiesShown()
{
    QStringList shown;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<TPropertiesDialog*>(window) && window->isVisible())
            for (const char* name :
                 {"NameValue", "FolderValue", "SizeValue", "PermissionsValue", "OwnerValue"})
                if (const auto* label = window->findChild<QLabel*>(QString::fromLatin1(name)))
                    shown << label->text();
    return shown;
}

} // namespace

TEST(ShellCommands, TheFileManagerIsAskedWithoutWaitingAndOurFallbacksStandIn)
{
    TTempTree tree;
    const QString file = tree.File("sub/a b.txt", "12345");
    const QString folder = tree.Path("sub/");
    ::chmod(file.toUtf8().constData(), 0640);
    TUrlCatcher folders(QStringLiteral("file"));

    // No bus at all: the folder opens at once, and so does our own properties window.
    QDBusConnection noBus =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "pw-none");
    const TScopedSeam bus(&SetFileManagerBusForTest, &noBus);
    ExploreFolder(folder, file);
    EXPECT_EQ(folders.Urls, QList<QUrl>({QUrl::fromLocalFile(folder)}));
    ShowFileProperties(file);
    EXPECT_EQ(PropertiesShown(), QStringList({"a b.txt", folder, "5 bytes (5 B)", "-rw-r----- (640)",
                                              QFileInfo(file).owner() + ':' + QFileInfo(file).group()}));
    QApplication::closeAllWindows();

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
    folders.Urls.clear();
    ExploreFolder(folder, file);
    ShowFileProperties(file);
    ExploreFolder(folder, tree.Path("sub/moved away.txt"));
    EXPECT_TRUE(fileManager.Calls.isEmpty()); // nothing waited for an answer
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileManager.Calls.size() == 3; }, 5000));
    const QString fileUrl = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    EXPECT_EQ(fileManager.Calls,
              QStringList({"ShowItems " + fileUrl, "ShowItemProperties " + fileUrl,
                           "ShowFolders " + QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded)}));
    EXPECT_TRUE(fileUrl.contains("a%20b.txt"));

    // A bus without a file manager answers with an error: the fallback opens the folder.
    served->unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    ExploreFolder(folder, file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !folders.Urls.isEmpty(); }, 5000));
    EXPECT_EQ(folders.Urls, QList<QUrl>({QUrl::fromLocalFile(folder)}));
    EXPECT_TRUE(PropertiesShown().isEmpty());
    QDBusConnection::disconnectFromPeer("pw-file-manager");
}

#include "ShellCommandsTest.moc"
