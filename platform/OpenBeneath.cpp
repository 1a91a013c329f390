#include "OpenBeneath.h"

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace plat {
namespace {

bool g_openat2Allowed = true;

// Resolves with the kernel's help. Returns -1 with errno ENOSYS when openat2 cannot be used here.
int OpenWithOpenat2(int dirFd, const char* relative, int flags)
{
#ifdef SYS_openat2
    open_how how{};
    how.flags = static_cast<uint64_t>(flags);
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const long fd = ::syscall(SYS_openat2, dirFd, relative, &how, sizeof how);
        if (fd >= 0)
            return static_cast<int>(fd);
        // EAGAIN: a rename elsewhere raced the lookup; the kernel asks to try again.
        if (errno != EAGAIN)
            break;
    }
    // Kernels before 5.6 do not know the call, and container filters may refuse it as EPERM.
    if (errno == EAGAIN || errno == EPERM || errno == E2BIG || errno == EINVAL)
        errno = ENOSYS;
    return -1;
#else
    (void)dirFd;
    (void)relative;
    (void)flags;
    errno = ENOSYS;
    return -1;
#endif
}

int OpenByWalking(int dirFd, const QByteArray& relative, int flags)
{
    TUniqueFd current;
    int at = dirFd;
    qsizetype start = 0;
    while (true) {
        const qsizetype slash = relative.indexOf('/', start);
        const bool last = slash < 0;
        const QByteArray name = relative.mid(start, last ? -1 : slash - start);
        // Folders on the way need only be searchable; O_PATH opens them without reading them.
        const int stepFlags = last ? flags : O_PATH | O_DIRECTORY | O_CLOEXEC;
        const int fd = ::openat(at, name.constData(), stepFlags | O_NOFOLLOW);
        if (fd < 0) {
            const int error = errno;
            current.Reset();
            errno = error;
            return -1;
        }
        current.Reset(fd);
        at = fd;
        if (last)
            return current.Release();
        start = slash + 1;
    }
}

} // namespace

int OpenFolderBeneath(int dirFd, QByteArrayView relative, int flags, TUniqueFd& folder)
{
    folder.Reset();
    QByteArray path = relative.toByteArray();
    while (path.endsWith('/'))
        path.chop(1);
    if (path.isEmpty())
        path = ".";
    const int openFlags = flags | O_DIRECTORY | O_CLOEXEC;
    int fd = g_openat2Allowed ? OpenWithOpenat2(dirFd, path.constData(), openFlags) : (errno = ENOSYS, -1);
    if (fd < 0 && errno == ENOSYS)
        fd = path == "." ? ::openat(dirFd, ".", openFlags) : OpenByWalking(dirFd, path, openFlags);
    if (fd < 0)
        return errno;
    folder.Reset(fd);
    return 0;
}

bool SetOpenat2AllowedForTest(bool allowed)
{
    return std::exchange(g_openat2Allowed, allowed);
}

} // namespace plat
