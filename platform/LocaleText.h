#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace plat {

// The number and date settings of the user: the system locale with its group separators on.
QLocale UserLocale();

// "#,##0": a whole number with the locale's thousands separators.
QString FormatCount(int64_t value, const QLocale& locale);

// A number with exactly `decimals` decimals, rounded half away from zero, with the locale's
// decimal separator and no thousands separators.
QString FormatFixed(double value, int decimals, const QLocale& locale);

// The locale's decimal separator as one character.
QChar DecimalSeparator(const QLocale& locale);

// Reads a decimal number written with the locale's decimal separator; group separators are
// refused. Returns 0 with `ok` false when the text is not a number.
double ParseDecimal(const QString& text, const QLocale& locale, bool* ok);

// Short date, one space, long time (without a time zone); the time is left out at midnight.
QString FormatDateTime(const QDateTime& dateTime, const QLocale& locale);

} // namespace plat
