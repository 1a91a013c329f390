#include "Collation.h"

#include <QCollator>
#include <QStringList>

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
// ignored. Null in the C locale, which QCollator does not hand to ICU either.
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
    const QStringList probes =
        QString::fromUtf16(
            u"a|A|b|B|ab|a b|a-b|a_b|a.b|a'b|ab.txt|AB.TXT|Ab (2).txt|r\u00e9sum\u00e9|"
            u"R\u00e9sum\u00e9|resume|e\u0301|\u00e9|\u00e4|ae|a\u0301\u0323|a\u0323\u0301|"
            u"\u00df|ss|\u00f6|z|\u00f8|\u00e5|ch|h|0|2|10|~|!|\u03a9|\u03c9|\u0436|\u0416|"
            u"\u5199\u771f|\u0e01|\u4e01|\u0130|\u0131|i|\u00a0a|\U00010400|\U00010428|\U0001F600")
            .split(u'|');
    TKeyMaker maker;
    if (!maker.Works())
        return false;
    std::vector<uint8_t> keys;
    std::vector<size_t> at;
    for (const QString& probe : probes)
        at.push_back(maker.AppendKey(probe, keys));
    for (size_t a = 0; a < at.size(); ++a) {
        for (size_t b = 0; b < at.size(); ++b) {
            const int bytes = std::strcmp(reinterpret_cast<const char*>(&keys[at[a]]),
                                          reinterpret_cast<const char*>(&keys[at[b]]));
            if ((bytes > 0) - (bytes < 0) != CompareIgnoreCase(probes[a], probes[b]))
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

TKeyMaker::TKeyMaker()
    : m_foldsCase(CollationLocale().language() == QLocale::C), m_collator(OpenCollator(CollationLocale()))
{
}

TKeyMaker::~TKeyMaker()
{
    if (m_collator)
        ucol_close(m_collator);
}

size_t TKeyMaker::AppendKey(QStringView text, std::vector<uint8_t>& keys)
{
    const size_t start = keys.size();
    if (m_foldsCase) {
        AppendFoldedKey(text, keys);
    } else {
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
        keys.resize(start + size_t(length) - 1); // without its 0 byte
    }
    // The key ends with a 0 byte; the rest of its last 8 bytes are 0 too.
    keys.resize(start + (keys.size() - start + 8) / 8 * 8, 0);
    return start;
}

void TKeyMaker::AppendFoldedKey(QStringView text, std::vector<uint8_t>& keys)
{
    // The C locale's comparison compares the case-folded UTF-16 code units, a low surrogate after a
    // high one as the folded character the two make. Each value goes in as UTF-8 would write it:
    // bytes in the values' order, and none of them 0, as a name holds no 0 character.
    char32_t last = 0;
    for (const QChar unit : text) {
        char32_t value = unit.unicode();
        if (QChar::isLowSurrogate(value) && QChar::isHighSurrogate(last))
            value = QChar::surrogateToUcs4(char16_t(last), char16_t(value));
        last = unit.unicode();
        value = QChar::toCaseFolded(value);
        if (value < 0x80) {
            keys.push_back(uint8_t(value));
            continue;
        }
        constexpr uint8_t Lead[] = {0x00, 0xC0, 0xE0, 0xF0}; // by the count of bytes that follow
        const int tail = value < 0x800 ? 1 : value < 0x10000 ? 2 : 3;
        keys.push_back(uint8_t(Lead[tail] | (value >> (6 * tail))));
        for (int k = tail - 1; k >= 0; --k)
            keys.push_back(uint8_t(0x80 | ((value >> (6 * k)) & 0x3F)));
    }
}

} // namespace plat
