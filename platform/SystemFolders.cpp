#include "SystemFolders.h"

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

} // namespace plat
