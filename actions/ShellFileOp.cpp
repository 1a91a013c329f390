#include "ShellFileOp.h"

#include "platform/FileOps.h"
#include "platform/Trash.h"

#include <cerrno>

bool ShellFileOp(int SourceFolder, const QByteArray& SourceName, int Dest, uint32_t Operation,
                 plat::TTrash* Trash)
{
    switch (Operation) {
    case FO_DELETE: {
        plat::TTrash ownTrash;
        return (Trash != nullptr ? *Trash : ownTrash).MoveToTrash(SourceFolder, SourceName) == 0;
    }
    case FO_MOVE:
        return plat::MoveFileAt(SourceFolder, SourceName, Dest) == 0;
    default:
        plat::SetLastError(EINVAL);
        return false;
    }
}
