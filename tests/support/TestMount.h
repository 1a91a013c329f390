#pragma once

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <string>
#include <sys/mount.h>

// A mount made for one test and removed with it (lazily, so a busy mount cannot stay behind).
// Mounting needs privileges: where it is refused, Ok() is false and the test skips.
class TTestMount
{
public:
    // `source` shown at `target` (a folder on a folder, a file on a file); no source: a tmpfs.
    TTestMount(const QString& source, const QString& target) : m_target(target.toUtf8())
    {
        m_ok = (source.isEmpty() ? ::mount("pairwick-test", m_target.constData(), "tmpfs", 0, nullptr)
                                 : ::mount(source.toUtf8().constData(), m_target.constData(), nullptr,
                                           MS_BIND, nullptr)) == 0;
    }
    // Whatever the shell line `command` mounts at `target` (a loop-mounted file system image, say).
    TTestMount(const QString& target, const std::string& command)
        : m_target(target.toUtf8()), m_ok(std::system(command.c_str()) == 0)
    {
    }
    ~TTestMount()
    {
        if (m_ok)
            ::umount2(m_target.constData(), MNT_DETACH);
    }
    TTestMount(const TTestMount&) = delete;
    TTestMount& operator=(const TTestMount&) = delete;
    bool Ok() const { return m_ok; }

private:
    QByteArray m_target;
    bool m_ok = false;
};
