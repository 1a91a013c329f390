#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

struct io_uring;
struct io_uring_sqe;

namespace plat {

// One finished request: the tag it was queued with and its result as the system call would give
// it (a negative errno on failure).
struct TIoCompletion
{
    uint64_t Tag = 0;
    int Result = 0;
};

// An io_uring of the calling thread, owned: set up by the constructor, torn down by the destructor.
// The owner drains every request it queued before the ring goes (buffers and descriptors named by a
// request in flight must outlive it). Requests are queued, go to the kernel with the next Submit()
// or Wait(), and come back in any order.
class TIoRing
{
public:
    // Sets up a ring with room for `entries` queued requests. Ready() is false where the kernel has
    // no io_uring or refuses it (an old kernel, /proc/sys/kernel/io_uring_disabled, a seccomp
    // filter), lacks an operation used here, or the process has no descriptor left for the ring.
    explicit TIoRing(unsigned entries);
    ~TIoRing();
    TIoRing(const TIoRing&) = delete;
    TIoRing& operator=(const TIoRing&) = delete;

    bool Ready() const { return m_ring != nullptr; }

    // Queue one request each. The name of OpenAt must stay valid until its completion arrives.
    void OpenAt(uint64_t tag, int dirFd, const char* name, int flags);
    void Read(uint64_t tag, int fd, void* buffer, unsigned length, uint64_t offset);
    void Close(uint64_t tag, int fd);
    // Asks the kernel to cancel every request in flight. Kernels before 5.19 answer EINVAL: the
    // requests then run to their end.
    void CancelAll(uint64_t tag);

    // Hands the queued requests to the kernel without waiting.
    void Submit();
    // Hands them over and waits until a completion is there or `timeout` has passed (a negative
    // timeout waits without limit). Returns false on timeout.
    bool Wait(std::chrono::milliseconds timeout);
    // Takes the next completion that has arrived; false when there is none.
    bool Next(TIoCompletion& completion);
    // Requests queued and not yet handed to the kernel.
    unsigned Queued() const;

private:
    io_uring_sqe* Entry();

    std::unique_ptr<io_uring> m_ring;
};

} // namespace plat
