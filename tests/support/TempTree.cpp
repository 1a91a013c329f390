#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

TTempTree::TTempTree() : m_dir(QDir::tempPath() + QStringLiteral("/pairwick-test-XXXXXX"))
{
    if (!m_dir.isValid())
        ADD_FAILURE() << "cannot create a temporary folder";
}

QString TTempTree::Root() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TTempTree::Path(const QString& relative) const
{
    return Root() + relative;
}

QString TTempTree::Folder(const QString& relative)
{
    const QString path = Path(relative);
    if (!QDir().mkpath(path))
        ADD_FAILURE() << "cannot create " << path.toStdString();
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString TTempTree::File(const QString& relative, const QByteArray& content)
{
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QByteArray TTempTree::Pattern(int64_t size, uint32_t seed)
{
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    uint32_t state = seed * 2654435761u + 12345u;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

QString TTempTree::PatternFile(const QString& relative, int64_t size, uint32_t seed)
{
    return File(relative, Pattern(size, seed));
}

QString TTempTree::Symlink(const QString& relative, const QString& target)
{
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (::symlink(target.toUtf8().constData(), path.toUtf8().constData()) != 0)
        ADD_FAILURE() << "cannot create link " << path.toStdString();
    return path;
}

QString TTempTree::HardLink(const QString& relative, const QString& existingRelative)
{
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (::link(Path(existingRelative).toUtf8().constData(), path.toUtf8().constData()) != 0)
        ADD_FAILURE() << "cannot create hard link " << path.toStdString();
    return path;
}

QString TTempTree::Fifo(const QString& relative)
{
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (::mkfifo(path.toUtf8().constData(), 0600) != 0)
        ADD_FAILURE() << "cannot create FIFO " << path.toStdString();
    return path;
}

void TTempTree::SetModified(const QString& relative, int64_t secondsSinceEpoch)
{
    struct timeval times[2] = {{secondsSinceEpoch, 0}, {secondsSinceEpoch, 0}};
    if (::lutimes(Path(relative).toUtf8().constData(), times) != 0)
        ADD_FAILURE() << "cannot set the time of " << relative.toStdString();
}
