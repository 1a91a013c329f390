#include "ContentCompare.h"

#include "core/FileLists.h"
#include "platform/FileAccess.h"
#include "platform/Pump.h"
#include "search/crc32tab.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

// How many files are open at once; the bound keeps descriptors and buffers small. A larger set
// (all files of one small size form one) is read in batches, and twins in different batches are
// found through their checksums and confirmed byte for byte.
constexpr size_t BatchSize = 32;

struct TSlot
{
    size_t Member = 0;
    plat::TFileReader File;
    std::unique_ptr<uint8_t[]> Block;
    ssize_t Filled = 0;
    uint32_t Crc = 0xFFFFFFFFu;
};

bool SameBlock(const TSlot& a, const TSlot& b)
{
    return a.Filled == b.Filled &&
           std::memcmp(a.Block.get(), b.Block.get(), static_cast<size_t>(a.Filled)) == 0;
}

// Reads the readers to their ends in rounds of one block each, refining `parts` (lists of slot
// indexes holding equal bytes so far). Slots whose read fails leave their part.
TReadOutcome ReadInRounds(std::vector<TSlot>& readers, std::vector<std::vector<size_t>>& parts, bool wantCrc)
{
    std::vector<std::vector<size_t>> open = parts, finished;
    while (!open.empty()) {
        std::vector<std::vector<size_t>> next;
        for (const std::vector<size_t>& part : open) {
            std::vector<size_t> alive;
            for (size_t s : part) {
                TSlot& slot = readers[s];
                slot.Filled = slot.File.ReadFull(slot.Block.get(), CrcBlockSize);
                if (slot.Filled < 0) {
                    slot.File.Close();
                    continue;
                }
                if (wantCrc)
                    UpdateCrc32(slot.Block.get(), static_cast<uint16_t>(slot.Filled), slot.Crc);
                alive.push_back(s);
            }
            // Split by this block: each sub-part keeps the order of its members.
            std::vector<std::vector<size_t>> split;
            for (size_t s : alive) {
                auto same = std::find_if(split.begin(), split.end(), [&](const std::vector<size_t>& sub) {
                    return SameBlock(readers[sub.front()], readers[s]);
                });
                if (same == split.end())
                    split.push_back({s});
                else
                    same->push_back(s);
            }
            for (std::vector<size_t>& sub : split) {
                // A part is done when its files are read to the size they had when opened (no
                // further read that returns nothing: one system call less per file). Without
                // checksums to finish, a file that differs from all others is decided too.
                const bool ended = std::all_of(sub.begin(), sub.end(), [&](size_t s) {
                    return readers[s].Filled == 0 || readers[s].File.AtEnd();
                });
                const bool decided = ended || (!wantCrc && sub.size() == 1);
                (decided ? finished : next).push_back(std::move(sub));
            }
        }
        open.swap(next);
        plat::PumpMessages();
        if (StopFlag == 1)
            return TReadOutcome::Stopped;
    }
    parts.swap(finished);
    return TReadOutcome::Finished;
}

std::unique_ptr<uint8_t[]> NewBlock()
{
    return std::make_unique_for_overwrite<uint8_t[]>(CrcBlockSize);
}

// Compares two files byte for byte (used when twins fall into different batches).
TReadOutcome SameFiles(const QString& a, const QString& b, bool& same)
{
    std::vector<TSlot> readers(2);
    readers[0].Block = NewBlock();
    readers[1].Block = NewBlock();
    same = false;
    CurrentFile = a;
    if (readers[0].File.Open(a) != 0 || readers[1].File.Open(b) != 0)
        return TReadOutcome::Finished;
    std::vector<std::vector<size_t>> parts{{0, 1}};
    const TReadOutcome outcome = ReadInRounds(readers, parts, false);
    same = outcome == TReadOutcome::Finished && parts.size() == 1 && parts.front().size() == 2;
    return outcome;
}

} // namespace

TReadOutcome ReadSetSideBySide(std::vector<TContentMember>& members, uint32_t& nextClass)
{
    // The class of each checksum met in earlier batches, with one member standing for it.
    std::multimap<uint32_t, std::pair<uint32_t, size_t>> earlierClasses;

    for (size_t first = 0; first < members.size(); first += BatchSize) {
        const size_t count = std::min(BatchSize, members.size() - first);
        std::vector<TSlot> readers(count);
        std::vector<size_t> opened;
        for (size_t s = 0; s < count; ++s) {
            TSlot& slot = readers[s];
            slot.Member = first + s;
            TContentMember& member = members[slot.Member];
            member.Crc = 0;
            member.Class = 0;
            CurrentFile = member.Path;
            if (slot.File.Open(member.Path) == 0) {
                slot.Block = NewBlock();
                opened.push_back(s);
            }
        }
        std::vector<std::vector<size_t>> parts;
        if (!opened.empty())
            parts.push_back(opened);
        if (ReadInRounds(readers, parts, true) == TReadOutcome::Stopped)
            return TReadOutcome::Stopped;

        for (const std::vector<size_t>& part : parts) {
            uint32_t cls = 0;
            const TSlot& lead = readers[part.front()];
            const uint32_t crc = lead.Crc ^ 0xFFFFFFFFu;
            for (auto [it, end] = earlierClasses.equal_range(crc); it != end && cls == 0; ++it) {
                bool same = false;
                if (SameFiles(members[it->second.second].Path, members[lead.Member].Path, same) ==
                    TReadOutcome::Stopped)
                    return TReadOutcome::Stopped;
                if (same)
                    cls = it->second.first;
            }
            if (cls == 0) {
                cls = ++nextClass;
                earlierClasses.emplace(crc, std::make_pair(cls, lead.Member));
            }
            for (size_t s : part) {
                TContentMember& member = members[readers[s].Member];
                member.Crc = crc;
                member.Class = cls;
            }
        }
    }
    return TReadOutcome::Finished;
}
