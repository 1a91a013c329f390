#include "Collation.h"

#include <QCollator>

#include <unicode/ucol.h>

#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

namespace plat {
namespace {

std::unique_ptr<QCollator>& Collator()
{
    static std::unique_ptr<QCollator> collator;
    return collator;
}

// Whether the keys agree with the comparison of the collator in force; found out at the first ask.
std::optional<bool>& Agreement()
{
    static std::optional<bool> agree;
    return agree;
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
    Agreement().reset();
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

namespace {

// An ICU collator set up as QCollator sets up its own for MakeCollator's settings: the same locale
// name, normalisation on, secondary strength (case ignored), no numeric order, punctuation not
// ignored. Null in the C locale, which QCollator does not hand to ICU.
UCollator* OpenCollator(const QLocale& locale)
{
    if (locale.language() == QLocale::C)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(locale.bcp47Name().replace(u'-', u'_').toLatin1().constData(), &status);
    if (U_FAILURE(status))
        return nullptr;
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return nullptr;
    }
    return collator;
}

// Texts whose order tells collations apart: case, accents, composed and decomposed marks,
// punctuation and spaces, digits, other scripts and the letters some locales order apart.
bool ProbesAgree()
{
    static const char16_t* const probes[] = {
        u"a",   u"A",      u"b",      u"B",          u"ab",     u"a b",    u"a-b",    u"a_b", u"a.b",
        u"a'b", u"ab.txt", u"AB.TXT", u"Ab (2).txt", u"résumé", u"Résumé", u"resume", u"é",   u"é",
        u"ä",   u"ae",     u"ạ́",      u"ạ́",          u"ß",      u"ss",     u"ö",      u"z",   u"ø",
        u"å",   u"ch",     u"h",      u"0",          u"2",      u"10",     u"~",      u"!",   u"Ω",
        u"ω",   u"ж",      u"Ж",      u"写真",       u"İ",      u"ı",      u"i",      u" a"};
    TKeyMaker maker;
    if (!maker.Works())
        return false;
    std::vector<uint8_t> keys;
    std::vector<size_t> at;
    for (const char16_t* probe : probes)
        at.push_back(maker.AppendKey(QStringView(probe), keys));
    for (size_t a = 0; a < at.size(); ++a) {
        for (size_t b = 0; b < at.size(); ++b) {
            const int bytes = std::strcmp(reinterpret_cast<const char*>(&keys[at[a]]),
                                          reinterpret_cast<const char*>(&keys[at[b]]));
            if ((bytes > 0) - (bytes < 0) !=
                CompareIgnoreCase(QStringView(probes[a]), QStringView(probes[b])))
                return false;
        }
    }
    return true;
}

} // namespace

bool KeysAgree()
{
    std::optional<bool>& agree = Agreement();
    if (!agree)
        agree = ProbesAgree();
    return *agree;
}

TKeyMaker::TKeyMaker() : m_collator(OpenCollator(CollationLocale())) {}

TKeyMaker::~TKeyMaker()
{
    if (m_collator)
        ucol_close(m_collator);
}

size_t TKeyMaker::AppendKey(QStringView text, std::vector<uint8_t>& keys)
{
    const size_t start = keys.size();
    const auto* characters = reinterpret_cast<const UChar*>(text.data());
    // Room for most keys at the first try; ICU tells the length of a key that did not fit.
    int32_t room = 16 + 4 * int32_t(text.size());
    int32_t length = 0;
    while (true) {
        keys.resize(start + size_t(room));
        length = ucol_getSortKey(m_collator, characters, int32_t(text.size()), &keys[start], room);
        if (length <= room)
            break;
        room = length;
    }
    if (length <= 0)
        throw std::runtime_error("no collation key");
    // The key ends with its 0 byte; the rest of its last 8 bytes are 0 too.
    const size_t end = start + (size_t(length) + 7) / 8 * 8;
    keys.resize(end);
    std::memset(&keys[start + size_t(length)], 0, end - start - size_t(length));
    return start;
}

} // namespace plat
