#pragma once

#include <QString>

#include <functional>

namespace plat {

// Calls `visit` with the name of each folder inside `folder`, "." and ".." included, in the order
// the system hands them out, until `visit` returns false. A link to a folder is not a folder here,
// and a name that does not decode to exactly its bytes is skipped. Only entries whose type the directory does
// not record are looked up, so a folder of many files costs no call per file. Returns 0, or the errno of the
// call that failed.
int VisitSubFolders(const QString& folder, const std::function<bool(const QString& name)>& visit);

} // namespace plat
