#include "CompareFiles.h"

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/DirListing.h"
#include "platform/LocaleText.h"
#include "platform/Pump.h"
#include "search/ContentCompare.h"
#include "search/RecordAccess.h"
#include "search/crc32tab.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

class TComparison
{
public:
    explicit TComparison(TSearchDisplay& display) : m_display(display) {}

    void Run();

private:
    TReadOutcome ProcessRun(int32_t first, int32_t last);
    void SetAsideSecondViews(int32_t first, int32_t last);
    TReadOutcome FirstBlockStage(int32_t first, int32_t last);
    TReadOutcome WholeFileStage(int32_t first, int32_t last);
    void CollectGroups(int32_t first, int32_t last);
    void AppendResult(const TFileInfoType& record);
    void GrowResultsIfNeeded();
    void ShowStatistics();

    TSearchDisplay& m_display;
    TRecordFolders m_folders;
    int32_t m_groups = 0;     // G: groups numbered so far
    uint32_t m_nextClass = 0; // content classes handed out
    // The content class of each record of the run being processed, by its name reference (unique
    // per record): the run is sorted after its files are read, so records cannot be told by place.
    std::unordered_map<uint32_t, uint32_t> m_classes;
};

void TComparison::Run()
{
    int32_t i = 0, runLength = 0, runStart = 0;
    uint64_t runSize = 0;
    while (i <= FileCount) {
        if (runLength == 0) {
            runStart = i;
            runSize = FileList[i].Size;
            runLength = 1;
            ++i;
        } else if (FileList[i].Size == runSize && i < FileCount) {
            ++runLength;
            ++i;
        } else {
            // Record i is the last record or starts the next run; either way it is looked at again.
            const int32_t runEnd = FileList[i].Size == runSize ? i : i - 1;
            if (runEnd > runStart) {
                if (ProcessRun(runStart, runEnd) == TReadOutcome::Stopped)
                    return;
                if (runSize > 0) {
                    m_display.SetTotalFilesText(plat::FormatCount(int64_t(i) + 1, LocaleFormat));
                    ShowStatistics();
                    m_display.SetProgress(static_cast<int>(double(i) * 100.0 / double(FileCount)));
                }
            }
            runLength = 0;
        }
        GrowResultsIfNeeded();
    }
    m_display.SetTotalFilesText(plat::FormatCount(int64_t(FileCount) + 1, LocaleFormat));
    ShowStatistics();
    m_display.SetProgress(100);
}

void TComparison::ShowStatistics()
{
    m_display.SetDuplicateText(DuplicateCountText());
    m_display.SetDiskUsingText(DiskUsingText());
}

void TComparison::GrowResultsIfNeeded()
{
    if (ResultCapacity - GrowthStep < ResultCount) {
        GrowResultList();
        plat::PumpMessages();
    }
}

void TComparison::AppendResult(const TFileInfoType& record)
{
    EnsureResultRoom();
    ResultList.Put(ResultCount + 1, record);
    ++ResultCount;
}

TReadOutcome TComparison::ProcessRun(int32_t first, int32_t last)
{
    if (FileList[first].Size == 0) {
        // Empty files are all alike; none is read.
        ++m_groups;
        for (int32_t k = first; k <= last; ++k) {
            TFileInfoType record = FileList[k];
            record.Group = m_groups;
            AppendResult(record);
        }
        return TReadOutcome::Finished;
    }
    m_classes.clear();
    SetAsideSecondViews(first, last);
    if (FileList[first].Size <= CrcBlockSize) {
        // One block holds the whole file: a first-block checksum would read it all anyway.
        for (int32_t k = first; k <= last; ++k)
            FileList[k].Candidate = FileList[k].Unreadable ? 0 : 1;
    } else if (FirstBlockStage(first, last) == TReadOutcome::Stopped) {
        return TReadOutcome::Stopped;
    }
    if (WholeFileStage(first, last) == TReadOutcome::Stopped)
        return TReadOutcome::Stopped;
    SortFiles(FileList, first, last, CompareCrc, 1);
    CollectGroups(first, last);
    return TReadOutcome::Finished;
}

void TComparison::SetAsideSecondViews(int32_t first, int32_t last)
{
    // A record with the device and inode of an earlier one names no second file (a bind mount, a
    // link made while the scan ran): it is never read, so a file cannot be its own duplicate.
    std::unordered_set<plat::TFileId, plat::TFileIdHash> seen;
    for (int32_t k = first; k <= last; ++k) {
        TFileInfoType& record = FileList[k];
        record.Unreadable = seen.insert({record.Device, record.Inode}).second ? 0 : 1;
    }
}

