#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace plat {

// A file-name mask with the wildcard rules of the classic directory search: "*.*" and "*"
// match every name, "?" never matches a dot, "*." matches names without a dot, "name.*" also
// matches "name"; letters compare case-insensitively. Brackets and every other character are
// literals. The mask is translated once; Matches() may then be called for every name.
class TWildcard
{
public:
    explicit TWildcard(QStringView mask);

    bool Matches(QStringView name) const;
    bool MatchesEverything() const { return m_all; }

private:
    enum class TToken : char32_t
    {
        Star = 0x110000, // any run of characters, dots included
        DosStar,         // any run of characters that stops short of the name's last dot
        DosQm,           // one character other than a dot; nothing at a dot or at the end
        DosDot,          // a dot, or nothing at the end of the name
    };

    std::vector<char32_t> m_tokens; // literals are upper-cased code points
    bool m_all = false;
    bool m_extensionOnly = false; // "*." and literals: the name's end decides
};

} // namespace plat
