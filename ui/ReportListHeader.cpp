#include "ReportListHeader.h"

#include "ReportListView.h"
#include "ThemePaint.h"

#include <QBitmap>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QRegion>

namespace {

constexpr int HeaderPadding = 4;
constexpr int GlyphGap = 4;

class TReportHeader : public QHeaderView
{
public:
    explicit TReportHeader(TReportListView* view) : QHeaderView(Qt::Horizontal, view), m_view(view)
    {
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
    }

    QSize sizeHint() const override
    {
        QSize hint = QHeaderView::sizeHint();
        hint.setHeight(fontMetrics().height() + 8);
        return hint;
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid())
            return;
        painter->save();
        QColor face = m_view->headerColor();
        if (logicalIndex == m_pressed)
            face = face.darker(112);
        else if (logicalIndex == m_hot && m_view->hotTrack())
            face = face.lighter(110);
        theme::FillVerticalGradient(*painter, rect, face.lighter(106), face);
        painter->setPen(QColor(0xA0, 0xA0, 0xA0));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->setPen(QColor(255, 255, 255, 160));
        painter->drawLine(rect.topLeft(), rect.bottomLeft() - QPoint(0, 1));

        const QPixmap glyph = GlyphFor(logicalIndex);
        const int shift = logicalIndex == m_pressed ? 1 : 0;
        QRect textRect = rect.adjusted(HeaderPadding + shift, shift, -HeaderPadding, 0);
        // Only the glyph's visible pixels take room: a 16-pixel picture of a small triangle would
        // otherwise cut short the caption of a narrow column such as "Dup. Group".
        const QRect visible = glyph.isNull()          ? QRect()
                              : glyph.mask().isNull() ? glyph.rect()
                                                      : QRegion(glyph.mask()).boundingRect();
        const int glyphRoom = glyph.isNull() ? 0 : GlyphGap + visible.width();
        const QString caption =
            model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
        const QString shown =
            fontMetrics().elidedText(caption, Qt::ElideRight, qMax(0, textRect.width() - glyphRoom));
        painter->setFont(font());
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
        if (!glyph.isNull()) {
            const int x = textRect.left() + fontMetrics().horizontalAdvance(shown) + GlyphGap;
            if (x + visible.width() <= rect.right()) {
                const int y = rect.top() + (rect.height() - glyph.height()) / 2 + visible.top();
                painter->drawPixmap(QPoint(x, y), glyph, visible);
            }
        }
        painter->restore();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        QHeaderView::mouseMoveEvent(event);
        SetHot(logicalIndexAt(event->position().toPoint()));
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        QHeaderView::mousePressEvent(event);
        // A press on a divider resizes instead of clicking; the cursor tells which.
        if (event->button() == Qt::LeftButton && viewport()->cursor().shape() != Qt::SplitHCursor)
            SetPressed(logicalIndexAt(event->position().toPoint()));
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        SetPressed(-1);
        QHeaderView::mouseReleaseEvent(event);
    }

    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::Leave)
            SetHot(-1);
        return QHeaderView::viewportEvent(event);
    }

private:
    QPixmap GlyphFor(int logicalIndex) const
    {
        if (!m_view->showSortGlyph() || logicalIndex != m_view->sortColumn())
            return QPixmap();
        return m_view->sortDirection() == 1 ? m_view->sortDownImage() : m_view->sortUpImage();
    }

    void SetHot(int section)
    {
        if (section == m_hot)
            return;
        m_hot = section;
        viewport()->update();
    }

    void SetPressed(int section)
    {
        if (section == m_pressed)
            return;
        m_pressed = section;
        viewport()->update();
    }

    const TReportListView* m_view; // not owned: the list this header belongs to
    int m_hot = -1;
    int m_pressed = -1;
};

} // namespace

QHeaderView* CreateReportHeader(TReportListView* view)
{
    return new TReportHeader(view);
}

QPixmap DefaultSortGlyph(bool up)
{
    QPixmap image(9, 5);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x60, 0x60, 0x60));
    QPolygonF triangle;
    if (up)
        triangle << QPointF(0, 5) << QPointF(9, 5) << QPointF(4.5, 0);
    else
        triangle << QPointF(0, 0) << QPointF(9, 0) << QPointF(4.5, 5);
    painter.drawPolygon(triangle);
    return image;
}