TReadOutcome TComparison::FirstBlockStage(int32_t first, int32_t last)
{
    for (int32_t k = first; k <= last; ++k) {
        TFileInfoType& record = FileList[k];
        record.Candidate = 0;
        if (record.Unreadable) {
            record.Crc = 0;
            continue;
        }
        CurrentFile = FullPath(record);
        plat::TFileReader file;
        const int error = m_folders.OpenFile(record, file);
        if (plat::IsOutOfDescriptors(error))
            ThrowOutOfDescriptors();
        bool ok = false;
        record.Crc = error == 0 ? FirstBlockCrc32(file, &ok) : 0;
        record.Unreadable = ok ? 0 : 1;
        if (StopFlag == 1)
            return TReadOutcome::Stopped;
    }
    SortFiles(FileList, first, last, CompareCrc, 1);
    // Candidates share their first-block checksum with another readable file. The records of one
    // checksum stand together, with unreadable ones (checksum 0) anywhere among them.
    int32_t k = first;
    while (k <= last) {
        int32_t stretchEnd = k;
        int readable = 0;
        for (; stretchEnd <= last && FileList[stretchEnd].Crc == FileList[k].Crc; ++stretchEnd)
            readable += FileList[stretchEnd].Unreadable ? 0 : 1;
        for (int32_t m = k; m < stretchEnd; ++m)
            FileList[m].Candidate = readable >= 2 && !FileList[m].Unreadable ? 1 : 0;
        k = stretchEnd;
    }
    return TReadOutcome::Finished;
}

TReadOutcome TComparison::WholeFileStage(int32_t first, int32_t last)
{
    // The candidates of one first-block checksum form one set (for files of one block the whole
    // run is one set); only members of a set can be twins.
    const bool oneBlock = FileList[first].Size <= CrcBlockSize;
    int32_t k = first;
    while (k <= last) {
        int32_t setEnd = k;
        while (setEnd < last && (oneBlock || FileList[setEnd + 1].Crc == FileList[k].Crc))
            ++setEnd;
        std::vector<TContentMember> members;
        for (int32_t m = k; m <= setEnd; ++m)
            if (FileList[m].Candidate)
                members.push_back({FileList[m], 0, 0});
        if (members.size() < 2) {
            // A file with no possible twin is not read further.
            for (int32_t m = k; m <= setEnd; ++m)
                FileList[m].Candidate = 0;
            k = setEnd + 1;
            continue;
        }
        if (ReadSetSideBySide(members, m_folders, m_nextClass) == TReadOutcome::Stopped)
            return TReadOutcome::Stopped;
        size_t next = 0;
        for (int32_t m = k; m <= setEnd; ++m) {
            TFileInfoType& record = FileList[m];
            if (!record.Candidate)
                continue;
            const TContentMember& member = members[next++];
            record.Crc = member.Crc;
            record.Unreadable = member.Class == 0 ? 1 : 0;
            m_classes[record.Name.Index] = member.Class;
        }
        k = setEnd + 1;
        // Also when no file of the set could be opened, so no block was read and nothing pumped.
        if (StopFlag == 1)
            return TReadOutcome::Stopped;
    }
    return TReadOutcome::Finished;
}

void TComparison::CollectGroups(int32_t first, int32_t last)
{
    // Records with equal checksums stand together after the sort. Within such a stretch the
    // readable candidates are split by content: each class of two or more is a group, the classes
    // in the order of their first member, members in run order.
    int32_t k = first;
    while (k <= last) {
        int32_t stretchEnd = k;
        while (stretchEnd < last && FileList[stretchEnd + 1].Crc == FileList[k].Crc)
            ++stretchEnd;
        std::vector<std::vector<int32_t>> classes;
        for (int32_t m = k; m <= stretchEnd; ++m) {
            const TFileInfoType& record = FileList[m];
            if (!record.Candidate || record.Unreadable)
                continue;
            const uint32_t recordClass = m_classes[record.Name.Index];
            auto cls = std::find_if(classes.begin(), classes.end(), [&](const std::vector<int32_t>& c) {
                return m_classes[FileList[c.front()].Name.Index] == recordClass;
            });
            if (cls == classes.end())
                classes.push_back({m});
            else
                cls->push_back(m);
        }
        for (const std::vector<int32_t>& cls : classes) {
            if (cls.size() < 2)
                continue;
            ++m_groups;
            for (size_t n = 0; n < cls.size(); ++n) {
                TFileInfoType record = FileList[cls[n]];
                record.Group = m_groups;
                (n == 0 ? OriginalBytes : DuplicateBytes) += record.Size;
                AppendResult(record);
            }
        }
        k = stretchEnd + 1;
    }
}

} // namespace

void CompareFiles(TSearchDisplay& Display)
{
    TComparison(Display).Run();
}
