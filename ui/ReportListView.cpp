#include "ReportListView.h"

#include "ReportListDelegate.h"
#include "ReportListHeader.h"
#include "ThemePaint.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

TReportListView::TReportListView(QWidget* parent)
    : QTableView(parent), m_model(new TReportListModel(this)), m_uncheckedImage(DefaultCheckImage(false)),
      m_checkedImage(DefaultCheckImage(true)), m_sortUpImage(DefaultSortGlyph(true)),
      m_sortDownImage(DefaultSortGlyph(false))
{
    QFont listFont = font();
    listFont.setFamilies({theme::SansSerifStandIn()});
    listFont.setPointSize(8);
    setFont(listFont);

    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::white);
    colors.setColor(QPalette::Text, Qt::black);
    colors.setColor(QPalette::Highlight, m_selectionColor);
    colors.setColor(QPalette::HighlightedText, m_selectionTextColor);
    colors.setColor(QPalette::ButtonText, Qt::black);
    setPalette(colors);

    setModel(m_model);
    QHeaderView* header = CreateReportHeader(this);
    setHorizontalHeader(header);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(16);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this, &TReportListView::HeaderClicked);
    connect(header, &QHeaderView::sectionResized, this, &TReportListView::HeaderSectionResized);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_rowHeight);

    setItemDelegate(CreateReportDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    UpdateDefaultPaint();
}

void TReportListView::SetColumns(const QStringList& captions, const QList<int>& widths)
{
    // Widths may arrive before the captions (code generated from a layout file sets caption lists
    // last), so the design widths are kept whole and only padded, never cut to the captions known
    // so far.
    m_columnWeights.clear();
    for (qsizetype i = 0; i < qMax(captions.size(), widths.size()); ++i)
        m_columnWeights.append(i < widths.size() && widths.at(i) > 0 ? widths.at(i) : 100);
    // New sections come with default widths; those are not a divider the user dragged.
    m_fittingColumns = true;
    m_model->SetColumnCaptions(captions);
    m_fittingColumns = false;
    FitColumns();
}

void TReportListView::SetDataHandler(TDataHandler handler)
{
    m_model->SetDataHandler(std::move(handler));
}

void TReportListView::SetPaintHandler(TPaintHandler handler)
{
    m_model->SetPaintHandler(std::move(handler));
}

void TReportListView::SetSortStartHandler(TSortStartHandler handler)
{
    m_sortStartHandler = std::move(handler);
}

void TReportListView::SetPopupMenu(QMenu* menu)
{
    m_popupMenu = menu;
}

void TReportListView::SetRowCount(int rows)
{
    m_model->SetRowCount(rows);
}

int TReportListView::RowCount() const
{
    return m_model->RowCount();
}

void TReportListView::BeginUpdate()
{
    if (m_updateDepth++ == 0)
        viewport()->setUpdatesEnabled(false);
}

void TReportListView::EndUpdate()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth == 0) {
        viewport()->setUpdatesEnabled(true);
        viewport()->update();
    }
}

void TReportListView::RepaintRows()
{
    m_model->RefreshRows();
    viewport()->update();
}

void TReportListView::RepaintRow(int row)
{
    m_model->RefreshRow(row);
}

int TReportListView::SelectedIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TReportListView::SelectAndFocus(int row)
{
    if (row < 0) {
        selectionModel()->clear();
        return;
    }
    if (row >= RowCount() || m_model->columnCount() == 0)
        return;
    const QModelIndex target = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(target,
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target, QAbstractItemView::EnsureVisible);
}

void TReportListView::ResetSortState()
{
    m_showSortGlyph = true;
    m_sortDirection = 0;
    m_sortColumn = 2;
    horizontalHeader()->viewport()->update();
}

void TReportListView::setSortColumn(int column)
{
    m_sortColumn = column;
    horizontalHeader()->viewport()->update();
}

void TReportListView::setSortDirection(int direction)
{
    m_sortDirection = direction == 1 ? 1 : 0;
    horizontalHeader()->viewport()->update();
}

void TReportListView::setShowSortGlyph(bool on)
{
    m_showSortGlyph = on;
    horizontalHeader()->viewport()->update();
}

QStringList TReportListView::columnCaptions() const
{
    return m_model->ColumnCaptions();
}

void TReportListView::setColumnCaptions(const QStringList& captions)
{
    // A copy: SetColumns rebuilds the weights it would otherwise be reading.
    const QList<int> weights = m_columnWeights;
    SetColumns(captions, weights);
}

QString TReportListView::columnWidths() const
{
    QStringList parts;
    for (const int weight : m_columnWeights)
        parts << QString::number(weight);
    return parts.join(QLatin1Char(','));
}

void TReportListView::setColumnWidths(const QString& widths)
{
    QList<int> parsed;
    for (const QString& part : widths.split(QLatin1Char(','), Qt::SkipEmptyParts))
        parsed.append(part.trimmed().toInt());
    SetColumns(m_model->ColumnCaptions(), parsed);
}

void TReportListView::setFixedRowHeight(int pixels)
{
    m_rowHeight = qMax(1, pixels);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
}

void TReportListView::setGridLines(bool on)
{
    m_gridLines = on;
    viewport()->update();
}

void TReportListView::setGridColor(const QColor& color)
{
    m_gridColor = color;
    viewport()->update();
}

