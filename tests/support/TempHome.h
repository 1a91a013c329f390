#pragma once

#include "tests/support/TempTree.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// Points HOME and XDG_DATA_HOME into a temporary folder while it lives, so the home trash of a
// test is Trash() and the real one is never touched. XDG_DATA_HOME names a folder that does not
// exist yet.
class TTempHome
{
public:
    TTempHome()
    {
        Set("HOME", m_tree.Folder(QStringLiteral("home")));
        Set("XDG_DATA_HOME", m_tree.Path(QStringLiteral("home/data")));
    }
    ~TTempHome()
    {
        for (const auto& [name, value] : m_saved)
            value ? qputenv(name, *value) : qunsetenv(name);
    }

    // The home folder and the home trash, each ending with '/'.
    QString Path() const { return m_tree.Path(QStringLiteral("home/")); }
    QString Trash() const { return m_tree.Path(QStringLiteral("home/data/Trash/")); }

private:
    void Set(const char* name, const QString& value)
    {
        m_saved.emplace_back(name,
                             qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, value.toUtf8());
    }

    TTempTree m_tree;
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};
