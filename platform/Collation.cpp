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

} // namespace

void SetCollationLocale(const QLocale& locale)
{
    auto collator = std::make_unique<QCollator>(locale);
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    collator->setNumericMode(false);
    collator->setIgnorePunctuation(false);
    Collator() = std::move(collator);
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

QCollatorSortKey CollationKey(QStringView text)
{
    return TheCollator().sortKey(text.toString());
}

} // namespace plat
