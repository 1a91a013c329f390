#include "ReportListDelegate.h"

#include "ReportListView.h"
#include "ThemePaint.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int CellPadding = 3;

class TReportDelegate : public QStyledItemDelegate
{
public:
    explicit TReportDelegate(TReportListView* view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const QRect cell = option.rect;
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        if (selected)
            painter->fillRect(cell, m_view->selectionColor());
        else
            painter->fillRect(cell, index.data(Qt::BackgroundRole).value<QBrush>());

        int left = cell.left() + CellPadding;
        const QVariant checkState = index.data(Qt::CheckStateRole);
        const QVariant emblem = index.data(Qt::DecorationRole);
        if (checkState.isValid()) {
            const QPixmap image = emblem.isValid() ? emblem.value<QPixmap>()
                                  : checkState.value<Qt::CheckState>() == Qt::Checked
                                      ? m_view->checkedImage()
                                      : m_view->uncheckedImage();
            const int top = cell.top() + (cell.height() - image.height()) / 2;
            painter->drawPixmap(left, top, image);
            left += image.width() + CellPadding;
        }

        const QVariant fontValue = index.data(Qt::FontRole);
        const QFont font = fontValue.isValid() ? fontValue.value<QFont>() : option.font;
        painter->setFont(font);
        painter->setPen(selected ? m_view->selectionTextColor()
                                 : index.data(Qt::ForegroundRole).value<QBrush>().color());
        const QRect textRect(left, cell.top(), cell.right() - CellPadding - left + 1, cell.height());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, qMax(0, textRect.width()));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);

        if (m_view->gridLines()) {
            painter->setPen(m_view->gridColor());
            painter->drawLine(cell.topRight(), cell.bottomRight());
            painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), m_view->fixedRowHeight());
    }

private:
    const TReportListView* m_view; // not owned: the list this delegate paints
};

} // namespace

QStyledItemDelegate* CreateReportDelegate(TReportListView* view)
{
    return new TReportDelegate(view);
}

QPixmap DefaultCheckImage(bool checked)
{
    QPixmap image(16, 16);
    image.fill(Qt::white);
    QPainter painter(&image);
    theme::DrawCheckIndicator(painter, QRect(1, 1, theme::IndicatorSize, theme::IndicatorSize), checked,
                              theme::TIndicatorState::Normal);
    return image;
}
