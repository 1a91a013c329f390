#pragma once

#include "platform/FileAccess.h"
#include "platform/IoRing.h"
#include "search/RecordAccess.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class TReadPlan;

// How many files the comparison reads at once: the batches of the side-by-side reading, and the
// files the read queue keeps in flight ahead of the comparison.
inline constexpr size_t ReadsAtOnce = 32;

// The first block of a file as the read queue delivers it.
struct TQueuedBlock
{
    int Error = 0; // 0, or the errno that explains why the file cannot be read (ESTALE among them)
    const uint8_t* Data = nullptr; // valid until TReadQueue::Recycle()
    uint32_t Filled = 0;
    bool Whole = false; // the file held exactly these bytes when it was opened
};

// One read of a round of the side-by-side comparison: the next block of a file already open.
struct TRoundRead
{
    plat::TFileReader* File = nullptr;
    uint8_t* Buffer = nullptr; // room for CrcBlockSize bytes
    ssize_t Filled = 0;        // as ReadFull gives it: the bytes read, or -1
};

// The reads of one comparison kept in flight through io_uring, all from the calling thread. While
// the comparison works on one file, the first blocks of the files it will ask for next (the records
// of FileList in order, across runs of equal size) are already being opened, read and closed; the
// comparison takes them in its own order whatever order the kernel finishes them in. Files are
// opened as TRecordFolders::OpenFile opens them (relative to their checked folder, no link
// followed) and checked with the same call after the open. Memory is fixed: ReadsAtOnce + 1
// blocks of 64 KiB and the ring. Whatever is in flight when the queue goes is cancelled or waited
// for, and every descriptor it opened is closed.
class TReadQueue
{
public:
    // A queue over FileList that reaches files through `folders`; nullptr where io_uring cannot be
    // used (or the environment variable PAIRWICK_PLAIN_READS is set): the comparison then reads
    // each file when it comes to it.
    static std::unique_ptr<TReadQueue> Start(TRecordFolders& folders);
    ~TReadQueue();
    TReadQueue(const TReadQueue&) = delete;
    TReadQueue& operator=(const TReadQueue&) = delete;

    // What FirstBlockCrc32 gives for FileList record `index`, which is shown in CurrentFile: 0
    // when the file cannot be read, 1 when StopFlag is 1 after the pump that follows the block.
    // Throws std::runtime_error when no descriptor is left to open the file.
    uint32_t FirstBlockCrc32(int32_t index, bool& ok);
    // The first block of FileList record `index`: CrcBlockSize bytes, or for a file of one block
    // everything it holds (Whole). Waits for it, pumping messages while the wait goes on. When
    // descriptors ran out, the file is tried once more alone before EMFILE or ENFILE is returned.
    const TQueuedBlock& Take(int32_t index);
    // The blocks taken so far are no longer used.
    void Recycle();
    // Reads the next block of every file at once, as ReadFull would one after the other. Returns
    // (also by an exception of the pump) only once no read of the round is in flight.
    void ReadRound(std::span<TRoundRead> reads);

private:
    struct TRequest;
    enum class TState : uint8_t;

    explicit TReadQueue(TRecordFolders& folders);
    TRequest& Request(uint64_t sequence);
    bool Allocate(uint32_t bytes, uint32_t& offset);
    void Fill();
    void Open(TRequest& request);
    void ReadOn(TRequest& request);
    void Finish(TRequest& request);
    void ReadOn(size_t round);
    bool Dispatch();
    void OnOpened(TRequest& request, int result);
    void OnRead(TRequest& request, int result);
    void OnRoundRead(size_t round, int result);
    template <class TDone> void WaitUntil(TDone done, bool pump);
    void DropAhead();
    void RetryAlone(TRequest& request);

    TRecordFolders& m_folders;
    plat::TIoRing m_ring;
    std::unique_ptr<TReadPlan> m_plan;
    std::unique_ptr<uint8_t[], void (*)(void*)> m_arena;
    std::unique_ptr<TRequest[]> m_requests;
    // Requests by sequence number: [m_recycled, m_taken) are taken and still used, [m_taken,
    // m_planned) are on their way.
    uint64_t m_recycled = 0, m_taken = 0, m_planned = 0;
    uint32_t m_arenaHead = 0; // where the next block goes
    size_t m_depth = ReadsAtOnce;
    unsigned m_inFlight = 0; // requests the kernel has not answered
    unsigned m_opening = 0;  // opens among them
    bool m_draining = false;
    std::span<TRoundRead> m_round;
    size_t m_roundLeft = 0;
};
