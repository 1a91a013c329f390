#pragma once

#include <QPixmap>

class QStyledItemDelegate;
class TReportListView;

// Paints the cells of a TReportListView: the row's brush or the selection colour, the check image
// in column 0, the elided text in the row's font and colour, and the grid lines.
QStyledItemDelegate* CreateReportDelegate(TReportListView* view);

// The check box image a view shows until it is given its own.
QPixmap DefaultCheckImage(bool checked);
