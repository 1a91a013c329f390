#include "FolderScan.h"

#include "core/FileLists.h"
#include "platform/FileAccess.h"
#include "platform/LocaleText.h"
#include "platform/Mounts.h"
#include "platform/Pump.h"
#include "platform/SystemFolders.h"

#include <cmath>
#include <limits>

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
    for (int i = 0; i < settings.Folders.size(); ++i) {
        CurrentFolder = settings.Folders[i];
        if (!IsNestedOrRepeated(settings.Folders, i) && plat::FolderReachable(CurrentFolder))
            scan.ScanFolderTree(CurrentFolder, settings.Mask);
        if (StopFlag == 1)
            break;
    }
}

TFolderScan::TFolderScan(const TSearchSettings& settings)
    : m_settings(settings), m_systemTypes{plat::TWildcard(u"*.dll"), plat::TWildcard(u"*.sys"),
                                          plat::TWildcard(u"*.ocx"), plat::TWildcard(u"*.drv")},
      m_neverScannedDevices(plat::NeverScannedDevices(plat::ReadMountTable()))
{
    m_protectedPrefixes << ProgramFilesPrefix << WindowsFolderPrefix << plat::ExtraSystemFolderPrefixes();
    m_protectedPrefixes.removeAll(QString());
    for (const QString& prefix : std::as_const(m_protectedPrefixes))
        if (plat::TFileId id; plat::FolderIdentity(prefix, id))
            m_protectedFolders.insert(id);
}

void TFolderScan::ScanFolderTree(const QString& Folder, const QString& Mask)
{
    QString path = Folder.isEmpty() ? plat::CurrentDirectory() : plat::WithTrailingSeparator(Folder);
    const plat::TWildcard mask(Mask.isEmpty() ? QStringLiteral("*.*") : Mask);
    ScanFolder(path, mask);
}

bool TFolderScan::IsProtected(const QString& path) const
{
    for (const QString& prefix : m_protectedPrefixes)
        if (path.startsWith(prefix))
            return true;
    return false;
}

bool TFolderScan::MayEnter(const plat::TFileId& folder) const
{
    return !m_neverScannedDevices.contains(folder.Dev) && !m_enteredFolders.contains(folder) &&
           !(m_settings.ProtectSysFolders && m_protectedFolders.contains(folder));
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
    // A file with one link can only be met once: folders are never entered twice.
    return entry.Links <= 1 || m_linkedFilesTaken.insert(entry.Id).second;
}

bool TFolderScan::ScanFolder(QString& Path, const plat::TWildcard& Mask, const plat::TFileId* Expected)
{
    if (m_settings.ProtectSysFolders && IsProtected(Path))
        return true;
    plat::PumpMessages();
    const qsizetype entryLength = Path.size();

    // The parent's listing already tells most folders that are passed over; they are not read.
    if (Expected != nullptr && !MayEnter(*Expected))
        return true;
    plat::TFolderListing listing;
    const bool readable = plat::ReadFolder(Path, Expected == nullptr, listing) == 0 &&
                          (!Expected || listing.Self == *Expected) && MayEnter(listing.Self) &&
                          m_enteredFolders.insert(listing.Self).second;
    if (!readable)
        return true;

    bool folderListed = false;
    std::vector<plat::TDirEntry> subFolders;
    for (plat::TDirEntry& entry : listing.Entries) {
        if (entry.Kind == plat::TEntryKind::Folder)
            subFolders.push_back(entry);
        if (!Mask.Matches(entry.Name))
            continue;
        if (TakesFile(entry)) {
            if (!folderListed) {
                folderListed = true;
                AppendPath(Path);
                plat::PumpMessages();
            }
            TFileInfoType record;
            record.Time = entry.Time;
            record.Size = entry.Size;
            record.Attr = entry.Attr;
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
