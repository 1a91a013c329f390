#include "SortRanks.h"

#include "core/FileLists.h"
#include "platform/Collation.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <numeric>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Ranks the distinct keys 0 .. count - 1, ordered by `less` and told apart by `differ`.
template <class TLess, class TDiffer>
std::vector<uint32_t> RankKeys(uint32_t count, TLess less, TDiffer differ)
{
    std::vector<uint32_t> byOrder(count);
    for (uint32_t key = 0; key < count; ++key)
        byOrder[key] = key;
    std::sort(byOrder.begin(), byOrder.end(), less);
    std::vector<uint32_t> ranks(count);
    uint32_t rank = 0;
    for (uint32_t n = 0; n < count; ++n) {
        if (n > 0 && differ(byOrder[n - 1], byOrder[n]))
            ++rank;
        ranks[byOrder[n]] = rank;
    }
    return ranks;
}

// A name widened for the collator, kept until another is asked for: sorting the distinct names
// meets the same pivot many times in a row.
class TWidenedName
{
public:
    QStringView Of(TNameRef ref)
    {
        if (!m_valid || ref.Index != m_ref.Index) {
            m_view = NamePool.View(ref, m_buffer);
            m_ref = ref;
            m_valid = true;
        }
        return m_view;
    }

private:
    TNamePool::TBuffer m_buffer;
    QStringView m_view; // into m_buffer
    TNameRef m_ref;
    bool m_valid = false;
};

// A distinct name while the names are ranked by their keys: eight bytes of its key, the first of
// them in the high byte so that their integer order is the bytes' order, and where they lie.
struct TKeyedName
{
    uint64_t Digit;
    const uint8_t* Key; // the eight bytes of Digit, then the rest of the key
    uint32_t Name;
};

uint64_t DigitAt(const uint8_t* key)
{
    uint64_t digit;
    std::memcpy(&digit, key, sizeof digit);
    if constexpr (std::endian::native == std::endian::little)
        digit = __builtin_bswap64(digit);
    return digit;
}

// Ranks names[first, last), whose keys agree up to the bytes at their Key, eight key bytes at a
// time: sorted by those, each run of equal ones is ranked by the next eight. A key's last eight
// bytes end in 0 and no other key byte is 0, so a run whose last byte is 0 holds equal keys.
// Ranks go out in key order, counting on from `rank`.
void RankByDigits(std::vector<TKeyedName>& names, size_t first, size_t last, std::vector<uint32_t>& ranks,
                  uint32_t& rank)
{
    const auto begin = names.begin();
    for (size_t n = first; n < last; ++n)
        names[n].Digit = DigitAt(names[n].Key);
    std::sort(begin + std::ptrdiff_t(first), begin + std::ptrdiff_t(last),
              [](const TKeyedName& a, const TKeyedName& b) { return a.Digit < b.Digit; });
    for (size_t run = first, end = first; run < last; run = end) {
        while (end < last && names[end].Digit == names[run].Digit)
            ++end;
        if (end - run > 1 && (names[run].Digit & 0xFF) != 0) {
            for (size_t n = run; n < end; ++n)
                names[n].Key += sizeof(uint64_t);
            RankByDigits(names, run, end, ranks, rank);
        } else {
            for (size_t n = run; n < end; ++n)
                ranks[names[n].Name] = rank;
            ++rank;
        }
    }
}

// Runs work(0) .. work(parts - 1), each but the first on a thread of its own where one can be had,
// and passes on the first error any of them raised.
template <class TWork> void RunParts(uint32_t parts, TWork work)
{
    std::vector<std::exception_ptr> errors(parts);
    auto run = [&](uint32_t p) {
        try {
            work(p);
        } catch (...) {
            errors[p] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (uint32_t p = 1; p < parts; ++p) {
            try {
                workers.emplace_back(run, p);
            } catch (const std::system_error&) {
                run(p);
            }
        }
        run(0);
    }
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

// Ranks the names by their collation keys, made in one pass over the names into one buffer, with
// no copy of a name but the widened one on the stack. Making the keys is most of a name sort, so a
// long list is keyed in parts on several threads, each with a collator of its own.
std::vector<uint32_t> RankByKeys(const std::vector<TNameRef>& names)
{
    constexpr uint32_t MinPart = 4096;
    const auto count = uint32_t(names.size());
    const uint32_t parts = count < 2 * MinPart ? 1
                                               : std::clamp(std::thread::hardware_concurrency(), 2U,
                                                            std::min(8U, count / MinPart));
    auto first = [&](uint32_t p) { return uint32_t(uint64_t(count) * p / parts); };
    std::vector<plat::TKeyMaker> makers(parts); // made here: they copy this thread's collation settings
    std::vector<std::vector<uint8_t>> keys(parts);
    std::vector<size_t> at(count); // where each name's key starts in its part's keys
    RunParts(parts, [&](uint32_t p) {
        TNamePool::TBuffer buffer;
        keys[p].reserve(size_t(first(p + 1) - first(p)) * 48);
        for (uint32_t n = first(p); n < first(p + 1); ++n)
            at[n] = makers[p].AppendKey(NamePool.View(names[n], buffer), keys[p]);
    });
    std::vector<TKeyedName> keyed(count);
    for (uint32_t p = 0; p < parts; ++p)
        for (uint32_t n = first(p); n < first(p + 1); ++n)
            keyed[n] = {0, &keys[p][at[n]], n};
    std::vector<uint32_t> ranks(count);
    uint32_t rank = 0;
    RankByDigits(keyed, 0, count, ranks, rank);
    return ranks;
}

// The distinct names of the records at `items`, one reference for each text. Each item is replaced
// by the index of its record's name there.
std::vector<TNameRef> DistinctNames(const TFileList& list, std::vector<uint32_t>& items)
{
    // Open addressing at most half full: a name is found with one or two probes and no allocation.
    const size_t mask = std::bit_ceil(2 * items.size()) - 1;
    std::vector<uint32_t> table(mask + 1, 0); // 1 + an index into names, 0 when free
    std::vector<TNameRef> names;
    std::vector<std::string_view> texts;
    const std::hash<std::string_view> hash;
    for (uint32_t& item : items) {
        const TNameRef name = list[int32_t(item)].Name;
        const std::string_view text = NamePool.Stored(name);
        size_t at = hash(text) & mask;
        while (table[at] != 0 && texts[table[at] - 1] != text)
            at = (at + 1) & mask;
        if (table[at] == 0) {
            names.push_back(name);
            texts.push_back(text);
            table[at] = uint32_t(names.size());
        }
        item = table[at] - 1;
    }
    return names;
}

// Replaces each record index of `items` by the rank of that record's name: names with the same text
// are ranked once.
void RankNames(const TFileList& list, std::vector<uint32_t>& items)
{
    const std::vector<TNameRef> names = DistinctNames(list, items);
    std::vector<uint32_t> ranks;
    if (plat::KeysAgree()) {
        // One key per name, then byte comparisons: far fewer collations than one per comparison.
        ranks = RankByKeys(names);
    } else {
        auto compare = [&, left = TWidenedName(), right = TWidenedName()](uint32_t a, uint32_t b) mutable {
            return plat::CompareIgnoreCase(left.Of(names[a]), right.Of(names[b]));
        };
        ranks = RankKeys(
            uint32_t(names.size()), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; },
            [&](uint32_t a, uint32_t b) { return compare(a, b) != 0; });
    }
    for (uint32_t& item : items)
        item = ranks[item];
}

// The rank of each folder text, by its index.
std::vector<uint32_t> RankFolders(const TStringArr& folders)
{
    auto compare = [&](uint32_t a, uint32_t b) {
        return plat::CompareIgnoreCase(folders[int32_t(a)], folders[int32_t(b)]);
    };
    return RankKeys(
        uint32_t(folders.Used()), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; },
        [&](uint32_t a, uint32_t b) { return compare(a, b) != 0; });
}

