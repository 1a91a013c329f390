#include "ReferenceWalk.h"

#include "platform/Mounts.h"
#include "platform/SystemFolders.h"

TReferenceWalk::TReferenceWalk(const TSearchSettings& settings)
{
    QStringList canonicalFolders;
    for (const QString& folder : settings.ReferenceFolders) {
        if (plat::TFileId id; plat::FolderIdentity(folder, id))
            m_folders.insert(id);
        if (const QString canonical = plat::CanonicalFolder(folder); !canonical.isEmpty())
            canonicalFolders << canonical;
    }
    if (!canonicalFolders.isEmpty())
        NoteBindMounts(canonicalFolders);
}

void TReferenceWalk::NoteBindMounts(const QStringList& canonicalFolders)
{
    const std::vector<plat::TMount> mounts = plat::ReadMountTable();
    for (const plat::TMount& mount : mounts) {
        // Whole file systems are never asked: a dead server must not hang the search.
        if (!plat::IsLocalBindMount(mount))
            continue;
        bool fromReference = false;
        for (const QString& source : plat::MountSourcePaths(mounts, mount))
            for (const QString& folder : canonicalFolders)
                fromReference = fromReference || source.startsWith(folder);
        if (plat::TFileId id; fromReference && plat::FolderIdentity(mount.MountPoint, id))
            m_folders.insert(id);
    }
}

void TReferenceWalk::StartAt(const QString& canonicalRoot)
{
    m_inside = false;
    if (m_folders.empty())
        return;
    // The folder, then each folder above it up to "/".
    for (qsizetype end = canonicalRoot.size(); end > 0;) {
        if (plat::TFileId id; plat::FolderIdentity(canonicalRoot.left(end), id) && m_folders.contains(id)) {
            m_inside = true;
            return;
        }
        end = end > 1 ? canonicalRoot.lastIndexOf(QLatin1Char('/'), end - 2) + 1 : 0;
    }
}
