#pragma once

#include "core/FileLists.h"
#include "platform/Collation.h"
#include "platform/KeyState.h"
#include "results/ResultWindow.h"
#include "results/Selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

constexpr int32_t PackedTime(int year, int month, int day, int hour, int minute, int second)
{
    return int32_t(uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 |
                   uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2));
}

// The window as the result commands see it, recording what they ask of it.
struct TRecordingWindow : TResultWindow
{
    int SelectedRow() const override { return Selected; }
    uint8_t SortDirection() const override { return Direction; }
    void BeginRowUpdate() override { ++Updates, ++Depth; }
    void EndRowUpdate() override { --Depth; }
    void SetRowCount(int rows) override { Rows = Depth > 0 ? rows : -2; }
    void SelectAndFocusRow(int row) override { Focused.push_back(row); }
    void RepaintRows() override { ++Repaints; }
    void SetSelectedText(const QString& text) override { Text = text; }
    void DeleteThisFile() override { ++Deletes; }

    int Selected = -1, Updates = 0, Depth = 0, Rows = -1, Repaints = 0, Deletes = 0;
    uint8_t Direction = 0;
    std::vector<int> Focused;
    QString Text = QStringLiteral("0 / 0 MB");
};

struct TResultRow
{
    const char* Name;
    int32_t Folder, Group;
    uint64_t Size;
    int32_t Time;
};

// Results filled by hand as a search leaves them (rows in ResultList order, each band value the
// record's group) under a US locale, emptied again afterwards.
class TResultFixture : public ::testing::Test
{
protected:
    void SetUp() override { Reset(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { Reset(QLocale::system()); }
    static void Reset(const QLocale& locale)
    {
        ResetSearchGlobals();
        AnchorRow = -1;
        LocaleFormat = locale;
        plat::SetCollationLocale(locale);
        plat::SetShiftHeldForTest(std::nullopt);
    }

    static void Fill(const QStringList& folders, const std::vector<TResultRow>& rows)
    {
        ResetSearchGlobals();
        PathList.SetLength(int32_t(folders.size()));
        for (const QString& folder : folders)
            PathList.Put(++PathCount, folder);
        ResultList.SetLength(int32_t(rows.size()));
        for (const TResultRow& row : rows) {
            TFileInfoType record;
            record.Name = NamePool.Add(QString::fromUtf8(row.Name));
            record.PathIndex = row.Folder;
            record.Group = row.Group;
            record.Size = row.Size;
            record.Time = row.Time;
            ResultList.Put(++ResultCount, record);
            SortList.push_back({ResultCount, row.Group});
        }
        ResultCapacity = ResultCount + 1;
    }

    // Seven files in three groups, largest first, all times different; group 1 spreads over three
    // folders and falls apart into two bands when sorted by name.
    static void FillThreeGroups()
    {
        Fill({"/data/a/", "/data/b/", "/data/a/sub/"},
             {{"Report.pdf", 0, 1, 3000, PackedTime(2024, 3, 15, 14, 5, 6)},
              {"notes.pdf", 1, 1, 3000, PackedTime(2023, 1, 2, 0, 0, 0)},
              {"copy.pdf", 2, 1, 3000, PackedTime(2024, 1, 10, 9, 30, 0)},
              {"beta.txt", 1, 2, 2000, PackedTime(2022, 6, 1, 12, 0, 0)},
              {"alpha.txt", 0, 2, 2000, PackedTime(2022, 5, 1, 8, 0, 0)},
              {"zeta.jpg", 0, 3, 1000, PackedTime(2021, 7, 4, 18, 45, 10)},
              {"delta.jpg", 1, 3, 1000, PackedTime(2021, 8, 4, 18, 45, 10)}});
    }

    // The marks of ResultList in its own order, "1" for a marked record; `set` replaces them first.
    static std::string Marks(const std::string& set = {})
    {
        std::string marks;
        for (int32_t i = 0; i <= ResultCount; ++i) {
            if (!set.empty())
                ResultList[i].Checked = set.at(size_t(i)) == '1';
            marks += ResultList[i].Checked != 0 ? '1' : '0';
        }
        return marks;
    }
    // One field of the rows' SortList entries, top to bottom.
    static std::vector<int32_t> Rows(int32_t TSortEntry::*field = &TSortEntry::ItemIndex)
    {
        std::vector<int32_t> values;
        for (int32_t r = 0; r <= ResultCount; ++r)
            values.push_back(SortList[size_t(r)].*field);
        return values;
    }
};
