#include "DirListing.h"

#include "DosTime.h"
#include "FileNames.h"
#include "FileStamp.h"

#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

bool IsDotName(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

void Describe(TDirEntry& entry, const struct statx& st)
{
    const TFileStamp stamp = StampOf(st);
    entry.Id = {stamp.Dev, stamp.Ino};
    const timespec modified{static_cast<time_t>(st.stx_mtime.tv_sec),
                            static_cast<long>(st.stx_mtime.tv_nsec)};
    entry.Time = DosDateTime(modified);
    entry.ModifiedNs = stamp.ModifiedNs;
    entry.ChangeMix = stamp.ChangeMix;
    entry.Links = st.stx_nlink;
    int32_t attr = 0;
    if ((st.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attr |= AttrReadOnly;
    if (entry.Name.startsWith(QLatin1Char('.')))
        attr |= AttrHidden;
    if (S_ISREG(st.stx_mode)) {
        entry.Kind = TEntryKind::File;
        entry.Size = st.stx_size;
        attr |= AttrArchive;
    } else if (S_ISDIR(st.stx_mode)) {
        entry.Kind = TEntryKind::Folder;
        attr |= AttrDirectory;
    } else {
        entry.Kind = TEntryKind::Other;
    }
    entry.Attr = attr;
}

} // namespace

int64_t ModifiedNanoseconds(int64_t seconds, int64_t nanoseconds)
{
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 1'000'000'000 - 1;
    if (seconds > limit)
        return std::numeric_limits<int64_t>::max();
    if (seconds < -limit)
        return std::numeric_limits<int64_t>::min();
    return seconds * 1'000'000'000 + nanoseconds;
}

bool FolderIdentity(const QString& folder, TFileId& id)
{
    struct stat st
    {
    };
    if (::stat(folder.toUtf8().constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

bool ListingOrder(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.compare(b, Qt::CaseSensitive) < 0;
}

int ForEachEntry(int fd, const std::function<bool(const dirent& entry, QString& name)>& visit)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int error = 0;
    QString name;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const QByteArrayView bytes(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (DecodeFileName(bytes, name) && !visit(*entry, name))
            break;
    }
    ::closedir(dir);
    return error;
}

int ReadFolder(const QString& folder, bool followLink, TFolderListing& listing)
{
    listing = {};
    QByteArray path = folder.toUtf8();
    // A trailing '/' makes the kernel resolve a link in the last place, whatever O_NOFOLLOW says.
    while (!followLink && path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(path.constData(), flags);
    if (fd < 0)
        return errno;
    struct stat self
    {
    };
    if (::fstat(fd, &self) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    listing.Self = {static_cast<uint64_t>(self.st_dev), static_cast<uint64_t>(self.st_ino)};

    std::vector<TDirEntry> dots;
    auto& entries = listing.Entries;
    const int readError = ForEachEntry(fd, [&](const dirent& d, QString& name) {
        TDirEntry entry;
        entry.Name = std::move(name);
        if (IsDotName(d.d_name)) {
            entry.Kind = TEntryKind::Dot;
            entry.Attr = AttrDirectory;
            dots.push_back(std::move(entry));
            return true;
        }
        // Only regular files and folders are ever used, so other types need no stat call.
        if (d.d_type == DT_REG || d.d_type == DT_DIR || d.d_type == DT_UNKNOWN) {
            struct statx st
            {
            };
            constexpr unsigned wanted = StampFields | STATX_MODE | STATX_NLINK;
            constexpr int noFollow = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
            if (::statx(fd, d.d_name, noFollow, wanted | STATX_BTIME, &st) == 0 &&
                (st.stx_mask & wanted) == wanted)
                Describe(entry, st);
        }
        entries.push_back(std::move(entry));
        return true;
    });
    if (readError != 0) {
        listing = {};
        return readError;
    }

    std::sort(dots.begin(), dots.end(),
              [](const TDirEntry& a, const TDirEntry& b) { return a.Name < b.Name; });
    std::sort(entries.begin(), entries.end(),
              [](const TDirEntry& a, const TDirEntry& b) { return ListingOrder(a.Name, b.Name); });
    entries.insert(entries.begin(), std::make_move_iterator(dots.begin()),
                   std::make_move_iterator(dots.end()));
    return 0;
}

} // namespace plat
