#include "RecordAccess.h"

#include "core/FileLists.h"
#include "platform/DirListing.h"
#include "platform/OpenBeneath.h"

#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// A link or a non-folder where the scan met a folder: something else stands there now.
int Classified(int error)
{
    return error == ELOOP || error == ENOTDIR ? ESTALE : error;
}

bool ValidPathIndex(int32_t pathIndex)
{
    return pathIndex >= 0 && pathIndex < PathList.Used() && pathIndex < PathInfo.Used();
}

std::u16string RootKey(const QString& root)
{
    return std::u16string(reinterpret_cast<const char16_t*>(root.utf16()), size_t(root.size()));
}

QString RootOf(int32_t pathIndex)
{
    return PathList[pathIndex].left(PathInfo[pathIndex].RootLength);
}

int OpenRoot(const QString& root, plat::TUniqueFd& fd)
{
    // The search folder is opened as the user gave it: a link there was followed by the scan too.
    fd.Reset(::open(root.toUtf8().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return fd ? 0 : Classified(errno);
}

// Opens the folder of `pathIndex` below its search folder, open as `rootFd`, and checks that it is
// the folder the scan listed.
int OpenBelowRoot(int rootFd, int32_t pathIndex, int flags, plat::TUniqueFd& folder)
{
    const TFolderInfo& info = PathInfo[pathIndex];
    const QByteArray below = PathList[pathIndex].mid(info.RootLength).toUtf8();
    const int error = plat::OpenFolderBeneath(rootFd, below, flags, folder);
    if (error != 0)
        return Classified(error);
    struct stat st
    {
    };
    if (::fstat(folder.Get(), &st) != 0) {
        const int failed = errno;
        folder.Reset();
        return failed;
    }
    if (!S_ISDIR(st.st_mode) || uint64_t(st.st_dev) != info.Device || uint64_t(st.st_ino) != info.Inode) {
        folder.Reset();
        return ESTALE;
    }
    return 0;
}

} // namespace

void ThrowOutOfDescriptors()
{
    throw std::runtime_error("Cannot open the files to compare: the program has no file handles left.");
}

plat::TFileStamp RecordStamp(const TFileInfoType& record)
{
    return {record.Device, record.Inode, record.Size, record.ModifiedNs, record.ChangeMix};
}

int OpenRecordFolder(const TFileInfoType& record, plat::TUniqueFd& folder)
{
    folder.Reset();
    if (!ValidPathIndex(record.PathIndex))
        return ENOENT;
    plat::TUniqueFd root;
    if (const int error = OpenRoot(RootOf(record.PathIndex), root); error != 0)
        return error;
    // Searchable is enough for every call made through the handle: a folder the user may enter
    // but not list still has its files deleted and moved.
    return OpenBelowRoot(root.Get(), record.PathIndex, O_PATH, folder);
}

QByteArray RecordNameBytes(const TFileInfoType& record)
{
    return NamePool.Text(record.Name).toUtf8();
}

bool RecordNameBytes(const TFileInfoType& record, TNameBytes& name)
{
    TNamePool::TBuffer buffer;
    const QStringView text = NamePool.View(record.Name, buffer);
    QStringEncoder utf8(QStringEncoder::Utf8);
    if (utf8.requiredSpace(text.size()) >= qsizetype(name.size())) {
        const QByteArray bytes = utf8.encode(text);
        if (bytes.size() >= qsizetype(name.size()))
            return false;
        std::memcpy(name.data(), bytes.constData(), size_t(bytes.size()) + 1);
        return true;
    }
    *utf8.appendToBuffer(name.data(), text) = 0;
    return true;
}

int CheckRecordFile(int folderFd, const TFileInfoType& record)
{
    struct statx st
    {
    };
    if (const int error = plat::DescribeFile(folderFd, RecordNameBytes(record).constData(), st); error != 0)
        return error;
    if (S_ISDIR(st.stx_mode))
        return ENOENT;
    return plat::IsStampedFile(st, RecordStamp(record)) ? 0 : ESTALE;
}

int TRecordFolders::Root(const QString& root, int& error)
{
    const std::u16string key = RootKey(root);
    if (const auto it = m_roots.find(key); it != m_roots.end())
        return it->second.Get();
    plat::TUniqueFd fd;
    error = OpenRoot(root, fd);
    if (plat::IsOutOfDescriptors(error) && Release())
        error = OpenRoot(root, fd);
    if (error != 0)
        return -1;
    return m_roots.emplace(key, std::move(fd)).first->second.Get();
}

int TRecordFolders::Folder(int32_t pathIndex, int& error)
{
    error = 0;
    if (const int kept = m_folders.Find(pathIndex); kept >= 0)
        return kept;
    if (!ValidPathIndex(pathIndex)) {
        error = ENOENT;
        return -1;
    }
    const QString root = RootOf(pathIndex);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int rootFd = Root(root, error);
        if (rootFd < 0)
            return -1;
        plat::TUniqueFd folder;
        error = OpenBelowRoot(rootFd, pathIndex, O_PATH, folder);
        if (error == 0) {
            // A full cache closes what it keeps to take the new folder.
            if (m_folders.Size() >= m_folders.Capacity())
                BeforeRelease();
            return m_folders.Keep(pathIndex, std::move(folder));
        }
        if (!plat::IsOutOfDescriptors(error) || !Release())
            return -1;
    }
    return -1;
}

int TRecordFolders::OpenFile(const TFileInfoType& record, plat::TFileReader& reader)
{
    TNameBytes name;
    if (!RecordNameBytes(record, name))
        return ENAMETOOLONG;
    const plat::TFileStamp stamp = RecordStamp(record);
    int error = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int folder = Folder(record.PathIndex, error);
        if (folder < 0)
            return error;
        error = reader.OpenAt(folder, name.data(), &stamp);
        // A link in the file's place (O_NOFOLLOW) or something that is no regular file.
        if (error == ELOOP || error == EINVAL)
            return ESTALE;
        if (!plat::IsOutOfDescriptors(error) || !Release())
            return error;
    }
    return error;
}

void TRecordFolders::BeforeRelease()
{
    if (m_releaseGuard)
        m_releaseGuard();
}

bool TRecordFolders::Release()
{
    BeforeRelease();
    const bool held = m_folders.Size() > 0 || !m_roots.empty();
    m_folders.Release();
    m_roots.clear();
    return held;
}
