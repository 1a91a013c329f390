#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QStringList>

#include <functional>

// What the owner fills in for one row: the check state and caption of column 0 and the texts
// of the further columns, in order. An emblem, when given, is drawn in the check box's place.
struct TReportRowData
{
    bool Checked = false;
    QString Caption;
    QStringList SubItems;
    QPixmap Emblem;
};

// How one row is painted; the owner receives the list's defaults and may change them.
struct TReportRowPaint
{
    QColor Brush;
    QColor FontColor;
    QFont Font;
};

// The model behind TReportListView: a row count and nothing per row. Every cell is asked of
// the owner's handlers when the view needs it; the last row asked is kept, so painting a row
// costs one call of each handler, not one per role and cell. After changing what a row shows,
// the owner calls RefreshRow or RefreshRows.
class TReportListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using TDataHandler = std::function<void(int row, TReportRowData& data)>;
    using TPaintHandler = std::function<void(int row, TReportRowPaint& paint)>;

    explicit TReportListModel(QObject* parent = nullptr);

    void SetDataHandler(TDataHandler handler);
    void SetPaintHandler(TPaintHandler handler);
    // The paint properties each row starts from (the list's colours and font).
    void SetDefaultPaint(const TReportRowPaint& paint);
    const TReportRowPaint& DefaultPaint() const { return m_defaultPaint; }

    // Both reset the model.
    void SetRowCount(int rows);
    int RowCount() const { return m_rowCount; }
    void SetColumnCaptions(const QStringList& captions);
    const QStringList& ColumnCaptions() const { return m_captions; }

    void RefreshRow(int row);
    void RefreshRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TReportRowData& RowData(int row) const;
    const TReportRowPaint& RowPaint(int row) const;
    void DropCache();

    TDataHandler m_dataHandler;
    TPaintHandler m_paintHandler;
    TReportRowPaint m_defaultPaint;
    QStringList m_captions;
    int m_rowCount = 0;

    mutable int m_dataRow = -1;
    mutable TReportRowData m_data;
    mutable int m_paintRow = -1;
    mutable TReportRowPaint m_paint;
};
