#include "ReadQueue.h"

#include "core/FileLists.h"
#include "platform/Pump.h"
#include "search/ReadPlan.h"
#include "search/crc32tab.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

constexpr unsigned RingEntries = 256;
// A block rounded up; every block of the queue starts on a 64-byte line.
constexpr uint32_t SlotBytes = 65536;
constexpr uint32_t LineBytes = 64;
// Blocks taken and not yet recycled (a side-by-side batch at most) plus one block lost where
// the arena wraps: whatever the comparison holds, the block it asks for next always fits.
constexpr uint32_t ArenaBytes = (ReadsAtOnce + 1) * SlotBytes;
constexpr size_t MaxRequests = 2 * ReadsAtOnce;
// How long a wait for the kernel goes on before the window gets a pump.
constexpr std::chrono::milliseconds WaitSlice{10};
constexpr std::chrono::milliseconds NoLimit{-1};
// Queued requests handed to the kernel at once while the comparison has what it needs.
constexpr unsigned SubmitBatch = 8;

enum TOperation : uint64_t
{
    OpOpen = 1,
    OpRead,
    OpClose,
    OpRound,
    OpCancel
};

uint64_t Tag(TOperation op, uint64_t id)
{
    return id << 3 | op;
}

// What is asked of a file: its first block, or for a file of one block one byte more than it
// should hold, so that a file that grew since the scan is told from one that did not.
uint32_t WantedBytes(uint64_t size)
{
    return size >= CrcBlockSize ? CrcBlockSize : uint32_t(size) + 1;
}

} // namespace

enum class TReadQueue::TState : uint8_t
{
    Free,
    Opening,
    Reading,
    Done
};

struct TReadQueue::TRequest
{
    int32_t Index = -1; // in FileList
    uint32_t Offset = 0;
    uint32_t Wanted = 0;
    TState State = TState::Free;
    plat::TFileStamp Stamp;
    plat::TFileReader File;
    TNameBytes Name; // read by the kernel until the open has finished
    TQueuedBlock Block;
};

std::unique_ptr<TReadQueue> TReadQueue::Start(TRecordFolders& folders)
{
    if (!qEnvironmentVariableIsEmpty("PAIRWICK_PLAIN_READS"))
        return nullptr;
    std::unique_ptr<TReadQueue> queue(new TReadQueue(folders));
    if (!queue->m_ring.Ready())
        return nullptr;
    return queue;
}

TReadQueue::TReadQueue(TRecordFolders& folders)
    : m_folders(folders), m_ring(RingEntries), m_plan(std::make_unique<TReadPlan>()),
      m_arena(static_cast<uint8_t*>(std::aligned_alloc(4096, ArenaBytes)), &std::free),
      m_requests(std::make_unique<TRequest[]>(MaxRequests))
{
    if (!m_arena)
        throw std::bad_alloc();
    // An open in flight names its folder by descriptor: no folder may close under it.
    m_folders.SetReleaseGuard([this] { WaitUntil([this] { return m_opening == 0; }, false); });
}

TReadQueue::~TReadQueue()
{
    m_folders.SetReleaseGuard({});
    m_draining = true;
    if (m_inFlight > 0 && m_ring.Ready()) {
        m_ring.CancelAll(Tag(OpCancel, 0));
        ++m_inFlight;
    }
    WaitUntil([this] { return m_inFlight == 0; }, false);
}

TReadQueue::TRequest& TReadQueue::Request(uint64_t sequence)
{
    return m_requests[sequence % MaxRequests];
}

bool TReadQueue::Allocate(uint32_t bytes, uint32_t& offset)
{
    bytes = (bytes + LineBytes - 1) / LineBytes * LineBytes;
    if (m_recycled == m_planned) {
        offset = 0;
    } else {
        // Blocks are handed out and given back in order: the live ones lie from the oldest on.
        const uint32_t tail = Request(m_recycled).Offset;
        if (m_arenaHead >= tail && m_arenaHead + bytes <= ArenaBytes)
            offset = m_arenaHead;
        else if (m_arenaHead >= tail && bytes < tail)
            offset = 0;
        else if (m_arenaHead < tail && m_arenaHead + bytes < tail)
            offset = m_arenaHead;
        else
            return false;
    }
    m_arenaHead = offset + bytes;
    return true;
}