void TReportListView::setSelectionColor(const QColor& color)
{
    m_selectionColor = color;
    QPalette colors = palette();
    colors.setColor(QPalette::Highlight, color);
    setPalette(colors);
    viewport()->update();
}

void TReportListView::setSelectionTextColor(const QColor& color)
{
    m_selectionTextColor = color;
    QPalette colors = palette();
    colors.setColor(QPalette::HighlightedText, color);
    setPalette(colors);
    viewport()->update();
}

void TReportListView::setHeaderColor(const QColor& color)
{
    m_headerColor = color;
    horizontalHeader()->viewport()->update();
}

void TReportListView::setHotTrack(bool on)
{
    m_hotTrack = on;
    horizontalHeader()->viewport()->update();
}

void TReportListView::setUncheckedImage(const QPixmap& image)
{
    m_uncheckedImage = image.isNull() ? DefaultCheckImage(false) : image;
    viewport()->update();
}

void TReportListView::setCheckedImage(const QPixmap& image)
{
    m_checkedImage = image.isNull() ? DefaultCheckImage(true) : image;
    viewport()->update();
}

void TReportListView::setSortUpImage(const QPixmap& image)
{
    m_sortUpImage = image.isNull() ? DefaultSortGlyph(true) : image;
    horizontalHeader()->viewport()->update();
}

void TReportListView::setSortDownImage(const QPixmap& image)
{
    m_sortDownImage = image.isNull() ? DefaultSortGlyph(false) : image;
    horizontalHeader()->viewport()->update();
}

void TReportListView::SetCheckImages(const QPixmap& unchecked, const QPixmap& checked)
{
    setUncheckedImage(unchecked);
    setCheckedImage(checked);
}

void TReportListView::SetSortGlyphs(const QPixmap& up, const QPixmap& down)
{
    setSortUpImage(up);
    setSortDownImage(down);
}

void TReportListView::keyboardSearch(const QString&)
{
    // Type-ahead would ask the owner for the text of every row; the list has none of its own.
}

void TReportListView::HeaderClicked(int column)
{
    // The owner may pump messages while it sorts; a click that arrives then is ignored rather
    // than starting a second sort under the first.
    if (m_reportingColumnClick)
        return;
    const QScopedValueRollback reporting(m_reportingColumnClick, true);
    const int previousDirection = m_sortDirection;
    if (m_showSortGlyph && column == m_sortColumn)
        m_sortDirection = m_sortDirection == 1 ? 0 : 1;
    const bool allowed = m_sortStartHandler ? m_sortStartHandler(column) : true;
    if (allowed)
        m_sortColumn = column;
    else
        m_sortDirection = previousDirection;
    horizontalHeader()->viewport()->update();
    emit columnClicked(column);
}

void TReportListView::HeaderSectionResized(int column, int, int)
{
    const int columns = m_model->columnCount();
    if (m_fittingColumns || column < 0 || column >= columns || columns > m_columnWeights.size())
        return;
    // A divider dragged by the user: its widths become the new proportions.
    for (int i = 0; i < columns; ++i)
        m_columnWeights[i] = qMax(1, horizontalHeader()->sectionSize(int(i)));
}

void TReportListView::FitColumns()
{
    const int columns = m_model->columnCount();
    const int available = viewport()->width();
    if (columns == 0 || available <= 0 || m_columnWeights.size() < columns)
        return;
    qint64 total = 0;
    for (int i = 0; i < columns; ++i)
        total += m_columnWeights.at(i);
    const int minimum = horizontalHeader()->minimumSectionSize();
    m_fittingColumns = true;
    int used = 0;
    qint64 weightSoFar = 0;
    for (int i = 0; i < columns - 1; ++i) {
        // Each boundary is rounded from the running total, so the rounding errors do not pile up.
        weightSoFar += m_columnWeights.at(i);
        const int boundary = int((weightSoFar * available + total / 2) / total);
        const int width = qMax(minimum, boundary - used);
        horizontalHeader()->resizeSection(i, width);
        used += width;
    }
    horizontalHeader()->resizeSection(columns - 1, qMax(minimum, available - used));
    m_fittingColumns = false;
}

void TReportListView::UpdateDefaultPaint()
{
    TReportRowPaint paint;
    paint.Brush = palette().color(QPalette::Base);
    paint.FontColor = palette().color(QPalette::Text);
    paint.Font = font();
    m_model->SetDefaultPaint(paint);
}

void TReportListView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FitColumns();
    emit resized(); // after the columns are fitted, so the owner sees the new widths
}

void TReportListView::ReportCellPress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (cell.isValid())
        emit leftClickCell(cell.row(), cell.column(), event->modifiers());
}

void TReportListView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    ReportCellPress(event);
    m_pressReported = true;
}

void TReportListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A second press on another cell than the first reaches mousePressEvent from inside the base
    // class, which reports it there; it must not be reported twice.
    m_pressReported = false;
    QTableView::mouseDoubleClickEvent(event);
    if (!m_pressReported)
        ReportCellPress(event);
}

void TReportListView::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), event->modifiers());
    QTableView::keyPressEvent(event);
}

void TReportListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_popupMenu) {
        QTableView::contextMenuEvent(event);
        return;
    }
    QPoint where = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid())
        where = viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft());
    m_popupMenu->popup(where);
    event->accept();
}

void TReportListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        UpdateDefaultPaint();
}
