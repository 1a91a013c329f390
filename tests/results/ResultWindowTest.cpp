#include "app/VarneMain.h"
#include "platform/Mounts.h"
#include "results/ResultView.h"
#include "tests/results/ResultFixture.h"
#include "tests/support/PumpScript.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

// The main window with the results of a search filled in by hand, driven through its list.
class ResultWindow : public TResultFixture
{
protected:
    void SetUp() override
    {
        plat::SetMountInfoSourceForTest(&m_noDrives);
        m_window = std::make_unique<TMainForm>();
        TResultFixture::SetUp(); // after the window's creation handler reset the globals
        FillThreeGroups();
        list = m_window->findChild<TReportListView*>(QStringLiteral("AdvListView1"));
        ASSERT_NE(list, nullptr);
        list->SetRowCount(ResultCount + 1);
        list->ResetSortState();
        m_window->resize(900, 700);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void TearDown() override
    {
        m_window.reset();
        plat::SetMountInfoSourceForTest(nullptr);
        TResultFixture::TearDown();
    }

    QString Caption(int row) const { return list->model()->index(row, 0).data().toString(); }
    QStringList Captions() const
    {
        QStringList captions;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            captions << Caption(row);
        return captions;
    }
    QString SelectedFigure() const
    {
        return m_window->findChild<QLabel*>(QStringLiteral("SelectedTextout"))->text();
    }
    void ClickHeader(int column)
    {
        const QHeaderView* header = list->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(list->model()->index(row, column)).center());
    }
    void Trigger(const char* action)
    {
        m_window->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }

    QByteArray m_noDrives = "21 1 0:20 / /proc rw - proc proc rw\n";
    std::unique_ptr<TMainForm> m_window;
    TReportListView* list = nullptr;
};

const QStringList ResultOrder{"Report.pdf", "notes.pdf", "copy.pdf", "beta.txt",
                              "alpha.txt",  "zeta.jpg",  "delta.jpg"};
const QStringList NameOrder{"alpha.txt", "beta.txt",   "copy.pdf", "delta.jpg",
                            "notes.pdf", "Report.pdf", "zeta.jpg"};

TEST_F(ResultWindow, HeaderClicksSortTheRowsAndAClickDuringTheSortChangesNothing)
{
    QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(Captions(), ResultOrder);
    EXPECT_EQ(list->model()->index(0, 3).data(Qt::BackgroundRole).value<QBrush>().color(), BandColor);

    ClickHeader(ColumnGroup); // already the sort column: reversed
    EXPECT_EQ(list->sortDirection(), 1);
    EXPECT_EQ(Caption(0), QStringLiteral("delta.jpg"));
    ClickHeader(ColumnGroup);
    EXPECT_EQ(Captions(), ResultOrder);
    ClickHeader(ColumnSize); // ascending carries over: smallest first
    EXPECT_EQ(list->sortColumn(), int(ColumnSize));
    EXPECT_EQ(Caption(0), QStringLiteral("delta.jpg"));

    // While the name sort lets messages through, the user clicks "Modified" and presses Space.
    list->setFocus();
    list->SelectAndFocus(2); // alpha.txt
    const TPumpScript pump([&](int) {
        ClickHeader(ColumnModified);
        QTest::keyClick(list, Qt::Key_Space);
    });
    ClickHeader(ColumnName);
    EXPECT_EQ(pump.Count(), 1);
    EXPECT_EQ(list->sortColumn(), int(ColumnName));
    EXPECT_EQ(list->sortDirection(), 0);
    EXPECT_EQ(Captions(), NameOrder);
    EXPECT_EQ(list->SelectedIndex(), 0); // still alpha.txt
    EXPECT_EQ(Marks(), "0000000");
    EXPECT_EQ(list->model()->index(2, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::white));
}

TEST_F(ResultWindow, ClicksKeysAndMenuCommandsMarkRowsAndTheFigureFollows)
{
    EXPECT_EQ(SelectedFigure(), QStringLiteral("0 / 0 MB"));
    ClickCell(1, ColumnName);
    EXPECT_EQ(Marks(), "0100000");
    EXPECT_EQ(list->model()->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(SelectedFigure(), QStringLiteral("1 / 3 KB"));
    ClickCell(4, ColumnName, Qt::ShiftModifier);
    EXPECT_EQ(Marks(), "0111100");
    EXPECT_EQ(SelectedFigure(), QStringLiteral("4 / 10 KB"));
    ClickCell(2, ColumnPath);
    EXPECT_EQ(Marks(), "0111100");

    // Shift comes from the platform's key state when the handler runs, not from the event.
    plat::SetShiftHeldForTest(true);
    ClickCell(6, ColumnName);
    plat::SetShiftHeldForTest(std::nullopt);
    EXPECT_EQ(Marks(), "0111111");
    EXPECT_EQ(list->SelectedIndex(), 6);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Marks(), "0111110");
    QTest::keyClick(list, Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(Marks(), "0000000");
    EXPECT_EQ(SelectedFigure(), QStringLiteral("0 / 0 B"));

    {
        // A click that reaches the list while the command lets messages through marks nothing.
        const TPumpScript pump([&](int) { ClickCell(0, ColumnName); });
        Trigger("LeaveonlynewestversionineachDupGroup1");
        EXPECT_EQ(pump.Count(), 3);
    }
    EXPECT_EQ(Marks(), "0110110");
    EXPECT_EQ(list->model()->index(5, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(SelectedFigure(), QStringLiteral("4 / 9 KB"));
    Trigger("LeaveonlyoldestversionineachDupGroup1");
    EXPECT_EQ(Marks(), "1011001");

    m_window->findChild<QAbstractButton*>(QStringLiteral("DeselectAllButton"))->click();
    EXPECT_EQ(Marks(), "0000000");
    list->SelectAndFocus(6); // delta.jpg in /data/b/
    Trigger("SelectAllinFolder1");
    EXPECT_EQ(Marks(), "0101001");
    EXPECT_EQ(SelectedFigure(), QStringLiteral("3 / 6 KB"));

    ResultList[0].Removed = 1;
    ClickCell(0, ColumnName);
    EXPECT_EQ(Marks(), "0101001");
    const QModelIndex removed = list->model()->index(0, 1);
    EXPECT_EQ(removed.data(Qt::ForegroundRole).value<QBrush>().color(), RemovedColor);
    EXPECT_TRUE(removed.data(Qt::FontRole).value<QFont>().strikeOut());
}

} // namespace