void TReadQueue::Fill()
{
    int32_t index = 0;
    while (m_planned - m_taken < m_depth && m_planned - m_recycled < MaxRequests && m_plan->Peek(index)) {
        const uint32_t wanted = WantedBytes(FileList[index].Size);
        uint32_t offset = 0;
        if (!Allocate(wanted, offset))
            break;
        m_plan->Advance();
        TRequest& request = Request(m_planned++);
        request.Index = index;
        request.Offset = offset;
        request.Wanted = wanted;
        request.Stamp = RecordStamp(FileList[index]);
        Open(request);
    }
    if (m_ring.Queued() >= SubmitBatch)
        m_ring.Submit();
}

void TReadQueue::Open(TRequest& request)
{
    request.Block = TQueuedBlock{};
    request.Block.Data = m_arena.get() + request.Offset;
    request.State = TState::Done;
    const TFileInfoType& record = FileList[request.Index];
    int error = 0;
    const int folder = m_folders.Folder(record.PathIndex, error);
    if (folder < 0) {
        request.Block.Error = error;
        return;
    }
    if (!RecordNameBytes(record, request.Name)) {
        request.Block.Error = ENAMETOOLONG;
        return;
    }
    const uint64_t id = uint64_t(&request - m_requests.get());
    m_ring.OpenAt(Tag(OpOpen, id), folder, request.Name.data(), plat::TFileReader::OpenFlags);
    request.State = TState::Opening;
    ++m_inFlight;
    ++m_opening;
}

void TReadQueue::ReadOn(TRequest& request)
{
    const uint64_t id = uint64_t(&request - m_requests.get());
    const uint32_t filled = request.Block.Filled;
    m_ring.Read(Tag(OpRead, id), request.File.Descriptor(), m_arena.get() + request.Offset + filled,
                request.Wanted - filled, request.File.Offset());
    request.State = TState::Reading;
    ++m_inFlight;
}

void TReadQueue::Finish(TRequest& request)
{
    m_ring.Close(Tag(OpClose, 0), request.File.Release());
    ++m_inFlight;
    request.State = TState::Done;
}

void TReadQueue::OnOpened(TRequest& request, int result)
{
    --m_opening;
    request.State = TState::Done;
    if (result < 0) {
        request.Block.Error = -result;
        if (plat::IsOutOfDescriptors(-result))
            m_depth = std::max<size_t>(1, m_depth / 2); // fewer files at once from here on
        return;
    }
    if (m_draining) {
        ::close(result);
        return;
    }
    // The same check as every open for reading: a regular file that is still the one the scan saw.
    request.Block.Error = request.File.Adopt(result, &request.Stamp);
    if (request.Block.Error == 0)
        ReadOn(request);
}

void TReadQueue::OnRead(TRequest& request, int result)
{
    if (result == -EAGAIN && !m_draining) {
        request.File.MakeBlocking();
        ReadOn(request);
        return;
    }
    if (result < 0) {
        request.Block.Error = -result;
        Finish(request);
        return;
    }
    request.File.CountRead(size_t(result));
    request.Block.Filled += uint32_t(result);
    if (!m_draining && request.File.ReadsOn(result, request.Block.Filled, request.Wanted)) {
        ReadOn(request);
        return;
    }
    request.Block.Whole = request.File.Offset() == request.File.SizeAtOpen();
    Finish(request);
}

void TReadQueue::ReadOn(size_t round)
{
    TRoundRead& read = m_round[round];
    m_ring.Read(Tag(OpRound, round), read.File->Descriptor(), read.Buffer + read.Filled,
                unsigned(CrcBlockSize - size_t(read.Filled)), read.File->Offset());
    ++m_inFlight;
}

