#pragma once

#include <QByteArray>
#include <QString>

// A mount made for one test and removed with it (lazily, so a busy mount cannot stay behind).
// Mounting needs privileges: where it is refused, Ok() is false and the test skips.
class TTestMount
{
public:
    enum TKind
    {
        Bind,  // `source` shown at `target` (a folder on a folder, a file on a file)
        Tmpfs, // an empty RAM file system at `target`
    };
    TTestMount(TKind kind, const QString& source, const QString& target);
    ~TTestMount();
    TTestMount(const TTestMount&) = delete;
    TTestMount& operator=(const TTestMount&) = delete;

    bool Ok() const { return m_mounted; }

private:
    QByteArray m_target;
    bool m_mounted = false;
};
