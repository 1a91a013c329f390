#include "ShellCommands.h"

#include "actions/PropertiesDialog.h"
#include "platform/FileAccess.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QStringList>

#include <functional>
#include <utility>

namespace {

const QString SiteAddress = QStringLiteral("https://pairwick.org/");
const QString ReelgrabAddress = QStringLiteral("https://pairwick.org/reelgrab/");

const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString FileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

const QDBusConnection* g_testBus = nullptr; // not owned: the test's bus while it is set

// Calls `method` of the file manager with one item, without waiting. `fallback` runs when no file
// manager can take the call; a file manager that takes it but never answers gets no second
// window from us later.
void AskFileManager(const QString& method, const QUrl& item, std::function<void()> fallback)
{
    QDBusConnection bus = g_testBus ? *g_testBus : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallback();
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(FileManagerService, FileManagerPath, FileManagerService, method);
    call << QStringList{item.toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [fallback = std::move(fallback)](QDBusPendingCallWatcher* finished) {
                         const QDBusError::ErrorType error = finished->error().type();
                         if (finished->isError() && error != QDBusError::NoReply &&
                             error != QDBusError::Timeout)
                             fallback();
                         finished->deleteLater();
                     });
}

} // namespace

QUrl WebPageAddress(TWebPage page)
{
    switch (page) {
    case TWebPage::Help:
        return QUrl(SiteAddress + QStringLiteral("help.html"));
    case TWebPage::Home:
        return QUrl(SiteAddress);
    case TWebPage::Reelgrab:
        return QUrl(ReelgrabAddress);
    case TWebPage::Donation:
        return QUrl(SiteAddress + QStringLiteral("donation.html"));
    }
    return {};
}

void OpenWebPage(TWebPage page)
{
    QDesktopServices::openUrl(WebPageAddress(page));
}

void ExploreFolder(const QString& folder, const QString& file)
{
    const QUrl folderUrl = QUrl::fromLocalFile(folder);
    auto openFolder = [folderUrl] { QDesktopServices::openUrl(folderUrl); };
    // A file that is gone (deleted, moved) cannot be picked out; its folder still opens.
    if (!file.isEmpty() && plat::FileExists(file))
        AskFileManager(QStringLiteral("ShowItems"), QUrl::fromLocalFile(file), openFolder);
    else
        AskFileManager(QStringLiteral("ShowFolders"), folderUrl, openFolder);
}

void ShowFileProperties(const QString& path)
{
    AskFileManager(QStringLiteral("ShowItemProperties"), QUrl::fromLocalFile(path),
                   [path] { ShowPropertiesDialog(path); });
}

const QDBusConnection* SetFileManagerBusForTest(const QDBusConnection* bus)
{
    return std::exchange(g_testBus, bus);
}
