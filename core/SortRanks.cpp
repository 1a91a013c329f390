#include "SortRanks.h"

#include "core/FileLists.h"
#include "platform/Collation.h"

#include <algorithm>
#include <bit>
#include <exception>
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

// A distinct name and its collation key. The keys stay where they were made: a QCollatorSortKey
// has no move constructor, and each copy would change its reference count.
struct TKeyedName
{
    const QCollatorSortKey* Key;
    uint32_t Name;
};

bool KeyLess(const TKeyedName& a, const TKeyedName& b)
{
    return a.Key->compare(*b.Key) < 0;
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

// Ranks the names by their collation keys. Making and sorting the keys is most of a name sort, so
// a long list is keyed and sorted in parts on several threads, each with a collator of its own,
// and the parts are merged. Any order of equal keys gives the same ranks.
std::vector<uint32_t> RankByKeys(const std::vector<TNameRef>& names)
{
    constexpr uint32_t MinPart = 4096;
    const auto count = uint32_t(names.size());
    const uint32_t parts = count < 2 * MinPart ? 1
                                               : std::clamp(std::thread::hardware_concurrency(), 2U,
                                                            std::min(8U, count / MinPart));
    auto first = [&](uint32_t p) { return uint32_t(uint64_t(count) * p / parts); };
    std::vector<plat::TKeyMaker> makers(parts); // made here: they copy this thread's collation settings
    std::vector<std::vector<QCollatorSortKey>> keys(parts);
    std::vector<std::vector<TKeyedName>> sorted(parts);
    RunParts(parts, [&](uint32_t p) {
        TNamePool::TBuffer buffer;
        keys[p].reserve(first(p + 1) - first(p));
        for (uint32_t n = first(p); n < first(p + 1); ++n)
            keys[p].push_back(makers[p].Key(NamePool.View(names[n], buffer)));
        sorted[p].reserve(keys[p].size());
        for (uint32_t n = first(p); n < first(p + 1); ++n)
            sorted[p].push_back({&keys[p][n - first(p)], n});
        std::sort(sorted[p].begin(), sorted[p].end(), KeyLess);
    });
    for (uint32_t step = 1; step < parts; step *= 2) {
        for (uint32_t p = 0; p + step < parts; p += 2 * step) {
            std::vector<TKeyedName> merged(sorted[p].size() + sorted[p + step].size());
            std::merge(sorted[p].begin(), sorted[p].end(), sorted[p + step].begin(), sorted[p + step].end(),
                       merged.begin(), KeyLess);
            sorted[p] = std::move(merged);
            sorted[p + step] = {};
        }
    }
    std::vector<uint32_t> ranks(count);
    uint32_t rank = 0;
    for (size_t n = 0; n < sorted[0].size(); ++n) {
        if (n > 0 && KeyLess(sorted[0][n - 1], sorted[0][n]))
            ++rank;
        ranks[sorted[0][n].Name] = rank;
    }
    RunParts(parts, [&](uint32_t p) { keys[p] = {}; }); // freeing the keys takes a while too
    return ranks;
}

// The distinct names of the entries, one reference for each text. Each entry's Rank is set to the
// index of its name there.
std::vector<TNameRef> DistinctNames(const TFileList& list, std::vector<TRankedEntry>& entries)
{
    // Open addressing at most half full: a name is found with one or two probes and no allocation.
    const size_t mask = std::bit_ceil(2 * entries.size()) - 1;
    std::vector<uint32_t> table(mask + 1, 0); // 1 + an index into names, 0 when free
    std::vector<TNameRef> names;
    std::vector<std::string_view> texts;
    const std::hash<std::string_view> hash;
    for (TRankedEntry& entry : entries) {
        const TNameRef name = list[entry.Entry.ItemIndex].Name;
        const std::string_view text = NamePool.Stored(name);
        size_t at = hash(text) & mask;
        while (table[at] != 0 && texts[table[at] - 1] != text)
            at = (at + 1) & mask;
        if (table[at] == 0) {
            names.push_back(name);
            texts.push_back(text);
            table[at] = uint32_t(names.size());
        }
        entry.Rank = table[at] - 1;
    }
    return names;
}

} // namespace

std::vector<TRankedEntry> RankByName(const TFileList& list, const TSortList& order, int32_t low, int32_t high)
{
    std::vector<TRankedEntry> entries(size_t(high - low + 1));
    for (int32_t k = low; k <= high; ++k)
        entries[size_t(k - low)].Entry = order[size_t(k)];
    const std::vector<TNameRef> names = DistinctNames(list, entries);
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
    for (TRankedEntry& entry : entries)
        entry.Rank = ranks[entry.Rank];
    return entries;
}

std::vector<TRankedEntry> RankByFolder(const TFileList& list, const TSortList& order,
                                       const TStringArr& folders, int32_t low, int32_t high)
{
    auto compare = [&](uint32_t a, uint32_t b) {
        return plat::CompareIgnoreCase(folders[int32_t(a)], folders[int32_t(b)]);
    };
    const std::vector<uint32_t> ranks = RankKeys(
        uint32_t(folders.Used()), [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; },
        [&](uint32_t a, uint32_t b) { return compare(a, b) != 0; });
    std::vector<TRankedEntry> entries(size_t(high - low + 1));
    for (int32_t k = low; k <= high; ++k)
        entries[size_t(k - low)] = {order[size_t(k)],
                                    ranks[size_t(list[order[size_t(k)].ItemIndex].PathIndex)]};
    return entries;
}
