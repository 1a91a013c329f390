#pragma once

#include <QString>
#include <QUrl>

class QDBusConnection;

// The program's pages on the web.
enum class TWebPage
{
    Help,     // the "Help" button
    Home,     // the "Update" button
    Reelgrab, // the companion program's home page
    Donation  // the donation line
};

// The address of a page; every address of the program is kept here.
QUrl WebPageAddress(TWebPage page);

// Opens the page in the default browser; nothing is reported when none opens.
void OpenWebPage(TWebPage page);

// Opens `folder` in the desktop's file manager, with `file` picked out when it is still there.
// The file manager is asked over D-Bus without waiting for its answer; when none answers, the
// folder goes to the desktop's handler for folders. Nothing is reported when nothing opens.
void ExploreFolder(const QString& folder, const QString& file = {});

// Shows the properties of the file at `path`: the file manager's window, asked for over D-Bus
// without waiting, or our own small one when no file manager answers.
void ShowFileProperties(const QString& path);

// Test seam: the bus the file manager is asked on, kept by the caller while it is set; nullptr
// restores the session bus. Returns the bus it replaces.
const QDBusConnection* SetFileManagerBusForTest(const QDBusConnection* bus);
