#include "CompareFiles.h"

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/FolderHandles.h"
#include "platform/LocaleText.h"
#include "platform/Pump.h"
#include "search/ContentCompare.h"
#include "search/crc32tab.h"

#include <vector>

namespace {

class TComparison
{
public:
    explicit TComparison(TSearchDisplay& display) : m_display(display) {}

    void Run();

private:
    TReadOutcome ProcessRun(int32_t first, int32_t last);
    TReadOutcome FirstBlockStage(int32_t first, int32_t last);
    TReadOutcome WholeFileStage(int32_t first, int32_t last);
    void CollectGroups(int32_t first, int32_t last);
    void AppendResult(const TFileInfoType& record);
    void GrowResultsIfNeeded();
    void ShowStatistics();

    TSearchDisplay& m_display;
    int32_t m_groups = 0;     // G: groups numbered so far
    uint32_t m_nextClass = 0; // content classes handed out
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
    m_display.SetDuplicateText(plat::FormatCount(m_groups, LocaleFormat) + QStringLiteral(" + ") +
                               plat::FormatCount(int64_t(ResultCount) + 1 - m_groups, LocaleFormat));
    m_display.SetDiskUsingText(SizeText(int64_t(OriginalBytes)) + QStringLiteral(" + ") +
                               SizeText(int64_t(DuplicateBytes)));
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
    if (FileList[first].Size <= CrcBlockSize) {
        // One block holds the whole file: a first-block checksum would read it all anyway.
        for (int32_t k = first; k <= last; ++k)
            FileList[k].Candidate = 1;
    } else if (FirstBlockStage(first, last) == TReadOutcome::Stopped) {
        return TReadOutcome::Stopped;
    }
    if (WholeFileStage(first, last) == TReadOutcome::Stopped)
        return TReadOutcome::Stopped;
    SortFiles(FileList, first, last, CompareCrc, 1);
    CollectGroups(first, last);
    return TReadOutcome::Finished;
}

TReadOutcome TComparison::FirstBlockStage(int32_t first, int32_t last)
{
    for (int32_t k = first; k <= last; ++k) {
        TFileInfoType& record = FileList[k];
        record.Candidate = 0;
        CurrentFile = FullPath(record);
        bool ok = false;
        record.Crc = FirstBlockCrc32(CurrentFile, &ok);
        record.Unreadable = ok ? 0 : 1;
        if (StopFlag == 1)
            return TReadOutcome::Stopped;
    }
    SortFiles(FileList, first, last, CompareCrc, 1);
    // A candidate shares its first-block checksum with a neighbour; a file whose first block
    // could not be read shares nothing.
    auto twins = [](const TFileInfoType& a, const TFileInfoType& b) {
        return a.Crc == b.Crc && !a.Unreadable && !b.Unreadable;
    };
    for (int32_t k = first; k <= last; ++k) {
        const bool before = k > first && twins(FileList[k], FileList[k - 1]);
        const bool after = k < last && twins(FileList[k], FileList[k + 1]);
        FileList[k].Candidate = (before || after) ? 1 : 0;
    }
    return TReadOutcome::Finished;
}

TReadOutcome TComparison::WholeFileStage(int32_t first, int32_t last)
{
    // Candidates next to each other with the same first-block checksum form one set (for files
    // of one block the whole run is one set); only members of a set can be twins.
    int32_t k = first;
    while (k <= last) {
        if (!FileList[k].Candidate) {
            ++k;
            continue;
        }
        int32_t setEnd = k;
        while (setEnd < last && FileList[setEnd + 1].Candidate &&
               (FileList[first].Size <= CrcBlockSize || FileList[setEnd + 1].Crc == FileList[k].Crc))
            ++setEnd;
        std::vector<TContentMember> members;
        members.reserve(static_cast<size_t>(setEnd - k + 1));
        for (int32_t m = k; m <= setEnd; ++m)
            members.push_back({FullPath(FileList[m]), 0, 0});
        if (ReadSetSideBySide(members, m_nextClass) == TReadOutcome::Stopped)
            return TReadOutcome::Stopped;
        for (int32_t m = k; m <= setEnd; ++m) {
            const TContentMember& member = members[static_cast<size_t>(m - k)];
            TFileInfoType& record = FileList[m];
            record.Crc = member.Crc;
            record.Unreadable = member.Class == 0 ? 1 : 0;
            record.ContentClass = member.Class;
        }
        k = setEnd + 1;
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
            auto cls = std::find_if(classes.begin(), classes.end(), [&](const std::vector<int32_t>& c) {
                return FileList[c.front()].ContentClass == record.ContentClass;
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
    // Files are read in size order, so their folders come round again and again.
    plat::TFolderHandleCache folders;
    TComparison(Display).Run();
}
