#pragma once

#include "platform/DirListing.h"
#include "platform/TrashFolders.h"
#include "platform/Wildcard.h"
#include "search/ReferenceWalk.h"
#include "search/SearchSettings.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <set>
#include <unordered_set>

// The smallest size the scan takes, from the minimum-size options: 0 when they are off or the
// text is not a number; fractions allowed ("1.5" MB is 1,572,864 bytes).
uint64_t ComputeMinFileSize(const TSearchSettings& settings);

// The folder loop of a search: scans every search folder that is reachable and neither repeats an
// earlier entry nor lies inside another entry, until the list ends or a stop is requested. An
// entry passed over for its text is scanned after all the others when no walk entered its folder
// (a path through a link or "..", or a folder the outer walk never reaches). Appends to FileList
// and PathList, which must be reserved; reads MinFileSize and StopFlag.
void ScanSearchFolders(const TSearchSettings& settings);

// One walk over the search folders. Within it no folder is entered twice and no file (device and
// inode) is taken twice, so a bind-mounted copy or a second hard link never shows a file as its
// own duplicate; links, FIFOs, sockets and devices are never taken, and neither folders nor files
// of kernel and virtual file systems, nor the desktop's trash folders. System folders are judged
// on canonical paths, by identity and through the mount table, so no second path or bind mount
// exposes them; the user's home folders and all below them are never system folders.
class TFolderScan
{
public:
    explicit TFolderScan(const TSearchSettings& settings);

    // Scans one folder tree; an empty folder means the working directory, an empty mask "*.*".
    void ScanFolderTree(const QString& Folder, const QString& Mask);

    // Scans the folder `Path` names (ending with '/') and its sub-folders. Returns false when it saw
    // a stop request, true when it finished or skipped the folder. `Path` is extended in place and
    // holds its entry value again on return. `Expected` is the identity the parent listed for the
    // folder (nullptr for a search folder, whose own link is followed).
    bool ScanFolder(QString& Path, const plat::TWildcard& Mask, const plat::TFileId* Expected = nullptr);

    // Whether a walk of this scan has entered the folder (links followed).
    bool Entered(const QString& folder) const;

private:
    using TIdSet = std::unordered_set<plat::TFileId, plat::TFileIdHash>;

    enum class TProtection
    {
        Open,      // scanned as usual
        Protected, // a system folder: neither read nor entered
        Transit,   // a system folder on the way to a home folder: only that way is walked
    };

    bool UnderHome(const QString& canonical) const;
    bool HasProtectedPrefix(const QString& canonical) const;
    TProtection Protection(const QString& path) const;
    void NoteMounts();
    // Neither on a never-scanned device, nor entered before, nor a protected folder (when
    // protection is on and the folder is not passed through on the way home).
    bool MayEnter(const plat::TFileId& folder, TProtection protection) const;
    // The sub-folder `path` (ending with '/') of the walk is a trash folder.
    bool IsTrashFolder(const QString& path, const plat::TFileId& folder) const;
    bool IsSystemFileName(const QString& name) const;
    bool TakesFile(const plat::TDirEntry& entry);

    const TSearchSettings& m_settings;
    QStringList m_protectedPrefixes; // as given and canonical
    QStringList m_homes;             // canonical
    std::array<plat::TWildcard, 4> m_systemTypes;
    std::set<uint64_t> m_neverScannedDevices;
    plat::TTrashFolders m_trash;
    // The protected folders themselves and every mount of something below one: a bind mount shows
    // them under paths no prefix catches.
    TIdSet m_protectedFolders;
    TIdSet m_protectedFiles; // files of protected folders mounted in the place of another file
    TIdSet m_mountedFiles;   // files mounted in the place of another, seen twice by a walk
    TIdSet m_enteredFolders;
    TIdSet m_linkedFilesTaken; // only files with several links or mounted elsewhere
    // The search folder being walked: the length of its text and its canonical path.
    qsizetype m_rootLength = 0;
    QString m_canonicalRoot;
    TReferenceWalk m_reference; // whether the walk is inside a reference folder
};
