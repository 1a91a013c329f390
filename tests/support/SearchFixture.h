#pragma once

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "search/FolderScan.h"
#include "search/SearchSettings.h"
#include "tests/support/TempTree.h"

#include <QLocale>

#include <gtest/gtest.h>

// A test that runs parts of a search over a temporary tree: the search globals start empty, with
// a US number format and the Linux protected prefixes, and are emptied again afterwards.
class TSearchFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetSearchGlobals();
        LocaleFormat = QLocale(QLocale::English, QLocale::UnitedStates);
        WindowsFolderPrefix = QStringLiteral("/usr/");
        ProgramFilesPrefix = QStringLiteral("/opt/");
        settings.Folders = {tree.Root()};
    }
    void TearDown() override
    {
        ResetSearchGlobals();
        LocaleFormat = QLocale::system();
    }
    // Scans the tree and sorts FileList by size, as a search does before it compares.
    void ScanAndSort()
    {
        ReserveScanLists();
        StopFlag = 0;
        ScanSearchFolders(settings);
        TrimScanLists();
        SortFiles(FileList, 0, FileCount, CompareSize, 1);
    }

    TTempTree tree;
    TSearchSettings settings;
};
