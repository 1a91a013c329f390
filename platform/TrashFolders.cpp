#include "TrashFolders.h"

#include "platform/FileAccess.h"
#include "platform/Trash.h"

#include <sys/stat.h>

namespace plat {
namespace {

bool Identity(const QByteArray& path, TFileId& id)
{
    struct stat st
    {
    };
    if (::stat(path.constData(), &st) != 0)
        return false;
    id = {uint64_t(st.st_dev), uint64_t(st.st_ino)};
    return true;
}

// "/a/b/" gives "/a/".
QString ParentOf(const QString& canonical)
{
    return canonical.left(canonical.lastIndexOf(QLatin1Char('/'), canonical.size() - 2) + 1);
}

} // namespace

bool IsTopTrashName(QStringView name)
{
    const QStringView shared = u".Trash";
    if (!name.startsWith(shared))
        return false;
    if (name.size() == shared.size())
        return true;
    const QStringView uid = name.mid(shared.size() + 1);
    if (name[shared.size()] != u'-' || uid.isEmpty())
        return false;
    for (const QChar c : uid)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

TTrashFolders::TTrashFolders(const std::vector<TMount>& mounts)
{
    if (TFileId home; Identity(TTrash::HomeTrashFolder(), home))
        m_home = home;
    for (const TMount& mount : mounts)
        m_mountPoints.insert(WithTrailingSeparator(mount.MountPoint));
}

bool TTrashFolders::IsTrash(const TFileId& folder, QStringView name, QStringView parent,
                            QStringView parentTail) const
{
    if (m_home && folder == *m_home)
        return true;
    return IsTopTrashName(name) && IsTop(parent.toString().append(parentTail));
}

bool TTrashFolders::Holds(const QString& canonical) const
{
    for (QString folder = canonical; folder.size() > 1; folder = ParentOf(folder)) {
        const QString parent = ParentOf(folder);
        TFileId id;
        if (Identity(folder.toUtf8(), id) &&
            IsTrash(id, QStringView(folder).mid(parent.size()).chopped(1), parent))
            return true;
    }
    return false;
}

// A mount point, or a folder on another device than the folder above it: the top of a btrfs
// subvolume, where some tools keep a trash too.
bool TTrashFolders::IsTop(const QString& canonical) const
{
    if (m_mountPoints.contains(canonical))
        return true;
    TFileId self;
    TFileId above;
    const QByteArray path = canonical.toUtf8();
    return Identity(path, self) && Identity(path + "..", above) && self.Dev != above.Dev;
}

} // namespace plat
