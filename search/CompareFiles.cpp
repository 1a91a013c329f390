#include "CompareFiles.h"

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/LocaleText.h"
#include "platform/Pump.h"
#include "search/ContentCompare.h"
#include "search/ReadQueue.h"
#include "search/RecordAccess.h"
#include "search/SecondViews.h"
#include "search/crc32tab.h"

#include <algorithm>
#include <memory>
#include <utility>
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
    uint32_t FirstBlockChecksum(int32_t k, bool& ok);
    TReadOutcome WholeFileStage(int32_t first, int32_t last);
    void CollectGroups(int32_t first, int32_t last);
    uint32_t ClassOf(const TFileInfoType& record) const;
    void AppendResult(const TFileInfoType& record);
    void GrowResultsIfNeeded();
    void ShowStatistics();

    TSearchDisplay& m_display;
    TRecordFolders m_folders;
    TSecondViews m_secondViews;
    // Reads ahead when the system allows; goes before the folders its requests name.
    std::unique_ptr<TReadQueue> m_queue = TReadQueue::Start(m_folders);
    int32_t m_groups = 0;     // G: groups numbered so far
    uint32_t m_nextClass = 0; // content classes handed out
    // The content class of each record of the run being processed, by its name reference (unique
    // per record): the run is sorted after its files are read, so records cannot be told by place.
    std::vector<std::pair<uint32_t, uint32_t>> m_classes;
    // Working memory kept from one set and one stretch to the next.
    std::vector<TContentMember> m_members;
    std::vector<std::pair<uint32_t, int32_t>> m_classMembers; // class, place in the run
    std::vector<std::pair<int32_t, size_t>> m_groupStarts;    // first place, index in m_classMembers
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
    const std::vector<uint8_t>& repeats = m_secondViews.Find(first, last);
    for (int32_t k = first; k <= last; ++k)
        FileList[k].Unreadable = repeats[size_t(k - first)];
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
        bool ok = false;
        record.Crc = FirstBlockChecksum(k, ok);
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

uint32_t TComparison::FirstBlockChecksum(int32_t k, bool& ok)
{
    if (m_queue)
        return m_queue->FirstBlockCrc32(k, ok);
    const TFileInfoType& record = FileList[k];
    SetFullPath(CurrentFile, record);
    plat::TFileReader file;
    const int error = m_folders.OpenFile(record, file);
    if (plat::IsOutOfDescriptors(error))
        ThrowOutOfDescriptors();
    return error == 0 ? FirstBlockCrc32(file, &ok) : 0;
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
        std::vector<TContentMember>& members = m_members;
        members.clear();
        for (int32_t m = k; m <= setEnd; ++m)
            if (FileList[m].Candidate)
                members.push_back({FileList[m], 0, 0, m});
        if (members.size() < 2) {
            // A file with no possible twin is not read further.
            for (int32_t m = k; m <= setEnd; ++m)
                FileList[m].Candidate = 0;
            k = setEnd + 1;
            continue;
        }
        if (ReadSetSideBySide(members, m_folders, m_nextClass, m_queue.get()) == TReadOutcome::Stopped)
            return TReadOutcome::Stopped;
        size_t next = 0;
        for (int32_t m = k; m <= setEnd; ++m) {
            TFileInfoType& record = FileList[m];
            if (!record.Candidate)
                continue;
            const TContentMember& member = members[next++];
            record.Crc = member.Crc;
            record.Unreadable = member.Class == 0 ? 1 : 0;
            m_classes.emplace_back(record.Name.Index, member.Class);
        }
        k = setEnd + 1;
        // Also when no file of the set could be opened, so no block was read and nothing pumped.
        if (StopFlag == 1)
            return TReadOutcome::Stopped;
    }
    return TReadOutcome::Finished;
}

uint32_t TComparison::ClassOf(const TFileInfoType& record) const
{
    const auto it = std::lower_bound(m_classes.begin(), m_classes.end(), std::pair(record.Name.Index, 0u));
    return it != m_classes.end() && it->first == record.Name.Index ? it->second : 0;
}

void TComparison::CollectGroups(int32_t first, int32_t last)
{
    std::sort(m_classes.begin(), m_classes.end());
    // Records with equal checksums stand together after the sort. Within such a stretch the
    // readable candidates are split by content: each class of two or more is a group, the classes
    // in the order of their first member, members in run order.
    int32_t k = first;
    while (k <= last) {
        int32_t stretchEnd = k;
        while (stretchEnd < last && FileList[stretchEnd + 1].Crc == FileList[k].Crc)
            ++stretchEnd;
        m_classMembers.clear();
        for (int32_t m = k; m <= stretchEnd; ++m) {
            const TFileInfoType& record = FileList[m];
            if (record.Candidate && !record.Unreadable)
                m_classMembers.emplace_back(ClassOf(record), m);
        }
        // Members of one class together, in run order; then the classes by their first member.
        std::sort(m_classMembers.begin(), m_classMembers.end());
        m_groupStarts.clear();
        for (size_t n = 0; n < m_classMembers.size(); ++n)
            if (n == 0 || m_classMembers[n].first != m_classMembers[n - 1].first)
                m_groupStarts.emplace_back(m_classMembers[n].second, n);
        std::sort(m_groupStarts.begin(), m_groupStarts.end());
        for (const auto& [place, start] : m_groupStarts) {
            size_t end = start + 1;
            while (end < m_classMembers.size() && m_classMembers[end].first == m_classMembers[start].first)
                ++end;
            if (end - start < 2)
                continue;
            ++m_groups;
            for (size_t n = start; n < end; ++n) {
                TFileInfoType record = FileList[m_classMembers[n].second];
                record.Group = m_groups;
                (n == start ? OriginalBytes : DuplicateBytes) += record.Size;
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
