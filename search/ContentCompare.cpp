#include "ContentCompare.h"

#include "core/FileLists.h"
#include "platform/FileAccess.h"
#include "platform/Pump.h"
#include "search/ReadQueue.h"
#include "search/RecordAccess.h"
#include "search/crc32tab.h"

#include <xxhash.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <span>
#include <stdexcept>
#include <utility>

namespace {

// How many files are open at once; the bound keeps descriptors and buffers small. A larger set
// (all files of one small size form one) is read in batches.
constexpr size_t BatchSize = ReadsAtOnce;

struct THashStateDeleter
{
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

struct TSlot
{
    size_t Member = 0;
    const TFileInfoType* Record = nullptr; // shown while the file is read
    plat::TFileReader File;
    std::unique_ptr<uint8_t[]> Own; // the slot's block, unless the read queue lent one
    const uint8_t* Block = nullptr;
    std::unique_ptr<XXH3_state_t, THashStateDeleter> Hash;
    ssize_t Filled = 0;
    bool Ended = false;     // the last block read reached the end of the file
    bool Prefilled = false; // the block of the first round came from the read queue
    uint32_t Crc = 0xFFFFFFFFu;
};

bool SameBlock(const TSlot& a, const TSlot& b)
{
    return a.Filled == b.Filled && std::memcmp(a.Block, b.Block, static_cast<size_t>(a.Filled)) == 0;
}

void NoteRead(TSlot& slot, ssize_t filled)
{
    slot.Filled = filled;
    slot.Block = slot.Own.get();
    slot.Ended = filled == 0 || slot.File.AtEnd();
}

// Lists of slot indexes kept one after another, so that splitting them allocates nothing per file:
// part p holds Slots[Starts[p]] up to Slots[Starts[p + 1]].
struct TParts
{
    std::vector<size_t> Slots;
    std::vector<size_t> Starts{0};

