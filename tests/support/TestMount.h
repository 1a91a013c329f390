#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <initializer_list>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    // A new file system of `fsType` ("ext4", "btrfs") made in the image file `image` and mounted
    // at `target` through a loop device (freed again with the mount).
    TTestMount(const char* fsType, const QString& image, const QString& target) : m_target(target.toUtf8())
    {
        QFile file(image);
        const QByteArray path = image.toUtf8();
        const QByteArray mkfs = QByteArray("mkfs.") + fsType;
        m_ok = file.open(QIODevice::WriteOnly) && file.resize(qint64(128) << 20) &&
               Run({mkfs.constData(), "-q", path.constData()}) &&
               Run({"mount", "-o", "loop", path.constData(), m_target.constData()});
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
    static bool Run(std::initializer_list<const char*> args)
    {
        std::vector<char*> argv;
        for (const char* arg : args)
            argv.push_back(const_cast<char*>(arg));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t quiet;
        ::posix_spawn_file_actions_init(&quiet);
        ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_adddup2(&quiet, 1, 2);
        pid_t child = 0;
        int status = 0;
        const bool ran = ::posix_spawnp(&child, argv[0], &quiet, nullptr, argv.data(), environ) == 0 &&
                         ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                         WEXITSTATUS(status) == 0;
        ::posix_spawn_file_actions_destroy(&quiet);
        return ran;
    }

    QByteArray m_target;
    bool m_ok = false;
};
