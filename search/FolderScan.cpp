#include "FolderScan.h"

#include "core/FileLists.h"
#include "platform/FileAccess.h"
#include "platform/LocaleText.h"
#include "platform/Mounts.h"
#include "platform/Pump.h"
#include "platform/SystemFolders.h"

#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <vector>

uint64_t ComputeMinFileSize(const TSearchSettings& settings)
{
    if (!settings.MinSizeChecked)
        return 0;
    bool ok = false;
    double value = plat::ParseDecimal(settings.MinSizeText, LocaleFormat, &ok);
    if (settings.MinSizeUnitIndex == 1)
        value *= 1024.0;
    else if (settings.MinSizeUnitIndex == 2)
        value *= 1048576.0;
    // A negative minimum (typed in through the edit's context menu) means no minimum; a huge one
    // takes nothing.
    if (!(value > 0.0))
        return 0;
    if (value >= 18446744073709551616.0)
        return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(std::trunc(value));
}

namespace {

QString Normalised(const QString& folder)
{
    return plat::WithTrailingSeparator(folder);
}

// Entry i is left out when an earlier entry is the same folder, or another entry is a folder
// that contains it (and is scanned anyway). Both tests compare exactly: names are case-sensitive.
bool IsNestedOrRepeated(const QStringList& folders, int i)
{
    const QString entry = Normalised(folders[i]);
    for (int j = 0; j < folders.size(); ++j) {
        const QString other = Normalised(folders[j]);
        if (other == entry) {
            if (j < i)
                return true;
        } else if (entry.startsWith(other)) {
            return true;
        }
    }
    return false;
}

} // namespace

void ScanSearchFolders(const TSearchSettings& settings)
{
    TFolderScan scan(settings);
    std::vector<int> passedOver;
    for (int i = 0; i < settings.Folders.size(); ++i) {
        CurrentFolder = settings.Folders[i];
        if (IsNestedOrRepeated(settings.Folders, i))
            passedOver.push_back(i);
        else if (plat::FolderReachable(CurrentFolder))
            scan.ScanFolderTree(CurrentFolder, settings.Mask);
        if (StopFlag == 1)
            return;
    }
    // Text is no proof that a walk reaches a folder: a link or ".." in a path, a mount below a tree
    // that is never entered, a folder that cannot be read on the way.
    for (const int i : passedOver) {
        CurrentFolder = settings.Folders[i];
        if (plat::FolderReachable(CurrentFolder) && !scan.Entered(CurrentFolder))
            scan.ScanFolderTree(CurrentFolder, settings.Mask);
        if (StopFlag == 1)
            return;
    }
}

TFolderScan::TFolderScan(const TSearchSettings& settings)
    : m_settings(settings),
      m_homes(plat::HomeFolders()), m_systemTypes{plat::TWildcard(u"*.dll"), plat::TWildcard(u"*.sys"),
                                                  plat::TWildcard(u"*.ocx"), plat::TWildcard(u"*.drv")},
      m_reference(settings)
{
    QStringList prefixes;
    prefixes << ProgramFilesPrefix << WindowsFolderPrefix << plat::ExtraSystemFolderPrefixes();
    prefixes.removeAll(QString());
    for (const QString& prefix : std::as_const(prefixes)) {
        m_protectedPrefixes << prefix;
        // A prefix that is itself reached through a link protects where the link leads too.
        if (const QString canonical = plat::CanonicalFolder(prefix); !canonical.isEmpty())
            m_protectedPrefixes << canonical;
        if (plat::TFileId id; plat::FolderIdentity(prefix, id))
            m_protectedFolders.insert(id);
    }
    m_protectedPrefixes.removeDuplicates();
    NoteMounts();
}

