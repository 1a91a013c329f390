#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

// A folder tree on disk for one test, removed again afterwards. Paths are relative to the root;
// Root() ends with '/'.
class TTempTree
{
public:
    TTempTree();

    QString Root() const;
    QString Path(const QString& relative) const;

    // Writes a file (creating its folders) with the given bytes.
    QString File(const QString& relative, const QByteArray& content);
    // A file of `size` bytes filled from `seed` (the same seed and size give the same bytes).
    QString PatternFile(const QString& relative, int64_t size, uint32_t seed);
    QString Folder(const QString& relative);
    QString Symlink(const QString& relative, const QString& target);
    QString HardLink(const QString& relative, const QString& existingRelative);
    QString Fifo(const QString& relative);
    void SetModified(const QString& relative, int64_t secondsSinceEpoch);

    static QByteArray Pattern(int64_t size, uint32_t seed);

private:
    QTemporaryDir m_dir;
};
