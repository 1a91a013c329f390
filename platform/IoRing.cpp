#include "IoRing.h"

#include <liburing.h>

#include <stdexcept>

namespace plat {
namespace {

// Setups tried in turn: completions run when this thread waits for them (6.1), completions without
// interrupting the thread (5.19), plain.
constexpr unsigned SetupFlags[] = {IORING_SETUP_SINGLE_ISSUER | IORING_SETUP_DEFER_TASKRUN,
                                   IORING_SETUP_COOP_TASKRUN, 0};

bool HasOperations(io_uring& ring)
{
    io_uring_probe* probe = io_uring_get_probe_ring(&ring);
    if (probe == nullptr)
        return false;
    bool all = true;
    for (const int op : {IORING_OP_OPENAT, IORING_OP_READ, IORING_OP_CLOSE, IORING_OP_ASYNC_CANCEL})
        all = all && io_uring_opcode_supported(probe, op);
    io_uring_free_probe(probe);
    return all;
}

} // namespace

TIoRing::TIoRing(unsigned entries)
{
    auto ring = std::make_unique<io_uring>();
    for (const unsigned flags : SetupFlags) {
        io_uring_params params{};
        params.flags = flags;
        const int result = io_uring_queue_init_params(entries, ring.get(), &params);
        if (result == -EINVAL)
            continue; // flags this kernel does not know
        if (result != 0)
            return; // ENOSYS, EPERM, EACCES, EMFILE, ENOMEM: no ring here
        // Waiting with a timeout in one call (5.11) and completions never dropped are relied on.
        const unsigned needed = IORING_FEAT_EXT_ARG | IORING_FEAT_NODROP;
        if ((params.features & needed) != needed || !HasOperations(*ring)) {
            io_uring_queue_exit(ring.get());
            return;
        }
        io_uring_register_ring_fd(ring.get()); // saves a lookup per call where the kernel can
        m_ring = std::move(ring);
        return;
    }
}

TIoRing::~TIoRing()
{
    if (m_ring)
        io_uring_queue_exit(m_ring.get());
}

io_uring_sqe* TIoRing::Entry()
{
    io_uring_sqe* sqe = io_uring_get_sqe(m_ring.get());
    if (sqe == nullptr) {
        io_uring_submit(m_ring.get());
        sqe = io_uring_get_sqe(m_ring.get());
    }
    if (sqe == nullptr)
        throw std::runtime_error("Too many reads queued at once.");
    return sqe;
}

void TIoRing::OpenAt(uint64_t tag, int dirFd, const char* name, int flags)
{
    io_uring_sqe* sqe = Entry();
    io_uring_prep_openat(sqe, dirFd, name, flags, 0);
    io_uring_sqe_set_data64(sqe, tag);
}

void TIoRing::Read(uint64_t tag, int fd, void* buffer, unsigned length, uint64_t offset)
{
    io_uring_sqe* sqe = Entry();
    io_uring_prep_read(sqe, fd, buffer, length, offset);
    io_uring_sqe_set_data64(sqe, tag);
}

void TIoRing::Close(uint64_t tag, int fd)
{
    io_uring_sqe* sqe = Entry();
    io_uring_prep_close(sqe, fd);
    io_uring_sqe_set_data64(sqe, tag);
}

void TIoRing::CancelAll(uint64_t tag)
{
    io_uring_sqe* sqe = Entry();
    io_uring_prep_cancel64(sqe, 0, IORING_ASYNC_CANCEL_ANY);
    io_uring_sqe_set_data64(sqe, tag);
}

void TIoRing::Submit()
{
    // A refusal (EBUSY, EAGAIN, EINTR) leaves the requests queued for the next call.
    io_uring_submit(m_ring.get());
}

bool TIoRing::Wait(std::chrono::milliseconds timeout)
{
    io_uring_cqe* cqe = nullptr;
    if (timeout.count() < 0) {
        // EINTR and the like: the caller looks for completions and waits again.
        io_uring_submit_and_wait(m_ring.get(), 1);
        return true;
    }
    __kernel_timespec ts{};
    ts.tv_sec = timeout.count() / 1000;
    ts.tv_nsec = (timeout.count() % 1000) * 1'000'000;
    return io_uring_submit_and_wait_timeout(m_ring.get(), &cqe, 1, &ts, nullptr) != -ETIME;
}

bool TIoRing::Next(TIoCompletion& completion)
{
    io_uring_cqe* cqe = nullptr;
    if (io_uring_peek_cqe(m_ring.get(), &cqe) != 0 || cqe == nullptr)
        return false;
    completion.Tag = io_uring_cqe_get_data64(cqe);
    completion.Result = cqe->res;
    io_uring_cqe_seen(m_ring.get(), cqe);
    return true;
}

unsigned TIoRing::Queued() const
{
    return io_uring_sq_ready(m_ring.get());
}

} // namespace plat
