#pragma once

#include "platform/FileStamp.h"

#include <QString>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <sys/types.h>
#include <utility>

namespace plat {

// A regular file stands at the path (a link, a folder or a device there does not count).
bool FileExists(const QString& path);

// A folder stands at the path (a link to a folder counts: it names a place the user can go).
bool FolderExists(const QString& path);

// The folder can be opened. This is the only reachability test: the program never changes its
// working directory.
bool FolderReachable(const QString& path);

// The process's working directory, ending with exactly one '/'.
QString CurrentDirectory();

// Appends '/' unless the text already ends with one.
QString WithTrailingSeparator(const QString& folder);

// The process has no descriptor left (EMFILE) or the system none (ENFILE): a state of the
// moment, not of the file.
inline bool IsOutOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE;
}

// Reads one regular file from start to end. Opening never blocks (a FIFO put in a file's place
// is refused), never follows a link, and advises sequential reading for files of several blocks.
class TFileReader
{
public:
    TFileReader() = default;
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;
    TFileReader(TFileReader&& other) noexcept { *this = std::move(other); }
    TFileReader& operator=(TFileReader&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_fd = std::exchange(other.m_fd, -1);
            m_error = other.m_error;
            m_sizeAtOpen = other.m_sizeAtOpen;
            m_offset = other.m_offset;
        }
        return *this;
    }
    ~TFileReader() { Close(); }

    // How files are opened for reading: never blocking (a FIFO put in a file's place), never
    // through a link, never as a controlling terminal.
    static constexpr int OpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;

    // Returns 0, or the errno that explains why the file cannot be read (EINVAL: not a regular file).
    int Open(const QString& path);
    // Opens `name` inside the folder open as `folderFd`. With `expected`, the file must carry
    // that stamp: ESTALE when another file, or the same file changed, stands there now.
    int OpenAt(int folderFd, const char* name, const TFileStamp* expected = nullptr);
    // Takes over `fd`, which the caller opened with OpenFlags, and checks it as OpenAt does: the
    // same results, and on failure the descriptor is closed.
    int Adopt(int fd, const TFileStamp* expected = nullptr);
    // Returns the number of bytes read (0 at the end), or -1 with Error() set.
    ssize_t Read(void* buffer, size_t count);
    // Reads until `count` bytes are in or the file ends, so blocks of different files line up even
    // where a file system returns fewer bytes than asked (network and FUSE ones do).
    ssize_t ReadFull(void* buffer, size_t count);
    // After a read of `n` bytes that left `filled` of `count` in the buffer: whether ReadFull reads on.
    bool ReadsOn(ssize_t n, size_t filled, size_t count) const
    {
        return n > 0 && filled < count && m_offset != m_sizeAtOpen;
    }
    void Close();
    // For reads made elsewhere (through io_uring): the descriptor, where the next read starts, the
    // bookkeeping of `n` bytes read there, and a descriptor that blocks (see Read).
    int Descriptor() const { return m_fd; }
    uint64_t Offset() const { return m_offset; }
    uint64_t SizeAtOpen() const { return m_sizeAtOpen; }
    void CountRead(size_t n)
    {
        s_totalBytesRead.fetch_add(n, std::memory_order_relaxed);
        m_offset += n;
    }
    void MakeBlocking();
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(m_fd, -1); }
    int Error() const { return m_error; }
    // Bytes read by every reader of this process so far (for the bench driver's figures).
    static uint64_t TotalBytesRead() { return s_totalBytesRead.load(std::memory_order_relaxed); }
    bool IsOpen() const { return m_fd >= 0; }
    // Everything the file held when it was opened has been read (what a file gains while it is
    // read is not looked for: it changed under the search anyway).
    bool AtEnd() const { return m_fd >= 0 && m_offset >= m_sizeAtOpen; }

private:
    int m_fd = -1;
    int m_error = 0;
    uint64_t m_sizeAtOpen = 0;
    uint64_t m_offset = 0;
    static inline std::atomic<uint64_t> s_totalBytesRead{0};
};

} // namespace plat
