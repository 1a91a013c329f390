#include "SystemFolders.h"

#include "FileNames.h"

#include <QByteArray>

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace plat {

QString WindowsFolder()
{
    return QStringLiteral("/usr/");
}

QString ProgramFilesFolder()
{
    return QStringLiteral("/opt/");
}

QStringList ExtraSystemFolderPrefixes()
{
    return {QStringLiteral("/etc/"),   QStringLiteral("/boot/"),  QStringLiteral("/var/"),
            QStringLiteral("/bin/"),   QStringLiteral("/sbin/"),  QStringLiteral("/lib/"),
            QStringLiteral("/lib32/"), QStringLiteral("/lib64/"), QStringLiteral("/libx32/"),
            QStringLiteral("/snap/"),  QStringLiteral("/nix/"),   QStringLiteral("/gnu/"),
            QStringLiteral("/proc/"),  QStringLiteral("/sys/"),   QStringLiteral("/dev/")};
}

QString CanonicalFolder(const QString& folder)
{
    char* resolved = ::realpath(folder.toUtf8().constData(), nullptr);
    if (resolved == nullptr)
        return {};
    QString path;
    const bool exact = DecodeFileName(QByteArrayView(resolved), path);
    std::free(resolved);
    if (!exact || path.isEmpty())
        return {};
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QStringList HomeFolders()
{
    QStringList homes;
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        homes << CanonicalFolder(QString::fromLocal8Bit(home));
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        homes << CanonicalFolder(QString::fromLocal8Bit(found->pw_dir));
    homes.removeAll(QString());
    // "/" as a home would make every folder the user's; such an account has no home to spare.
    homes.removeAll(QStringLiteral("/"));
    homes.removeDuplicates();
    return homes;
}

} // namespace plat
