#pragma once

#include "ui/ReportListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

// A report list of the result list's five columns, 760 x 300, whose data handler counts its calls
// per row and answers name<row>, checked on odd rows.
const QStringList Captions{"File Name", "Path", "Dup. Group", "Size", "Modified"};
const QList<int> Widths{180, 260, 80, 100, 127};

class ReportListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.SetColumns(Captions, Widths);
        view.resize(760, 300);
        view.SetDataHandler([this](int row, TReportRowData& data) {
            ++dataCalls[row];
            data.Checked = row % 2 == 1;
            data.Caption = QStringLiteral("name%1").arg(row);
            data.SubItems = {QStringLiteral("/folder/"), QString::number(row / 3 + 1),
                             QString::number(row * 10), QStringLiteral("date")};
        });
    }

    void Show()
    {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QApplication::processEvents();
    }

    QPoint HeaderPoint(int column) const
    {
        const QHeaderView* header = view.horizontalHeader();
        return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height() / 2);
    }

    void ClickHeader(int column)
    {
        QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          HeaderPoint(column));
    }

    QPoint CellPoint(int row, int column) const
    {
        return view.visualRect(view.model()->index(row, column)).center();
    }

    TReportListView view;
    std::map<int, int> dataCalls;
};
