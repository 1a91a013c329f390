#pragma once

#include <QPixmap>

class QHeaderView;
class TReportListView;

// The header of a TReportListView: flat gradient sections with hot tracking and a pressed look,
// and the view's sort glyph beside the caption of its sort column.
QHeaderView* CreateReportHeader(TReportListView* view);

// The glyph a view shows until it is given its own: a small triangle pointing up or down.
QPixmap DefaultSortGlyph(bool up);
