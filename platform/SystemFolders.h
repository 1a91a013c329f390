#pragma once

#include <QStringList>

namespace plat {

// The operating system's own folder (the first protected prefix).
QString WindowsFolder();
// Where third-party programs are installed (the second protected prefix).
QString ProgramFilesFolder();
// Further system trees that "Protect System Folders" keeps out of a search. Every prefix ends
// with '/', and none is empty.
QStringList ExtraSystemFolderPrefixes();

} // namespace plat
