#include "FileStamp.h"

#include "platform/DirListing.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/sysmacros.h>

namespace plat {
namespace {

// The finaliser of splitmix64: a bijection of 64-bit values that spreads every input bit.
uint64_t Spread(uint64_t x)
{
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

int64_t Nanoseconds(const struct statx_timestamp& time)
{
    return ModifiedNanoseconds(time.tv_sec, time.tv_nsec);
}

uint64_t ChangeMixOf(int64_t changedNs, int64_t bornNs)
{
    return Spread(uint64_t(changedNs) ^ Spread(uint64_t(bornNs) + 0x9E3779B97F4A7C15ull));
}

} // namespace

TFileStamp StampOf(const struct statx& st)
{
    const int64_t born = (st.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(st.stx_btime) : 0;
    return {uint64_t(makedev(st.stx_dev_major, st.stx_dev_minor)), st.stx_ino, st.stx_size,
            Nanoseconds(st.stx_mtime), ChangeMixOf(Nanoseconds(st.stx_ctime), born)};
}

int DescribeFile(int folderFd, const char* name, struct statx& st)
{
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (name[0] == 0 ? AT_EMPTY_PATH : 0);
    return ::statx(folderFd, name, flags, StampFields | STATX_BTIME, &st) == 0 ? 0 : errno;
}

bool IsStampedFile(const struct statx& st, const TFileStamp& expected)
{
    return (st.stx_mask & StampFields) == StampFields && S_ISREG(st.stx_mode) && StampOf(st) == expected;
}

} // namespace plat
