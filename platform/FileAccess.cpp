#include "FileAccess.h"

#include <QDir>

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

bool FileExists(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(path.toUtf8().constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(path.toUtf8().constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FolderReachable(const QString& path)
{
    const int fd = ::open(path.toUtf8().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

QString WithTrailingSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString CurrentDirectory()
{
    return WithTrailingSeparator(QDir::currentPath());
}

int TFileReader::Open(const QString& path)
{
    return OpenAt(AT_FDCWD, path.toUtf8().constData());
}

int TFileReader::OpenAt(int folderFd, const char* name, const TFileStamp* expected)
{
    Close();
    const int fd = ::openat(folderFd, name, OpenFlags);
    if (fd < 0)
        return m_error = errno;
    if (Adopt(fd, expected) != 0)
        return m_error;
    // Read-ahead advice only pays for files of several blocks; small files are read in one call.
    if (m_sizeAtOpen > 4 * 65536)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return 0;
}

int TFileReader::Adopt(int fd, const TFileStamp* expected)
{
    Close();
    m_error = 0;
    struct statx st
    {
    };
    const int described = DescribeFile(fd, "", st);
    if (described != 0 || !S_ISREG(st.stx_mode)) {
        m_error = described != 0 ? described : EINVAL;
        ::close(fd);
        return m_error;
    }
    if (expected != nullptr && !IsStampedFile(st, *expected)) {
        ::close(fd);
        return m_error = ESTALE;
    }
    m_fd = fd;
    m_sizeAtOpen = st.stx_size;
    m_offset = 0;
    return 0;
}

void TFileReader::MakeBlocking()
{
    // The descriptor was opened non-blocking only so that opening could not hang; a file system
    // that honours that for reads gets a blocking descriptor from here on.
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
}

ssize_t TFileReader::Read(void* buffer, size_t count)
{
    if (m_fd < 0) {
        m_error = EBADF;
        return -1;
    }
    while (true) {
        const ssize_t n = ::read(m_fd, buffer, count);
        if (n >= 0) {
            s_totalBytesRead.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
            m_offset += static_cast<uint64_t>(n);
            return n;
        }
        if (errno == EAGAIN) {
            MakeBlocking();
            continue;
        }
        if (errno != EINTR) {
            m_error = errno;
            return -1;
        }
    }
}

ssize_t TFileReader::ReadFull(void* buffer, size_t count)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t filled = 0;
    while (filled < count) {
        const ssize_t n = Read(bytes + filled, count - filled);
        if (n < 0)
            return -1;
        filled += static_cast<size_t>(n);
        // A short read that reaches the size the file had when opened is its end; the next call
        // confirms that with a read of no bytes, so a file that grew is still read whole.
        if (!ReadsOn(n, filled, count))
            break;
    }
    return static_cast<ssize_t>(filled);
}

void TFileReader::Close()
{
    if (m_fd >= 0) {
        // Closing a descriptor opened for reading cannot lose data; it is never retried.
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace plat
