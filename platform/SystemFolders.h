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

// The canonical path of a folder: absolute, every link resolved, no "." or ".." and no doubled
// '/', ending with exactly one '/'. Empty when the folder cannot be resolved or its canonical
// path does not decode exactly.
QString CanonicalFolder(const QString& folder);

// The user's home folders, canonical and each ending with '/': HOME and the home of the user's
// account, once each. These and everything below them are the user's, never a system folder.
QStringList HomeFolders();

} // namespace plat
