#include "app/ExportCommand.h"
#include "app/VarneMain.h"
#include "results/ResultView.h"
#include "tests/results/ResultFixture.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/PumpScript.h"
#include "tests/support/ScopedSeam.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QTest>

namespace {

using ResultWindow = TResultFixture;

// The main window with a search's results filled in by hand, driven through its list as a user
// would: header clicks (one arriving while a sort lets messages through), cell clicks with and
// without Shift, keys, the menu commands and the button.
TEST_F(ResultWindow, SortsAndMarksThroughItsList)
{
    const TFakeDrives drives;
    TMainForm form;
    SetUp(); // again: the window's creation handler has set the globals
    auto* list = form.findChild<TReportListView*>(QStringLiteral("AdvListView1"));
    const QLabel* figure = form.findChild<QLabel*>(QStringLiteral("SelectedTextout"));
    list->SetRowCount(ResultCount + 1);
    form.resize(900, 700);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const auto cell = [&](int row) { return list->model()->index(row, 0).data().toString(); };
    const auto clickHeader = [&](int column) {
        const QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(column) + 9, 5});
    };
    const auto click = [&](int row, int column, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(list->model()->index(row, column)).center());
    };

    clickHeader(ColumnGroup); // already the sort column: reversed
    EXPECT_EQ(cell(0), "delta.jpg");
    clickHeader(ColumnGroup);
    clickHeader(ColumnSize); // ascending carries over: smallest first
    EXPECT_EQ(cell(0), "delta.jpg");
    list->setFocus();
    list->SelectAndFocus(2); // alpha.txt
    {
        const TPumpScript pump([&](int) {
            clickHeader(ColumnModified);
            QTest::keyClick(list, Qt::Key_Space);
        });
        clickHeader(ColumnName);
        EXPECT_EQ(pump.Count(), 1);
    }
    EXPECT_EQ(list->sortColumn(), int(ColumnName));
    EXPECT_EQ(cell(6), "zeta.jpg");
    EXPECT_EQ(list->SelectedIndex(), 0); // still alpha.txt
    EXPECT_EQ(Marks(), "0000000");

    clickHeader(ColumnGroup); // back to the order of the search
    EXPECT_EQ(figure->text(), "0 / 0 MB");
    click(1, ColumnName);
    EXPECT_EQ(figure->text(), "1 / 3 KB");
    click(4, ColumnName, Qt::ShiftModifier);
    click(2, ColumnPath);
    {
        const TScopedSeam shift(&plat::SetShiftHeldForTest, true); // read when the handler runs
        click(6, ColumnName);
    }
    EXPECT_EQ(Marks(), "0111111");
    QTest::keyClick(list, Qt::Key_Space); // row 6, selected by the click
    EXPECT_EQ(Marks(), "0111110");
    {
        // Ignored while the command runs: a click, and an export that would read the lists.
        int exportsAsked = 0;
        const TSaveDialogFunction dialog = SetSaveDialogFunction([&](auto&&...) {
            ++exportsAsked;
            return QString();
        });
        const TPumpScript pump([&](int) {
            click(0, ColumnName);
            form.findChild<QAction*>("ExportResults1")->trigger();
        });
        form.findChild<QAction*>("LeaveonlynewestversionineachDupGroup1")->trigger();
        EXPECT_EQ(pump.Count(), 3); // one time sort per group
        EXPECT_EQ(exportsAsked, 0);
        SetSaveDialogFunction(dialog);
    }
    EXPECT_EQ(Marks(), "0110110"); // the marks before are replaced
    form.findChild<QAction*>("LeaveonlyoldestversionineachDupGroup1")->trigger();
    EXPECT_EQ(Marks(), "1011001");
    form.findChild<QAbstractButton*>(QStringLiteral("DeselectAllButton"))->click();
    list->SelectAndFocus(1); // notes.pdf in /data/b/
    form.findChild<QAction*>("SelectAllinFolder1")->trigger();
    EXPECT_EQ(Marks(), "0101000");
    EXPECT_EQ(figure->text(), "2 / 5 KB");
    QTest::keyClick(list, Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(figure->text(), "0 / 0 B");
}

} // namespace
