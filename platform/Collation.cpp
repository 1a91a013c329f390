#include "Collation.h"

#include <QCollator>

#include <memory>

namespace plat {
namespace {

std::unique_ptr<QCollator>& Collator()
{
    static std::unique_ptr<QCollator> collator;
    return collator;
}

QCollator& TheCollator()
{
    auto& collator = Collator();
    if (!collator)
        SetCollationLocale(QLocale::system());
    return *collator;
}

// Always a new collator: a copy of a QCollator shares the ICU collator of the original.
QCollator MakeCollator(const QLocale& locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

} // namespace

void SetCollationLocale(const QLocale& locale)
{
    Collator() = std::make_unique<QCollator>(MakeCollator(locale));
}

QLocale CollationLocale()
{
    return TheCollator().locale();
}

int CompareIgnoreCase(QStringView a, QStringView b)
{
    const int result = TheCollator().compare(a, b);
    return (result > 0) - (result < 0);
}

bool KeysAgree()
{
    return TheCollator().locale() != QLocale::c();
}

TKeyMaker::TKeyMaker() : m_collator(MakeCollator(TheCollator().locale())) {}

QCollatorSortKey TKeyMaker::Key(QStringView text)
{
    // The key is made from the characters at once, so they need not be copied into a string.
    return m_collator.sortKey(QString::fromRawData(text.data(), text.size()));
}

} // namespace plat