void TReadQueue::OnRoundRead(size_t round, int result)
{
    TRoundRead& read = m_round[round];
    if (result == -EAGAIN && !m_draining) {
        read.File->MakeBlocking();
        ReadOn(round);
        return;
    }
    if (result < 0) {
        read.Filled = -1;
    } else {
        read.File->CountRead(size_t(result));
        read.Filled += result;
        if (!m_draining && read.File->ReadsOn(result, size_t(read.Filled), CrcBlockSize)) {
            ReadOn(round);
            return;
        }
    }
    --m_roundLeft;
}

bool TReadQueue::Dispatch()
{
    plat::TIoCompletion completion;
    bool any = false;
    while (m_ring.Next(completion)) {
        any = true;
        --m_inFlight;
        const uint64_t id = completion.Tag >> 3;
        switch (TOperation(completion.Tag & 7)) {
        case OpOpen:
            OnOpened(m_requests[id], completion.Result);
            break;
        case OpRead:
            OnRead(m_requests[id], completion.Result);
            break;
        case OpRound:
            OnRoundRead(id, completion.Result);
            break;
        default: // closes and cancellations need nothing more
            break;
        }
    }
    return any;
}

template <class TDone> void TReadQueue::WaitUntil(TDone done, bool pump)
{
    while (!done()) {
        if (Dispatch())
            continue;
        if (!m_ring.Wait(pump ? WaitSlice : NoLimit) && pump)
            plat::PumpMessages();
    }
}

void TReadQueue::DropAhead()
{
    WaitUntil(
        [this] {
            for (uint64_t s = m_taken; s < m_planned; ++s)
                if (Request(s).State != TState::Done)
                    return false;
            return true;
        },
        true);
    if (m_taken < m_planned)
        m_arenaHead = Request(m_taken).Offset;
    m_planned = m_taken;
}

void TReadQueue::RetryAlone(TRequest& request)
{
    // Every other file of the queue closes first, and the kept folders go too.
    WaitUntil([this] { return m_inFlight == 0; }, true);
    m_folders.Release();
    Open(request);
    WaitUntil([&] { return request.State == TState::Done; }, true);
}

const TQueuedBlock& TReadQueue::Take(int32_t index)
{
    Fill();
    if (m_taken == m_planned || Request(m_taken).Index != index) {
        // The plan foresaw another record (a batch cut short goes back to one it took already).
        DropAhead();
        m_plan->RestartAt(index);
        Fill();
        if (m_taken == m_planned)
            throw std::logic_error("read queue: no room for the block asked for");
    }
    TRequest& request = Request(m_taken);
    WaitUntil([&] { return request.State == TState::Done; }, true);
    if (plat::IsOutOfDescriptors(request.Block.Error))
        RetryAlone(request);
    ++m_taken;
    return request.Block;
}

void TReadQueue::Recycle()
{
    m_recycled = m_taken;
    if (m_recycled == m_planned)
        m_arenaHead = 0;
}

uint32_t TReadQueue::FirstBlockCrc32(int32_t index, bool& ok)
{
    ok = false;
    SetFullPath(CurrentFile, FileList[index]);
    const TQueuedBlock& block = Take(index);
    if (plat::IsOutOfDescriptors(block.Error))
        ThrowOutOfDescriptors();
    const uint32_t crc = block.Error == 0 ? ::FirstBlockCrc32(block.Data, block.Filled, &ok) : 0;
    Recycle();
    return crc;
}

void TReadQueue::ReadRound(std::span<TRoundRead> reads)
{
    m_round = reads;
    m_roundLeft = reads.size();
    for (size_t r = 0; r < reads.size(); ++r) {
        reads[r].Filled = 0;
        ReadOn(r);
    }
    try {
        WaitUntil([this] { return m_roundLeft == 0; }, true);
    } catch (...) {
        // The buffers belong to the caller: nothing may still write into them.
        WaitUntil([this] { return m_roundLeft == 0; }, false);
        m_round = {};
        throw;
    }
    m_round = {};
}
