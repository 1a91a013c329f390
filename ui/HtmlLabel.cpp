#include "HtmlLabel.h"

#include "ThemePaint.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

namespace {

QString FontTagToSpan(const QString& attributes)
{
    static const QRegularExpression attributePattern(
        QStringLiteral(R"re((\w+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"));
    QStringList style;
    QRegularExpressionMatchIterator it = attributePattern.globalMatch(attributes);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1).toLower();
        QString value = match.captured(2);
        if (value.isEmpty())
            value = match.captured(3);
        if (value.isEmpty())
            value = match.captured(4);
        value = value.trimmed();
        if (name == QLatin1String("color")) {
            const QColor color = QColor::fromString(value);
            if (color.isValid())
                style << QStringLiteral("color:%1").arg(color.name());
        } else if (name == QLatin1String("size")) {
            bool ok = false;
            const int points = value.toInt(&ok);
            if (ok && points > 0)
                style << QStringLiteral("font-size:%1pt").arg(points);
        } else if (name == QLatin1String("face")) {
            QString family = theme::ResolveFontFamily(value);
            family.remove(QLatin1Char('\''));
            style << QStringLiteral("font-family:'%1'").arg(family);
        }
    }
    return QStringLiteral("<span style=\"%1\">").arg(style.join(QLatin1Char(';')));
}

} // namespace

THtmlLabel::THtmlLabel(QWidget* parent) : QWidget(parent)
{
    m_document.setUndoRedoEnabled(false);
}

QString THtmlLabel::ToRichText(const QString& markup)
{
    // Qt reads FONT size as an HTML size (1 to 7); the layouts mean points.
    static const QRegularExpression openTag(QStringLiteral(R"(<\s*font\b([^>]*)>)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression closeTag(QStringLiteral(R"(<\s*/\s*font\s*>)"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString result;
    result.reserve(markup.size() + 64);
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = openTag.globalMatch(markup);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += markup.mid(last, match.capturedStart() - last);
        result += FontTagToSpan(match.captured(1));
        last = match.capturedEnd();
    }
    result += markup.mid(last);
    result.replace(closeTag, QStringLiteral("</span>"));
    return result;
}

void THtmlLabel::setMarkup(const QString& markup)
{
    if (markup == m_markup)
        return;
    m_markup = markup;
    Changed();
}

void THtmlLabel::setGradient(bool on)
{
    m_gradient = on;
    update();
}

void THtmlLabel::setGradientTop(const QColor& color)
{
    m_gradientTop = color;
    update();
}

void THtmlLabel::setGradientBottom(const QColor& color)
{
    m_gradientBottom = color;
    update();
}

void THtmlLabel::setFlatColor(const QColor& color)
{
    m_flatColor = color;
    update();
}

void THtmlLabel::setBorderColor(const QColor& color)
{
    m_borderColor = color;
    Changed();
}

void THtmlLabel::setBevel(TBevel bevel)
{
    m_bevel = bevel;
    Changed();
}

void THtmlLabel::setCenterVertically(bool on)
{
    m_centerVertically = on;
    update();
}

void THtmlLabel::setTextMargin(int pixels)
{
    m_textMargin = qMax(0, pixels);
    Changed();
}

const QTextDocument& THtmlLabel::Document() const
{
    Relayout();
    return m_document;
}

int THtmlLabel::FrameWidth() const
{
    int width = 0;
    if (m_bevel == BannerBevel)
        width = 2;
    else if (m_bevel == LoweredBevel)
        width = 1;
    if (m_borderColor.isValid())
        width = qMax(width, 1);
    return width;
}

QRect THtmlLabel::TextRect() const
{
    const int inset = FrameWidth() + m_textMargin;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void THtmlLabel::Relayout() const
{
    if (m_documentStale) {
        QFont base = font();
        base.setFamilies({theme::ResolveFontFamily(base.family())});
        m_document.setDefaultFont(base);
        m_document.setDocumentMargin(0);
        m_document.setHtml(ToRichText(m_markup));
        m_documentStale = false;
    }
    const qreal width = qMax(1, TextRect().width());
    if (m_document.textWidth() != width)
        m_document.setTextWidth(width);
}

void THtmlLabel::Changed()
{
    m_documentStale = true;
    updateGeometry();
    update();
}

QSize THtmlLabel::sizeHint() const
{
    Relayout();
    const int inset = 2 * (FrameWidth() + m_textMargin);
    QTextDocument probe;
    probe.setDefaultFont(m_document.defaultFont());
    probe.setDocumentMargin(0);
    probe.setHtml(ToRichText(m_markup));
    const QSizeF ideal = probe.size();
    return QSize(qCeil(probe.idealWidth()) + inset, qCeil(ideal.height()) + inset);
}

QSize THtmlLabel::minimumSizeHint() const
{
    const int inset = 2 * (FrameWidth() + m_textMargin);
    return QSize(inset, inset);
}

void THtmlLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    if (m_gradient)
        theme::FillVerticalGradient(painter, area, m_gradientTop, m_gradientBottom);
    else
        painter.fillRect(area, m_flatColor);

    if (m_bevel == BannerBevel) {
        theme::DrawBevelFrame(painter, area, false);
        theme::DrawBevelFrame(painter, area.adjusted(1, 1, -1, -1), true);
    } else if (m_bevel == LoweredBevel) {
        theme::DrawBevelFrame(painter, area, false);
    }
    if (m_borderColor.isValid()) {
        painter.setPen(m_borderColor);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    }

    if (m_markup.isEmpty())
        return;
    Relayout();
    const QRect textRect = TextRect();
    qreal top = textRect.top();
    if (m_centerVertically)
        top += (textRect.height() - m_document.size().height()) / 2.0;
    painter.setClipRect(textRect);
    painter.translate(textRect.left(), qRound(top));
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    m_document.documentLayout()->draw(&painter, context);
}

void THtmlLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void THtmlLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void THtmlLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        Changed();
    QWidget::changeEvent(event);
}
