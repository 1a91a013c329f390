#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace plat {

// Calls `visit` with the name of each folder inside `folder`, "." and ".." included, in the order
// the system hands them out, until `visit` returns false. A link to a folder is not a folder here,
// and a name that does not decode to exactly its bytes is skipped. Only entries whose type the directory does
// not record are looked up, so a folder of many files costs no call per file. Returns 0, or the errno of the
// call that failed.
int VisitSubFolders(const QString& folder, const std::function<bool(const QString& name)>& visit);

// The folder `path` leads to, written as the folder tree writes it: absolute, without links, "." or
// "..", ending with exactly one '/'. A relative path starts at the working folder. Empty when the
// path leads to no folder, or when the folder's real path is not valid UTF-8.
QString RealFolderPath(const QByteArray& path);

} // namespace plat
