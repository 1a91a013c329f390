#include "TestMount.h"

#include <sys/mount.h>

TTestMount::TTestMount(TKind kind, const QString& source, const QString& target) : m_target(target.toUtf8())
{
    const int result =
        kind == Bind ? ::mount(source.toUtf8().constData(), m_target.constData(), nullptr, MS_BIND, nullptr)
                     : ::mount("pairwick-test", m_target.constData(), "tmpfs", 0, nullptr);
    m_mounted = result == 0;
}

TTestMount::~TTestMount()
{
    if (m_mounted)
        ::umount2(m_target.constData(), MNT_DETACH);
}
