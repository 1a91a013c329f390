#pragma once

#include "core/FileLists.h"
#include "platform/Collation.h"
#include "platform/KeyState.h"
#include "results/ResultWindow.h"
#include "results/Selection.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

// The packed DOS local date and time of a moment.
constexpr int32_t PackedTime(int year, int month, int day, int hour, int minute, int second)
{
    return int32_t(uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 |
                   uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2));
}

struct TResultRow
{
    const char* Name;
    int32_t Folder; // index into the folders given with the rows
    int32_t Group;
    uint64_t Size;
    int32_t Time;
};

// The window as the result commands see it, recording what they ask of it.
class TRecordingWindow : public TResultWindow
{
public:
    int SelectedRow() const override { return Selected; }
    uint8_t SortDirection() const override { return Direction; }
    void BeginRowUpdate() override { ++Updates, ++UpdateDepth; }
    void EndRowUpdate() override { --UpdateDepth; }
    void SetRowCount(int rows) override { Rows = rows, RowsSetInUpdate = UpdateDepth > 0; }
    void SelectAndFocusRow(int row) override { Focused.push_back(row); }
    void RepaintRows() override { ++Repaints; }
    void SetSelectedText(const QString& text) override { Text = text; }
    void DeleteThisFile() override { ++Deletes; }

    int Selected = -1;
    uint8_t Direction = 0;
    int Updates = 0, UpdateDepth = 0, Rows = -1, Repaints = 0, Deletes = 0;
    bool RowsSetInUpdate = false;
    std::vector<int> Focused;
    QString Text = QStringLiteral("0 / 0 MB");
};

// Result lists filled by hand as a search leaves them (rows in ResultList order, each band value
// the record's group), under a US locale; everything is emptied again afterwards.
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

    static void Fill(std::initializer_list<const char*> folders, std::initializer_list<TResultRow> rows)
    {
        PathList.SetLength(int32_t(folders.size()));
        for (const char* folder : folders)
            AppendPathEntry(QString::fromUtf8(folder));
        ResultList.SetLength(int32_t(rows.size()));
        for (const TResultRow& row : rows) {
            TFileInfoType record;
            record.Name = NamePool.Add(QString::fromUtf8(row.Name));
            record.PathIndex = row.Folder;
            record.Group = row.Group;
            record.Size = row.Size;
            record.Time = row.Time;
            ResultList.Put(++ResultCount, record);
        }
        ResultCapacity = ResultCount + 1;
        SortList.clear();
        for (int32_t i = 0; i <= ResultCount; ++i)
            SortList.push_back({i, ResultList[i].Group});
    }

    // Seven files in three groups, largest first, every time different. Group 1 spreads over three
    // folders; sorted by name it falls apart into two bands.
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

    // The marks of ResultList in its own order, "1" for a marked record.
    static std::string Marks()
    {
        std::string marks;
        for (int32_t i = 0; i <= ResultCount; ++i)
            marks += ResultList[i].Checked != 0 ? '1' : '0';
        return marks;
    }
    static void SetMarks(const std::string& marks)
    {
        for (int32_t i = 0; i <= ResultCount; ++i)
            ResultList[i].Checked = marks.at(size_t(i)) == '1' ? 1 : 0;
    }
    // The records the rows show, and their band values, top to bottom.
    static std::vector<int32_t> Items()
    {
        std::vector<int32_t> items;
        for (int32_t r = 0; r <= ResultCount; ++r)
            items.push_back(SortList[size_t(r)].ItemIndex);
        return items;
    }
    static std::vector<int32_t> Shades()
    {
        std::vector<int32_t> shades;
        for (int32_t r = 0; r <= ResultCount; ++r)
            shades.push_back(SortList[size_t(r)].Shade);
        return shades;
    }

private:
    static void AppendPathEntry(const QString& folder) { PathList.Put(++PathCount, folder); }
};
