#pragma once

#include "platform/DirListing.h"
#include "platform/Wildcard.h"
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
// earlier entry nor lies inside another entry, until the list ends or a stop is requested.
// Appends to FileList and PathList, which must be reserved; reads MinFileSize and StopFlag.
void ScanSearchFolders(const TSearchSettings& settings);

// One walk over the search folders. Within it no folder is entered twice and no file (device and
// inode) is taken twice, so a bind-mounted copy or a second hard link never shows a file as its
// own duplicate; links, FIFOs, sockets and devices are never taken, and the mounts of kernel and
// virtual file systems are never entered.
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

private:
    struct TFileIdHash
    {
        size_t operator()(const plat::TFileId& id) const noexcept
        {
            return size_t(id.Ino * 0x9E3779B97F4A7C15ull ^ id.Dev);
        }
    };

    bool IsProtected(const QString& path) const;
    // Neither on a never-scanned device, nor entered before, nor a protected folder (when
    // protection is on).
    bool MayEnter(const plat::TFileId& folder) const;
    bool IsSystemFileName(const QString& name) const;
    bool TakesFile(const plat::TDirEntry& entry);

    const TSearchSettings& m_settings;
    QStringList m_protectedPrefixes;
    std::array<plat::TWildcard, 4> m_systemTypes;
    std::set<uint64_t> m_neverScannedDevices;
    // The protected folders themselves: a bind mount shows them under paths no prefix catches.
    std::unordered_set<plat::TFileId, TFileIdHash> m_protectedFolders;
    std::unordered_set<plat::TFileId, TFileIdHash> m_enteredFolders;
    std::unordered_set<plat::TFileId, TFileIdHash> m_linkedFilesTaken; // only files with several links
};