    size_t Count() const { return Starts.size() - 1; }
    std::span<const size_t> operator[](size_t p) const
    {
        return {Slots.data() + Starts[p], Starts[p + 1] - Starts[p]};
    }
    void Add(std::span<const size_t> part)
    {
        Slots.insert(Slots.end(), part.begin(), part.end());
        Starts.push_back(Slots.size());
    }
    void Clear()
    {
        Slots.clear();
        Starts.assign(1, 0);
    }
};

// The next block of every slot of the open parts that has none yet, all at once.
void ReadRound(std::vector<TSlot>& readers, const TParts& open, TReadQueue& queue)
{
    std::vector<TRoundRead> reads;
    for (size_t s : open.Slots)
        if (!readers[s].Prefilled)
            reads.push_back({&readers[s].File, readers[s].Own.get(), 0});
    queue.ReadRound(reads);
    auto read = reads.begin();
    for (size_t s : open.Slots)
        if (!readers[s].Prefilled)
            NoteRead(readers[s], (read++)->Filled);
}

// Reads the readers to their ends in rounds of one block each, refining `parts` (lists of slot
// indexes holding equal bytes so far). Slots whose read fails leave their part.
TReadOutcome ReadInRounds(std::vector<TSlot>& readers, TParts& parts, bool wantSums, TReadQueue* queue)
{
    TParts open = parts, next, finished;
    std::vector<size_t> alive, subOf, leads, sub;
    while (open.Count() > 0) {
        next.Clear();
        if (queue)
            ReadRound(readers, open, *queue);
        const TFileInfoType* shown = nullptr; // the file whose block was checked last
        for (size_t p = 0; p < open.Count(); ++p) {
            alive.clear();
            for (size_t s : open[p]) {
                TSlot& slot = readers[s];
                shown = slot.Record;
                if (!queue)
                    NoteRead(slot, slot.File.ReadFull(slot.Own.get(), CrcBlockSize));
                slot.Prefilled = false;
                if (slot.Filled < 0) {
                    slot.File.Close();
                    continue;
                }
                if (wantSums) {
                    UpdateCrc32(slot.Block, static_cast<uint16_t>(slot.Filled), slot.Crc);
                    if (slot.Hash)
                        XXH3_64bits_update(slot.Hash.get(), slot.Block, static_cast<size_t>(slot.Filled));
                }
                alive.push_back(s);
            }
            // Split by this block: the sub-parts in the order of their first members, each keeping
            // the order of its members.
            leads.clear();
            subOf.clear();
            for (size_t s : alive) {
                size_t n = 0;
                while (n < leads.size() && !SameBlock(readers[leads[n]], readers[s]))
                    ++n;
                if (n == leads.size())
                    leads.push_back(s);
                subOf.push_back(n);
            }
            for (size_t n = 0; n < leads.size(); ++n) {
                sub.clear();
                for (size_t a = 0; a < alive.size(); ++a)
                    if (subOf[a] == n)
                        sub.push_back(alive[a]);
                // A part is done when its files are read to the size they had when opened (no
                // further read that returns nothing: one system call less per file). Without
                // sums to finish, a file that differs from all others is decided too.
                const bool ended =
                    std::all_of(sub.begin(), sub.end(), [&](size_t s) { return readers[s].Ended; });
                const bool decided = ended || (!wantSums && sub.size() == 1);
                (decided ? finished : next).Add(sub);
            }
        }
        std::swap(open, next);
        if (shown)
            SetFullPath(CurrentFile, *shown);
        plat::PumpMessages();
        if (StopFlag == 1)
            return TReadOutcome::Stopped;
    }
    parts = std::move(finished);
    return TReadOutcome::Finished;
}

std::unique_ptr<uint8_t[]> NewBlock()
{
    return std::make_unique_for_overwrite<uint8_t[]>(CrcBlockSize);
}

// Opens one file for a slot. Returns false when the file cannot be read; an open refused for want
// of descriptors is thrown, as nothing else of this comparison holds any at that point.
bool OpenSlot(TSlot& slot, const TFileInfoType& record, TRecordFolders& folders)
{
    slot.Record = &record;
    SetFullPath(CurrentFile, record);
    const int error = folders.OpenFile(record, slot.File);
    if (plat::IsOutOfDescriptors(error))
        ThrowOutOfDescriptors();
    slot.Own = NewBlock();
    return error == 0;
}

// Compares two files byte for byte (used when twins fall into different batches).
TReadOutcome SameFiles(const TFileInfoType& a, const TFileInfoType& b, TRecordFolders& folders, bool& same,
                       TReadQueue* queue)
{
    std::vector<TSlot> readers(2);
    same = false;
    if (!OpenSlot(readers[0], a, folders) || !OpenSlot(readers[1], b, folders))
        return TReadOutcome::Finished;
    TParts parts;
    parts.Add(std::array<size_t, 2>{0, 1});
    const TReadOutcome outcome = ReadInRounds(readers, parts, false, queue);
    same = outcome == TReadOutcome::Finished && parts.Count() == 1 && parts[0].size() == 2;
    return outcome;
}

// Opens a member for its slot, or takes its block from the queue where the queue has read the
// file whole. Returns 0 or the errno of the open.
int OpenMember(const TContentMember& member, TRecordFolders& folders, TReadQueue* queue, TSlot& slot)
{
    if (queue && member.Index >= 0 && member.Record.Size <= CrcBlockSize) {
        const TQueuedBlock& block = queue->Take(member.Index);
        if (block.Error != 0 || block.Whole) {
            slot.Block = block.Data;
            slot.Filled = block.Filled;
            slot.Ended = slot.Prefilled = true;
            return block.Error;
        }
        // The file changed while it was read: read it as if it had not been queued.
    }
    return folders.OpenFile(member.Record, slot.File);
}

// Opens the next members of the set, from `next` on, up to one batch. A member that cannot be
// read stays out (class 0); when descriptors run out the batch is cut short and the member waits
// for the next one.
void OpenBatch(std::vector<TContentMember>& members, size_t& next, TRecordFolders& folders,
               std::vector<TSlot>& readers, TReadQueue* queue)
{
    readers.clear();
    readers.reserve(BatchSize);
    while (readers.size() < BatchSize && next < members.size()) {
        TContentMember& member = members[next];
        member.Crc = 0;
        member.Class = 0;
        TSlot slot;
        slot.Member = next;
        slot.Record = &member.Record;
        SetFullPath(CurrentFile, member.Record);
        const int error = OpenMember(member, folders, queue, slot);
        if (plat::IsOutOfDescriptors(error)) {
            if (readers.empty())
                ThrowOutOfDescriptors();
            return;
        }
        ++next;
        if (error != 0)
            continue;
        if (!slot.Prefilled)
            slot.Own = NewBlock();
        // Only a set read in several batches compares files of different batches.
        if (members.size() > BatchSize) {
            slot.Hash.reset(XXH3_createState());
            if (!slot.Hash)
                throw std::bad_alloc();
            XXH3_64bits_reset(slot.Hash.get());
        }
        readers.push_back(std::move(slot));
    }
}

} // namespace

TReadOutcome ReadSetSideBySide(std::vector<TContentMember>& members, TRecordFolders& folders,
                               uint32_t& nextClass, TReadQueue* queue)
{
    // The class of each checksum pair met in earlier batches, with one member standing for it.
    std::multimap<std::pair<uint32_t, uint64_t>, std::pair<uint32_t, size_t>> earlierClasses;

    size_t next = 0;
    std::vector<TSlot> readers;
    while (next < members.size()) {
        OpenBatch(members, next, folders, readers, queue);
        TParts parts;
        if (!readers.empty()) {
            parts.Slots.resize(readers.size());
            std::iota(parts.Slots.begin(), parts.Slots.end(), size_t(0));
            parts.Starts.push_back(readers.size());
        }
        if (ReadInRounds(readers, parts, true, queue) == TReadOutcome::Stopped)
            return TReadOutcome::Stopped;

        std::vector<std::pair<uint32_t, uint64_t>> sums(readers.size());
        for (size_t s = 0; s < readers.size(); ++s) {
            const TSlot& slot = readers[s];
            sums[s] = {slot.Crc ^ 0xFFFFFFFFu, slot.Hash ? XXH3_64bits_digest(slot.Hash.get()) : 0};
            readers[s].File.Close(); // the descriptors go back before any file of another batch opens
        }
        // The parts of one batch differ in their bytes already; only earlier batches can hold their twins.
        std::vector<std::pair<std::pair<uint32_t, uint64_t>, std::pair<uint32_t, size_t>>> newClasses;
        for (size_t p = 0; p < parts.Count(); ++p) {
            const std::span<const size_t> part = parts[p];
            const size_t lead = readers[part.front()].Member;
            const auto key = sums[part.front()];
            uint32_t cls = 0;
            for (auto [it, end] = earlierClasses.equal_range(key); it != end && cls == 0; ++it) {
                bool same = false;
                if (SameFiles(members[it->second.second].Record, members[lead].Record, folders, same,
                              queue) == TReadOutcome::Stopped)
                    return TReadOutcome::Stopped;
                if (same)
                    cls = it->second.first;
            }
            if (cls == 0) {
                cls = ++nextClass;
                newClasses.push_back({key, {cls, lead}});
            }
            for (size_t s : part) {
                TContentMember& member = members[readers[s].Member];
                member.Crc = key.first;
                member.Class = cls;
            }
        }
        if (next < members.size()) // only a later batch looks for them
            earlierClasses.insert(newClasses.begin(), newClasses.end());
        if (queue)
            queue->Recycle();
    }
    return TReadOutcome::Finished;
}