// The ranks of one column of the search's results, kept from the first sort by that column.
struct TKeptRanks
{
    std::vector<uint32_t> Ranks;
    int32_t Count = -1; // the keys ranked, -1 when nothing is kept
    QLocale Locale;     // the collation the ranks follow
};
TKeptRanks KeptNames;   // by ResultList record
TKeptRanks KeptFolders; // by PathList entry

// The one rule for reusing ranks. They are kept for the search's results only: ResultList, whose
// folders are PathList. A record there never changes its name or folder (a removed file keeps
// both) and nothing is appended after the search, so the ranks hold until ReleaseSearchLists drops
// them with the lists. Results filled again without a release (a tool, a test) or another
// collation are ranked afresh when the count or the locale differ.
template <class TMake> const std::vector<uint32_t>& KeptRanks(TKeptRanks& kept, int32_t count, TMake make)
{
    const QLocale locale = plat::CollationLocale();
    if (kept.Count != count || kept.Locale != locale) {
        kept.Count = -1; // nothing kept should `make` throw
        kept.Ranks = make();
        kept.Count = count;
        kept.Locale = locale;
    }
    return kept.Ranks;
}

} // namespace

bool SortsByRank(TCompareFunc compare)
{
    return compare == CompareName || compare == CompareFolder || compare == CompareTime;
}

std::vector<TRankedEntry> RankedEntries(const TFileList& list, const TSortList& order,
                                        const TStringArr& folders, int32_t low, int32_t high,
                                        TCompareFunc compare)
{
    std::vector<TRankedEntry> entries(size_t(high - low + 1));
    for (int32_t k = low; k <= high; ++k)
        entries[size_t(k - low)].Entry = order[size_t(k)];
    auto rankEach = [&](auto rankOf) {
        for (TRankedEntry& entry : entries)
            entry.Rank = rankOf(entry.Entry.ItemIndex);
    };
    const bool kept = &list == &ResultList;
    if (compare == CompareTime) {
        // The time itself with its sign bit flipped: unsigned order is then the times' signed order.
        rankEach([&](int32_t item) { return uint32_t(list[item].Time) ^ 0x80000000u; });
    } else if (compare == CompareFolder) {
        std::vector<uint32_t> fresh;
        const std::vector<uint32_t>& ranks =
            kept && &folders == &PathList
                ? KeptRanks(KeptFolders, folders.Used(), [&] { return RankFolders(folders); })
                : (fresh = RankFolders(folders));
        rankEach([&](int32_t item) { return ranks[size_t(list[item].PathIndex)]; });
    } else if (kept) {
        const std::vector<uint32_t>& ranks = KeptRanks(KeptNames, list.Used(), [&] {
            std::vector<uint32_t> items(size_t(list.Used()));
            std::iota(items.begin(), items.end(), 0U);
            RankNames(list, items);
            return items;
        });
        rankEach([&](int32_t item) { return ranks[size_t(item)]; });
    } else {
        std::vector<uint32_t> items(entries.size());
        for (size_t n = 0; n < entries.size(); ++n)
            items[n] = uint32_t(entries[n].Entry.ItemIndex);
        RankNames(list, items);
        for (size_t n = 0; n < entries.size(); ++n)
            entries[n].Rank = items[n];
    }
    return entries;
}

void ReleaseKeptRanks()
{
    KeptNames = {};
    KeptFolders = {};
}

size_t KeptRankBytes()
{
    return (KeptNames.Ranks.capacity() + KeptFolders.Ranks.capacity()) * sizeof(uint32_t);
}
