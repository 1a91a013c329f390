#pragma once

#include "core/FileLists.h"
#include "platform/Collation.h"
#include "platform/KeyState.h"
#include "results/ResultWindow.h"
#include "results/Selection.h"
#include "tests/support/SearchFixture.h"

#include <string>
#include <vector>

constexpr int32_t PackedTime(int year, int month, int day, int hour, int minute, int second)
{
    return int32_t(uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 |
                   uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2));
}

// The window as the result commands see it, recording what they ask of it; the selection moves
// where the commands put it.
struct TRecordingWindow : TResultWindow
{
    int SelectedRow() const override { return Selected; }
    uint8_t SortDirection() const override { return Direction; }
    void BeginRowUpdate() override { ++Updates, ++Depth; }
    void EndRowUpdate() override { --Depth; }
    void SetRowCount(int rows) override { Rows = Depth > 0 ? rows : -2; }
    void SelectAndFocusRow(int row) override { Focused.push_back(Selected = row); }
    void RepaintRows() override { ++Repaints; }
    void SetSelectedText(const QString& text) override { Text = text, ++Figures; }
    void DeleteThisFile() override { ++Deletes; }

    int Selected = -1, Updates = 0, Depth = 0, Rows = -1, Repaints = 0, Figures = 0, Deletes = 0;
    uint8_t Direction = 0;
    std::vector<int> Focused;
    QString Text;
};

// The search globals emptied around each test (TSearchFixture) and filled with FillThreeGroups,
// the collation of their US locale, no Shift anchor and the real Shift state.
class TResultFixture : public TSearchFixture
{
protected:
    void SetUp() override
    {
        TSearchFixture::SetUp();
        plat::SetCollationLocale(LocaleFormat);
        AnchorRow = -1;
        FillThreeGroups();
    }
    void TearDown() override
    {
        TSearchFixture::TearDown();
        plat::SetCollationLocale(LocaleFormat);
        plat::SetShiftHeldForTest(std::nullopt);
    }

    // Seven files in three groups as a search leaves them: largest first, each group's number its
    // band, all times different. Group 1 spreads over three folders and falls apart into two
    // bands when sorted by name; group 3 lies in one folder.
    static void FillThreeGroups()
    {
        ResetSearchGlobals();
        PathList.SetLength(3);
        for (const char* folder : {"/data/a/", "/data/b/", "/data/a/sub/"})
            PathList.Put(++PathCount, QString::fromLatin1(folder));
        ResultList.SetLength(ResultCapacity = 7);
        Add("Report.pdf", 0, 1, 3000, PackedTime(2024, 3, 15, 14, 5, 6));
        Add("notes.pdf", 1, 1, 3000, PackedTime(2023, 1, 2, 0, 0, 0));
        Add("copy.pdf", 2, 1, 3000, PackedTime(2024, 1, 10, 9, 30, 0));
        Add("beta.txt", 1, 2, 2000, PackedTime(2022, 6, 1, 12, 0, 0));
        Add("alpha.txt", 0, 2, 2000, PackedTime(2022, 5, 1, 8, 0, 0));
        Add("zeta.jpg", 0, 3, 1000, PackedTime(2021, 7, 4, 18, 45, 10));
        Add("delta.jpg", 0, 3, 1000, PackedTime(2021, 8, 4, 18, 45, 10));
        BuildSortList();
    }
    static void Add(const char* name, int32_t folder, int32_t group, uint64_t size, int32_t time)
    {
        const TNameRef pooled = NamePool.Add(QString::fromLatin1(name));
        ResultList.Put(++ResultCount,
                       {.Size = size, .Time = time, .Name = pooled, .PathIndex = folder, .Group = group});
    }

    // The marks of ResultList in its own order, "1" for a marked record.
    static std::string Marks()
    {
        std::string marks;
        for (int32_t i = 0; i <= ResultCount; ++i)
            marks += ResultList[i].Checked != 0 ? '1' : '0';
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

    TRecordingWindow window;
};
