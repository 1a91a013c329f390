#pragma once

#include <QLocale>
#include <QStringView>

namespace plat {

// The user's locale-aware, case-insensitive comparison of names and folder paths: -1, 0 or +1.
int CompareIgnoreCase(QStringView a, QStringView b);

// Which locale the comparison follows (the system locale until set; tests pin one).
void SetCollationLocale(const QLocale& locale);

} // namespace plat
