#include "Wildcard.h"

#include <QChar>

#include <algorithm>
#include <array>

namespace plat {
namespace {

std::vector<char32_t> CodePoints(QStringView text)
{
    std::vector<char32_t> result;
    result.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            result.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            result.push_back(c.unicode());
        }
    }
    return result;
}

char32_t Upper(char32_t c)
{
    // Most names are ASCII: their letters fold without the Unicode tables.
    if (c < 0x80)
        return c >= U'a' && c <= U'z' ? c - (U'a' - U'A') : c;
    return QChar::toUpper(c);
}

// The code point at `i` and how many UTF-16 units it takes.
char32_t CodePointAt(QStringView text, qsizetype i, qsizetype& width)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        width = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    width = 1;
    return c.unicode();
}

} // namespace

TWildcard::TWildcard(QStringView mask)
{
    std::vector<char32_t> chars = CodePoints(mask);
    while (!chars.empty() && chars.back() == U' ')
        chars.pop_back();
    // "*." keeps its dot (it becomes a final DosStar); any other trailing dot is dropped like
    // the path normalisation of the classic search does.
    const bool starDot = chars.size() >= 2 && chars.back() == U'.' && chars[chars.size() - 2] == U'*';
    if (!starDot)
        while (!chars.empty() && chars.back() == U'.')
            chars.pop_back();

    const std::vector<char32_t> starStar{U'*', U'.', U'*'}, starStarDot{U'*', U'.', U'*', U'.'};
    if (chars.empty() || chars == std::vector<char32_t>{U'*'} || chars == starStar || chars == starStarDot) {
        m_all = true;
        return;
    }

    for (size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        const bool hasNext = i + 1 < chars.size();
        const char32_t next = hasNext ? chars[i + 1] : 0;
        if (c == U'?') {
            m_tokens.push_back(char32_t(TToken::DosQm));
        } else if (c == U'*' && starDot && i + 2 == chars.size()) {
            m_tokens.push_back(char32_t(TToken::DosStar));
            break; // the final dot is part of the "*." token
        } else if (c == U'*') {
            m_tokens.push_back(char32_t(next == U'.' ? TToken::DosStar : TToken::Star));
        } else if (c == U'.' && (next == U'?' || next == U'*')) {
            m_tokens.push_back(char32_t(TToken::DosDot));
        } else {
            m_tokens.push_back(Upper(c));
        }
    }
    // "*.ext" with a plain extension (the system file types, most masks users type): a name
    // matches when it ends with the dot and the extension.
    m_extensionOnly = m_tokens.size() >= 2 && m_tokens[0] == char32_t(TToken::DosStar) &&
                      m_tokens[1] == U'.' &&
                      std::all_of(m_tokens.begin() + 2, m_tokens.end(), [](char32_t t) {
                          return t < 0xD800 || (t > 0xDFFF && t < 0x10000); // one UTF-16 unit each
                      });
}

bool TWildcard::Matches(QStringView name) const
{
    if (m_all)
        return true;
    if (m_extensionOnly) {
        const auto tail = qsizetype(m_tokens.size()) - 1;
        if (name.size() < tail)
            return false;
        for (qsizetype j = 0; j < tail; ++j)
            if (Upper(name[name.size() - tail + j].unicode()) != m_tokens[size_t(j) + 1])
                return false;
        return true;
    }

    const size_t m = m_tokens.size();
    // The sets of states live on the stack for every mask but absurdly long ones.
    constexpr size_t InlineStates = 128;
    std::array<char, InlineStates> inlineStates{}, inlineNext{};
    std::vector<char> longStates, longNext;
    char* states = inlineStates.data();
    char* nextStates = inlineNext.data();
    if (m + 1 > InlineStates) {
        longStates.assign(m + 1, 0);
        longNext.assign(m + 1, 0);
        states = longStates.data();
        nextStates = longNext.data();
    }
    // A dot is never half of a surrogate pair: positions in UTF-16 units serve as well.
    const qsizetype lastDot = name.lastIndexOf(u'.');

    // Positions of the expression reachable after the characters consumed so far; epsilon moves
    // only go forward, so one ascending pass computes the closure.
    states[0] = 1;
    for (qsizetype i = 0;;) {
        const bool atEnd = i == name.size();
        qsizetype width = 0;
        const char32_t c = atEnd ? 0 : CodePointAt(name, i, width);
        for (size_t p = 0; p < m; ++p) {
            if (!states[p])
                continue;
            const auto token = TToken(m_tokens[p]);
            if (token == TToken::Star || token == TToken::DosStar ||
                (token == TToken::DosQm && (atEnd || c == U'.')) || (token == TToken::DosDot && atEnd))
                states[p + 1] = 1;
        }
        if (atEnd)
            return states[m] != 0;

        std::fill_n(nextStates, m + 1, 0);
        bool any = false;
        const char32_t upper = Upper(c);
        for (size_t p = 0; p < m; ++p) {
            if (!states[p])
                continue;
            const char32_t t = m_tokens[p];
            switch (TToken(t)) {
            case TToken::Star:
                nextStates[p] = 1;
                break;
            case TToken::DosStar:
                if (c != U'.' || i != lastDot)
                    nextStates[p] = 1;
                break;
            case TToken::DosQm:
                if (c != U'.')
                    nextStates[p + 1] = 1;
                break;
            case TToken::DosDot:
                if (c == U'.')
                    nextStates[p + 1] = 1;
                break;
            default:
                if (t == upper)
                    nextStates[p + 1] = 1;
                break;
            }
            any = any || nextStates[p] || nextStates[p + 1];
        }
        if (!any)
            return false;
        std::swap(states, nextStates);
        i += width;
    }
}

} // namespace plat
