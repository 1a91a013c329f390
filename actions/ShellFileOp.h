#pragma once

#include <QByteArray>

#include <cstdint>

namespace plat {
class TTrash;
}

inline constexpr uint32_t FO_MOVE = 0x0001;
inline constexpr uint32_t FO_DELETE = 0x0003;

// The one wrapper around the whole-file operations of the commands: FO_DELETE sends the file to
// the trash (and fails with EXDEV where its file system can have no trash), FO_MOVE moves it into
// the folder open as `Dest` without replacing anything there. The file is `SourceName` inside the
// folder open as `SourceFolder`, which the caller reached and checked; `Trash` keeps the trash
// folders of a run of deletes (nullptr: none kept). Silent: no question, no progress. Returns true on
// success; otherwise plat::LastError() holds the errno of the call that failed.
bool ShellFileOp(int SourceFolder, const QByteArray& SourceName, int Dest, uint32_t Operation,
                 plat::TTrash* Trash = nullptr);
