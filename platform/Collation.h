#pragma once

#include <QLocale>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <vector>

struct UCollator;

namespace plat {

// The user's locale-aware, case-insensitive comparison of names and folder paths: -1, 0 or +1.
int CompareIgnoreCase(QStringView a, QStringView b);

// Keys that order and tell texts apart exactly as CompareIgnoreCase does, for sorting many texts:
// a key comparison is a byte comparison. Only where KeysAgree(): where the keys order a set of
// probe texts exactly as the comparison does.
bool KeysAgree();

// Makes those keys with a collator of its own, set up as the comparison's is when the maker is
// made, so that several threads can make keys at once, each with its own maker.
class TKeyMaker
{
public:
    TKeyMaker();
    ~TKeyMaker();
    TKeyMaker(const TKeyMaker&) = delete;
    TKeyMaker& operator=(const TKeyMaker&) = delete;

    // Whether the maker can make keys: not where the locale's collator cannot be had.
    bool Works() const { return m_foldsCase || m_collator != nullptr; }
    // Appends the key of `text` to `keys` and returns where it starts there: the key's bytes,
    // none of them 0, then 0 bytes up to the next multiple of 8 (at least one).
    size_t AppendKey(QStringView text, std::vector<uint8_t>& keys);

private:
    void AppendFoldedKey(QStringView text, std::vector<uint8_t>& keys);

    bool m_foldsCase;                // the C locale: keys of case-folded characters
    UCollator* m_collator = nullptr; // owned; ICU's keys in other locales
};

// Which locale the comparison follows (the system locale until set; tests pin one).
void SetCollationLocale(const QLocale& locale);
QLocale CollationLocale();

} // namespace plat
