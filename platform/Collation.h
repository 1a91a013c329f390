#pragma once

#include <QCollator>
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

// Makes those keys with a collator of its own, set up as the comparison's is when the maker is
// made, so that several threads can make keys at once, each with its own maker.
class TKeyMaker
{
public:
    TKeyMaker();
    QCollatorSortKey Key(QStringView text);

private:
    QCollator m_collator;
};

// Which locale the comparison follows (the system locale until set; tests pin one).
void SetCollationLocale(const QLocale& locale);
QLocale CollationLocale();

} // namespace plat
