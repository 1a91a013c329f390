#pragma once

#include <QCollatorSortKey>
#include <QLocale>
#include <QStringView>

namespace plat {

// The user's locale-aware, case-insensitive comparison of names and folder paths: -1, 0 or +1.
int CompareIgnoreCase(QStringView a, QStringView b);

// Keys that order and tell texts apart exactly as CompareIgnoreCase does, for sorting many texts:
// a key comparison is a byte comparison. Only where KeysAgree(): the C locale's keys are the
// texts' case-sensitive bytes.
bool KeysAgree();
QCollatorSortKey CollationKey(QStringView text);

// Which locale the comparison follows (the system locale until set; tests pin one).
void SetCollationLocale(const QLocale& locale);

} // namespace plat
