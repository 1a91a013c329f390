#pragma once

#include "ReportListModel.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QStringList>
#include <QTableView>

#include <functional>

class QMenu;

// A report-style virtual list: column headers with a sort glyph, a check box per row in column
// 0, owner-supplied texts and paint properties per row, whole-row selection, grid lines. It
// holds no rows, only their number; its one model (TReportListModel) asks the owner's handlers
// for whatever is painted.
//
// A header click runs, in this order: when the glyph is shown and the clicked column already
// is the sort column, the direction is reversed; the sort-start handler is asked (none means
// yes); if it agrees the clicked column becomes the sort column and carries the glyph,
// otherwise the direction goes back to what it was; then columnClicked is emitted.
class TReportListView : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(int sortColumn READ sortColumn WRITE setSortColumn)
    Q_PROPERTY(int sortDirection READ sortDirection WRITE setSortDirection)
    Q_PROPERTY(bool showSortGlyph READ showSortGlyph WRITE setShowSortGlyph)
    Q_PROPERTY(QStringList columnCaptions READ columnCaptions WRITE setColumnCaptions)
    Q_PROPERTY(QString columnWidths READ columnWidths WRITE setColumnWidths)
    Q_PROPERTY(int fixedRowHeight READ fixedRowHeight WRITE setFixedRowHeight)
    Q_PROPERTY(bool gridLines READ gridLines WRITE setGridLines)
    Q_PROPERTY(QColor gridColor READ gridColor WRITE setGridColor)
    Q_PROPERTY(QColor selectionColor READ selectionColor WRITE setSelectionColor)
    Q_PROPERTY(QColor selectionTextColor READ selectionTextColor WRITE setSelectionTextColor)
    Q_PROPERTY(QColor headerColor READ headerColor WRITE setHeaderColor)
    Q_PROPERTY(bool hotTrack READ hotTrack WRITE setHotTrack)
    Q_PROPERTY(QPixmap uncheckedImage READ uncheckedImage WRITE setUncheckedImage)
    Q_PROPERTY(QPixmap checkedImage READ checkedImage WRITE setCheckedImage)
    Q_PROPERTY(QPixmap sortUpImage READ sortUpImage WRITE setSortUpImage)
    Q_PROPERTY(QPixmap sortDownImage READ sortDownImage WRITE setSortDownImage)

public:
    using TDataHandler = TReportListModel::TDataHandler;
    using TPaintHandler = TReportListModel::TPaintHandler;
    // Returns whether the list may sort by the clicked column.
    using TSortStartHandler = std::function<bool(int column)>;

    explicit TReportListView(QWidget* parent = nullptr);

    TReportListModel* Model() const { return m_model; }

    // Captions and design widths; the widths are kept in proportion and stretched to fill the
    // list's width. Missing widths count as 100.
    void SetColumns(const QStringList& captions, const QList<int>& widths);
    void SetDataHandler(TDataHandler handler);
    void SetPaintHandler(TPaintHandler handler);
    void SetSortStartHandler(TSortStartHandler handler);
    // Shown on a right click (or the menu key); not owned.
    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const { return m_popupMenu; }

    void SetRowCount(int rows);
    int RowCount() const;
    // Painting waits until the last EndUpdate; pairs may nest.
    void BeginUpdate();
    void EndUpdate();
    // Forget what the handlers said and paint the visible rows again.
    void RepaintRows();
    void RepaintRow(int row);

    // The selected row, -1 when none.
    int SelectedIndex() const;
    // Select row and make it current, scrolled fully into view; -1 clears the selection, a row
    // that does not exist changes nothing.
    void SelectAndFocus(int row);

    // Glyph shown, ascending, sort column 2.
    void ResetSortState();

    int sortColumn() const { return m_sortColumn; }
    void setSortColumn(int column);
    // 0 ascending, 1 descending.
    int sortDirection() const { return m_sortDirection; }
    void setSortDirection(int direction);
    bool showSortGlyph() const { return m_showSortGlyph; }
    void setShowSortGlyph(bool on);

    QStringList columnCaptions() const;
    void setColumnCaptions(const QStringList& captions);
    // Comma-separated design widths, "180,260,80".
    QString columnWidths() const;
    void setColumnWidths(const QString& widths);
    // Every row has this height.
    int fixedRowHeight() const { return m_rowHeight; }
    void setFixedRowHeight(int pixels);
    bool gridLines() const { return m_gridLines; }
    void setGridLines(bool on);
    QColor gridColor() const { return m_gridColor; }
    void setGridColor(const QColor& color);
    QColor selectionColor() const { return m_selectionColor; }
    void setSelectionColor(const QColor& color);
    QColor selectionTextColor() const { return m_selectionTextColor; }
    void setSelectionTextColor(const QColor& color);
    QColor headerColor() const { return m_headerColor; }
    void setHeaderColor(const QColor& color);
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool on);
    QPixmap uncheckedImage() const { return m_uncheckedImage; }
    void setUncheckedImage(const QPixmap& image);
    QPixmap checkedImage() const { return m_checkedImage; }
    void setCheckedImage(const QPixmap& image);
    QPixmap sortUpImage() const { return m_sortUpImage; }
    void setSortUpImage(const QPixmap& image);
    QPixmap sortDownImage() const { return m_sortDownImage; }
    void setSortDownImage(const QPixmap& image);
    void SetCheckImages(const QPixmap& unchecked, const QPixmap& checked);
    void SetSortGlyphs(const QPixmap& up, const QPixmap& down);

    void keyboardSearch(const QString& search) override;

signals:
    void columnClicked(int column);
    // A left button press on a cell (also the second press of a double click), with the
    // modifier keys held.
    void leftClickCell(int row, int column, Qt::KeyboardModifiers modifiers);
    // Every key pressed while the list has the focus, before the list's own handling.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void HeaderClicked(int column);
    void HeaderSectionResized(int column, int oldSize, int newSize);
    void FitColumns();
    void UpdateDefaultPaint();
    void ReportCellPress(QMouseEvent* event);

    TReportListModel* m_model; // owned through the QObject tree
    TSortStartHandler m_sortStartHandler;
    QMenu* m_popupMenu = nullptr; // not owned: the window's popup menu
    QList<int> m_columnWeights;
    bool m_fittingColumns = false;
    bool m_pressReported = false;        // during a double click: its press was reported already
    bool m_reportingColumnClick = false; // a header click is being handled
    int m_updateDepth = 0;

    int m_sortColumn = 0;
    int m_sortDirection = 0;
    bool m_showSortGlyph = true;
    int m_rowHeight = 16;
    bool m_gridLines = true;
    QColor m_gridColor{0xD6, 0xD6, 0xD6};
    QColor m_selectionColor{0x3A, 0x6E, 0xA5};
    QColor m_selectionTextColor{Qt::white};
    QColor m_headerColor{0xDA, 0xDA, 0xDA};
    bool m_hotTrack = true;
    QPixmap m_uncheckedImage;
    QPixmap m_checkedImage;
    QPixmap m_sortUpImage;
    QPixmap m_sortDownImage;
};
