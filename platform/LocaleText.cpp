#include "LocaleText.h"

#include <QRegularExpression>

#include <cmath>

namespace plat {

QLocale UserLocale()
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

QString FormatCount(int64_t value, const QLocale& locale)
{
    QLocale grouped = locale;
    grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(qlonglong(value));
}

QChar DecimalSeparator(const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

QString FormatFixed(double value, int decimals, const QLocale& locale)
{
    // Qt's own conversion rounds half away from zero; printf would round ties to even.
    QString text = QString::number(value, 'f', decimals);
    const QChar separator = DecimalSeparator(locale);
    if (separator != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

double ParseDecimal(const QString& text, const QLocale& locale, bool* ok)
{
    QLocale strict = locale;
    strict.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool converted = false;
    const double value = strict.toDouble(text, &converted);
    if (ok)
        *ok = converted && std::isfinite(value);
    return converted && std::isfinite(value) ? value : 0.0;
}

QString FormatDateTime(const QDateTime& dateTime, const QLocale& locale)
{
    if (!dateTime.isValid())
        return {};
    QString text = locale.toString(dateTime.date(), QLocale::ShortFormat);
    if (dateTime.time() == QTime(0, 0))
        return text;
    // Long time formats of the locale database end in a zone name that file times do not have.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(zone);
    return text + QLatin1Char(' ') + locale.toString(dateTime.time(), format.trimmed());
}

} // namespace plat
