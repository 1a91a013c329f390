#pragma once

#include <QString>
#include <QStringList>

// The options of one search as the window holds them when Start is clicked.
struct TSearchSettings
{
    QStringList Folders;                  // the search list, in list order
    QStringList ReferenceFolders;         // entries of Folders whose files are never marked, moved or deleted
    QString Mask = QStringLiteral("*.*"); // one wildcard pattern for every file name
    bool ExcludeZero = true;              // "Skip Zero-Size Files"
    bool ProtectSysFolders = true;        // "Protect System Folders"
    bool ProtectSysFiles = true;          // "Protect Other System Files (*.sys;*.ocx;*.drv;*.dll)"
    bool MinSizeChecked = false;          // "Min File Size"
    QString MinSizeText = QStringLiteral("0");
    int MinSizeUnitIndex = 1; // 0 "B", 1 "KB", 2 "MB"
};
