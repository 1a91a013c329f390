#pragma once

#include "platform/DirListing.h"
#include "search/SearchSettings.h"

#include <QString>

#include <unordered_set>

// Tells, as a walk goes down, whether it is inside a reference folder. A reference folder is
// recognised by its device and inode wherever a walk meets it: below another search folder,
// through a link given as a search folder, or through a bind mount; so is a bind mount that shows
// a folder from inside one. A search folder that lies inside a reference folder is inside from its
// start. With no reference folder the walk is never inside, and nothing is asked of the disk.
class TReferenceWalk
{
public:
    explicit TReferenceWalk(const TSearchSettings& settings);

    // A walk starts at the search folder with this canonical path.
    void StartAt(const QString& canonicalRoot);

    // Entering a folder: inside from here down when the walk already was, or the folder is a
    // reference folder. Leaving the level puts the state back.
    class TLevel
    {
    public:
        TLevel(bool& inside, bool now) : m_inside(inside), m_before(inside) { m_inside = now; }
        ~TLevel() { m_inside = m_before; }
        TLevel(const TLevel&) = delete;
        TLevel& operator=(const TLevel&) = delete;

    private:
        bool& m_inside; // not owned: the state of the walk this level belongs to
        bool m_before;
    };
    [[nodiscard]] TLevel Enter(const plat::TFileId& folder)
    {
        return TLevel(m_inside, m_inside || (!m_folders.empty() && m_folders.contains(folder)));
    }

    bool Inside() const { return m_inside; }

private:
    void NoteBindMounts(const QStringList& canonicalFolders);

    // The reference folders and the folders below them that bind mounts show elsewhere.
    std::unordered_set<plat::TFileId, plat::TFileIdHash> m_folders;
    bool m_inside = false;
};
