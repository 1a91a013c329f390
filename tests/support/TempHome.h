#pragma once

#include "tests/support/TempTree.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <optional>

// Points HOME and XDG_DATA_HOME into a temporary folder while it lives, so the home trash of a
// test is Trash() and the real one is never touched. XDG_DATA_HOME names a folder that does not
// exist yet.
class TTempHome
{
public:
    TTempHome() : m_home(Save("HOME")), m_data(Save("XDG_DATA_HOME"))
    {
        ::setenv("HOME", m_tree.Folder(QStringLiteral("home")).toUtf8().constData(), 1);
        ::setenv("XDG_DATA_HOME", m_tree.Path(QStringLiteral("home/data")).toUtf8().constData(), 1);
    }
    ~TTempHome()
    {
        Restore("HOME", m_home);
        Restore("XDG_DATA_HOME", m_data);
    }
    TTempHome(const TTempHome&) = delete;
    TTempHome& operator=(const TTempHome&) = delete;

    // The home folder and the home trash, each ending with '/'.
    QString Path() const { return m_tree.Path(QStringLiteral("home/")); }
    QString Trash() const { return m_tree.Path(QStringLiteral("home/data/Trash/")); }

private:
    static std::optional<QByteArray> Save(const char* name)
    {
        const char* value = std::getenv(name);
        return value ? std::optional<QByteArray>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<QByteArray>& value)
    {
        if (value)
            ::setenv(name, value->constData(), 1);
        else
            ::unsetenv(name);
    }

    TTempTree m_tree;
    std::optional<QByteArray> m_home;
    std::optional<QByteArray> m_data;
};
