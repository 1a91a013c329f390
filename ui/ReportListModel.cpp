#include "ReportListModel.h"

#include <QBrush>

TReportListModel::TReportListModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_defaultPaint.Brush = Qt::white;
    m_defaultPaint.FontColor = Qt::black;
}

void TReportListModel::SetDataHandler(TDataHandler handler)
{
    m_dataHandler = std::move(handler);
    RefreshRows();
}

void TReportListModel::SetPaintHandler(TPaintHandler handler)
{
    m_paintHandler = std::move(handler);
    RefreshRows();
}

void TReportListModel::SetDefaultPaint(const TReportRowPaint& paint)
{
    m_defaultPaint = paint;
    RefreshRows();
}

void TReportListModel::SetRowCount(int rows)
{
    beginResetModel();
    m_rowCount = qMax(0, rows);
    DropCache();
    endResetModel();
}

void TReportListModel::SetColumnCaptions(const QStringList& captions)
{
    beginResetModel();
    m_captions = captions;
    DropCache();
    endResetModel();
}

void TReportListModel::RefreshRow(int row)
{
    if (row < 0 || row >= m_rowCount)
        return;
    if (row == m_dataRow || row == m_paintRow)
        DropCache();
    if (!m_captions.isEmpty())
        emit dataChanged(index(row, 0), index(row, int(m_captions.size()) - 1));
}

void TReportListModel::RefreshRows()
{
    DropCache();
    if (m_rowCount > 0 && !m_captions.isEmpty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_captions.size()) - 1));
}

void TReportListModel::DropCache()
{
    m_dataRow = -1;
    m_paintRow = -1;
}

int TReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

const TReportRowData& TReportListModel::RowData(int row) const
{
    if (row != m_dataRow) {
        m_data.Checked = false;
        m_data.Caption.clear();
        m_data.SubItems.clear();
        m_data.Emblem = QPixmap();
        if (m_dataHandler)
            m_dataHandler(row, m_data);
        m_dataRow = row;
    }
    return m_data;
}

const TReportRowPaint& TReportListModel::RowPaint(int row) const
{
    if (row != m_paintRow) {
        m_paint = m_defaultPaint;
        if (m_paintHandler)
            m_paintHandler(row, m_paint);
        m_paintRow = row;
    }
    return m_paint;
}

QVariant TReportListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const TReportRowData& rowData = RowData(row);
        if (column == 0)
            return rowData.Caption;
        return column - 1 < rowData.SubItems.size() ? rowData.SubItems.at(column - 1) : QString();
    }
    case Qt::CheckStateRole:
        if (column != 0)
            return QVariant();
        return RowData(row).Checked ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole:
        return column == 0 && !RowData(row).Emblem.isNull() ? QVariant(RowData(row).Emblem) : QVariant();
    case Qt::BackgroundRole:
        return QBrush(RowPaint(row).Brush);
    case Qt::ForegroundRole:
        return QBrush(RowPaint(row).FontColor);
    case Qt::FontRole:
        return RowPaint(row).Font;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant TReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_captions.size())
        return m_captions.at(section);
    return QVariant();
}

Qt::ItemFlags TReportListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Not user-checkable: marks change only through the owner's click and key handlers.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