void TFolderScan::NoteMounts()
{
    const std::vector<plat::TMount> mounts = plat::ReadMountTable();
    m_neverScannedDevices = plat::NeverScannedDevices(mounts);
    m_trash = plat::TTrashFolders(mounts);
    for (const plat::TMount& mount : mounts) {
        // Whole file systems are never asked: a dead server must not hang the search.
        if (!plat::IsLocalBindMount(mount))
            continue;
        struct stat st
        {
        };
        if (::fstatat(AT_FDCWD, mount.MountPointBytes.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const plat::TFileId id{uint64_t(st.st_dev), uint64_t(st.st_ino)};
        if (S_ISREG(st.st_mode))
            m_mountedFiles.insert(id);
        // A mount on the way to a home folder must stay walkable.
        const QString point = plat::WithTrailingSeparator(mount.MountPoint);
        bool onTheWayHome = false;
        for (const QString& home : std::as_const(m_homes))
            onTheWayHome = onTheWayHome || home.startsWith(point);
        if (onTheWayHome)
            continue;
        for (const QString& source : plat::MountSourcePaths(mounts, mount)) {
            if (!UnderHome(source) && HasProtectedPrefix(source)) {
                (S_ISDIR(st.st_mode) ? m_protectedFolders : m_protectedFiles).insert(id);
                break;
            }
        }
    }
}

void TFolderScan::ScanFolderTree(const QString& Folder, const QString& Mask)
{
    QString path = Folder.isEmpty() ? plat::CurrentDirectory() : plat::WithTrailingSeparator(Folder);
    // Protection is judged on where the folder really is: through links, "..", "//", relative paths.
    m_canonicalRoot = plat::CanonicalFolder(path);
    if (m_canonicalRoot.isEmpty() || m_trash.Holds(m_canonicalRoot))
        return;
    m_rootLength = path.size();
    m_reference.StartAt(m_canonicalRoot);
    const plat::TWildcard mask(Mask.isEmpty() ? QStringLiteral("*.*") : Mask);
    ScanFolder(path, mask);
}

bool TFolderScan::Entered(const QString& folder) const
{
    plat::TFileId id;
    return plat::FolderIdentity(folder, id) && m_enteredFolders.contains(id);
}

bool TFolderScan::UnderHome(const QString& canonical) const
{
    for (const QString& home : m_homes)
        if (canonical.startsWith(home))
            return true;
    return false;
}

// Exact comparison: Linux names are case-sensitive.
bool TFolderScan::HasProtectedPrefix(const QString& canonical) const
{
    for (const QString& prefix : m_protectedPrefixes)
        if (canonical.startsWith(prefix))
            return true;
    return false;
}

TFolderScan::TProtection TFolderScan::Protection(const QString& path) const
{
    if (!m_settings.ProtectSysFolders)
        return TProtection::Open;
    // Folders below a search folder are real folders (links are never entered): the canonical
    // path of one is that of the search folder followed by its names.
    QString canonical = m_canonicalRoot;
    canonical.append(QStringView(path).mid(m_rootLength));
    if (UnderHome(canonical) || !HasProtectedPrefix(canonical))
        return TProtection::Open;
    for (const QString& home : m_homes)
        if (home.startsWith(canonical))
            return TProtection::Transit;
    return TProtection::Protected;
}

bool TFolderScan::MayEnter(const plat::TFileId& folder, TProtection protection) const
{
    return !m_neverScannedDevices.contains(folder.Dev) && !m_enteredFolders.contains(folder) &&
           !(protection == TProtection::Open && m_settings.ProtectSysFolders &&
             m_protectedFolders.contains(folder));
}

bool TFolderScan::IsTrashFolder(const QString& path, const plat::TFileId& folder) const
{
    const QStringView below = QStringView(path).mid(m_rootLength).chopped(1);
    const qsizetype slash = below.lastIndexOf(QLatin1Char('/'));
    return m_trash.IsTrash(folder, below.mid(slash + 1), m_canonicalRoot, below.left(slash + 1));
}

bool TFolderScan::IsSystemFileName(const QString& name) const
{
    for (const plat::TWildcard& type : m_systemTypes)
        if (type.Matches(name))
            return true;
    return false;
}

bool TFolderScan::TakesFile(const plat::TDirEntry& entry)
{
    if (entry.Kind != plat::TEntryKind::File)
        return false;
    if (m_settings.ExcludeZero && entry.Size == 0)
        return false;
    if (entry.Size < MinFileSize)
        return false;
    if (m_settings.ProtectSysFiles && IsSystemFileName(entry.Name))
        return false;
    // A file of a kernel file system mounted in a file's place; a device number too wide for the
    // record (the kernel's never are).
    if (m_neverScannedDevices.contains(entry.Id.Dev) || entry.Id.Dev > UINT32_MAX)
        return false;
    if (m_settings.ProtectSysFolders && !m_protectedFiles.empty() && m_protectedFiles.contains(entry.Id))
        return false;
    // A file with one link that is mounted nowhere else can only be met once: folders are never
    // entered twice.
    if (entry.Links <= 1 && !(!m_mountedFiles.empty() && m_mountedFiles.contains(entry.Id)))
        return true;
    return m_linkedFilesTaken.insert(entry.Id).second;
}

bool TFolderScan::ScanFolder(QString& Path, const plat::TWildcard& Mask, const plat::TFileId* Expected)
{
    const TProtection protection = Protection(Path);
    if (protection == TProtection::Protected)
        return true;
    plat::PumpMessages();
    const qsizetype entryLength = Path.size();

    // The parent's listing already tells most folders that are passed over; they are not read.
    if (Expected != nullptr && (!MayEnter(*Expected, protection) || IsTrashFolder(Path, *Expected)))
        return true;
    plat::TFolderListing listing;
    bool readable = plat::ReadFolder(Path, Expected == nullptr, listing) == 0 &&
                    (!Expected || listing.Self == *Expected) && MayEnter(listing.Self, protection) &&
                    listing.Self.Dev <= UINT32_MAX;
    // A search folder must be the folder its canonical path names, or its protection was judged
    // on another.
    plat::TFileId canonical;
    if (readable && Expected == nullptr)
        readable = plat::FolderIdentity(m_canonicalRoot, canonical) && canonical == listing.Self;
    if (!readable || !m_enteredFolders.insert(listing.Self).second)
        return true;
    const TReferenceWalk::TLevel referenceLevel = m_reference.Enter(listing.Self);

    TFolderInfo info;
    info.Device = uint32_t(listing.Self.Dev);
    info.Inode = listing.Self.Ino;
    info.RootLength = int32_t(m_rootLength);
    info.Reference = m_reference.Inside() ? 1 : 0;
    bool folderListed = false;
    std::vector<plat::TDirEntry> subFolders;
    for (plat::TDirEntry& entry : listing.Entries) {
        if (entry.Kind == plat::TEntryKind::Folder)
            subFolders.push_back(entry);
        // A system folder on the way home gives no files.
        if (protection != TProtection::Transit && Mask.Matches(entry.Name) && TakesFile(entry)) {
            if (!folderListed) {
                folderListed = true;
                AppendPath(Path, info);
                plat::PumpMessages();
            }
            TFileInfoType record;
            record.Time = entry.Time;
            record.Size = entry.Size;
            record.Attr = entry.Attr;
            record.Device = uint32_t(entry.Id.Dev);
            record.Inode = entry.Id.Ino;
            record.ModifiedNs = entry.ModifiedNs;
            record.ChangeMix = entry.ChangeMix;
            record.Name = NamePool.Add(entry.Name);
            record.PathIndex = PathCount;
            AppendFile(record);
        }
        if (StopFlag == 1)
            return false;
    }
    listing = {};

    for (const plat::TDirEntry& folder : subFolders) {
        Path.append(folder.Name);
        Path.append(QLatin1Char('/'));
        const bool finished = ScanFolder(Path, Mask, &folder.Id);
        Path.truncate(entryLength);
        if (!finished)
            return false;
    }
    return true;
}
