#include "ecma_sequence_matcher.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <optional>

namespace {

using Kind = PatternNode::Kind;
using Ranges = UnitRanges::List;

// Beyond this many ranges the scalar table is quicker than one comparison per range.
constexpr size_t kMaxVectorRanges = 8;
// Each set costs a table of 8 KiB, and the overlap test keeps them in a 32-bit mask; the
// patterns this matcher is for use a few.
constexpr size_t kMaxSets = 32;

// Whether two sorted lists of ranges share a unit.
bool rangesMeet(const Ranges &a, const Ranges &b)
{
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() && j != b.end()) {
        if (i->second < j->first)
            ++i;
        else if (j->second < i->first)
            ++j;
        else
            return true;
    }
    return false;
}

} // namespace

struct EcmaSequenceMatcher::UnitSet
{
    Ranges members; // sorted, merged
    std::array<uint64_t, 1024> bits{};
    // The ranges the vector test compares with: the members, or the non-members when
    // those are fewer (inverted). Empty when both are too many.
    std::vector<uint16_t> firsts;
    std::vector<uint16_t> spans;
    bool inverted = false;
    bool vector = false;
    // The members among the 64 code units from blockStart on, the last block read.
    const char16_t *blockStart = nullptr;
    uint64_t mask = 0;
};

EcmaSequenceMatcher::EcmaSequenceMatcher() = default;
EcmaSequenceMatcher::~EcmaSequenceMatcher() = default;

std::unique_ptr<EcmaSequenceMatcher> EcmaSequenceMatcher::create(const ParsedPattern &parsed)
{
    std::unique_ptr<EcmaSequenceMatcher> matcher(new EcmaSequenceMatcher);
    matcher->m_groups.assign(size_t(parsed.captureCount), {0, 0});
    // The shape first: most patterns are no such sequence, and a set's table costs more
    // than the walk.
    std::vector<const PatternNode *> sources;
    if (parsed.root < 0 || !matcher->add(parsed, parsed.root, sources) || matcher->m_items.empty())
        return {};
    for (size_t i = 0; i < sources.size(); ++i) {
        if (!matcher->assignSet(matcher->m_items[i], *sources[i]))
            return {};
    }
    if (!matcher->neverGivesBack())
        return {};
    matcher->m_positions.assign(matcher->m_items.size() + 1, 0);
    const std::vector<Item> &items = matcher->m_items;
    matcher->m_followed =
        items.size() >= 2 && items[0].max == kUnbounded && items[0].min > 0 && items[1].single;
    return matcher;
}

bool EcmaSequenceMatcher::add(const ParsedPattern &parsed, int node,
                              std::vector<const PatternNode *> &sources)
{
    const PatternNode &n = parsed.nodes[size_t(node)];
    switch (n.kind) {
    case Kind::Empty:
        return true;
    case Kind::Alternative:
        return std::all_of(n.children.begin(), n.children.end(),
                           [&](int child) { return add(parsed, child, sources); });
    case Kind::Group: {
        const int first = int(m_items.size());
        if (!add(parsed, n.children.front(), sources))
            return false;
        if (n.group > 0)
            m_groups[size_t(n.group - 1)] = {first, int(m_items.size())};
        return true;
    }
    case Kind::Unit:
    case Kind::Set:
        addItem(n, 1, 1, sources);
        return true;
    case Kind::Quantified: {
        const PatternNode &child = parsed.nodes[size_t(n.children.front())];
        if (n.lazy || (child.kind != Kind::Unit && child.kind != Kind::Set))
            return false;
        if (n.max != 0)
            addItem(child, n.min, n.max == PatternNode::kInfinite ? kUnbounded : n.max, sources);
        return true;
    }
    default:
        return false;
    }
}

void EcmaSequenceMatcher::addItem(const PatternNode &unitOrSet, qint64 min, qint64 max,
                                  std::vector<const PatternNode *> &sources)
{
    m_items.push_back({-1, min, max, min == 1 && max == 1});
    sources.push_back(&unitOrSet);
}

bool EcmaSequenceMatcher::assignSet(Item &item, const PatternNode &unitOrSet)
{
    const Ranges members =
        unitOrSet.kind == Kind::Unit ? Ranges{{unitOrSet.unit, unitOrSet.unit}} : unitOrSet.ranges;
    const auto same = std::find_if(m_sets.begin(), m_sets.end(),
                                   [&](const UnitSet &set) { return set.members == members; });
    if (same != m_sets.end()) {
        item.set = int(same - m_sets.begin());
        return true;
    }
    if (m_sets.size() == kMaxSets)
        return false;
    UnitSet set;
    set.members = members;
    UnitRanges::fillTable(members, set.bits.data());
    const Ranges outside = UnitRanges::complement(members);
    set.inverted = outside.size() < members.size();
    for (const auto &[first, last] : set.inverted ? outside : members) {
        set.firsts.push_back(uint16_t(first));
        set.spans.push_back(uint16_t(last - first));
    }
    set.vector = set.firsts.size() <= kMaxVectorRanges;
    item.set = int(m_sets.size());
    m_sets.push_back(std::move(set));
    return true;
}

// A repeat that took all it could fails the same way with fewer when nothing after it can
// begin with a unit it takes (or nothing after it is required at all).
bool EcmaSequenceMatcher::neverGivesBack() const
{
    // Which sets overlap, once; then one pass from the end, carrying the sets the rest of
    // the pattern may begin with.
    const size_t setCount = m_sets.size();
    std::vector<uint32_t> overlaps(setCount, 0);
    for (size_t a = 0; a < setCount; ++a) {
        for (size_t b = 0; b < setCount; ++b) {
            if (rangesMeet(m_sets[a].members, m_sets[b].members))
                overlaps[a] |= uint32_t(1) << b;
        }
    }
    uint32_t restBegins = 0;
    bool restRequired = false;
    for (size_t i = m_items.size(); i-- > 0;) {
        const Item &item = m_items[i];
        if (item.min != item.max && restRequired && (overlaps[size_t(item.set)] & restBegins) != 0)
            return false;
        const uint32_t own = uint32_t(1) << item.set;
        restBegins = item.min > 0 ? own : restBegins | own;
        restRequired = restRequired || item.min > 0;
    }
    return true;
}

Q_ALWAYS_INLINE bool EcmaSequenceMatcher::contains(int set, char16_t c) const
{
    return (m_sets[size_t(set)].bits[c >> 6] >> (c & 63)) & 1;
}

Q_ALWAYS_INLINE uint64_t EcmaSequenceMatcher::membersAt(int set, qint64 block)
{
    UnitSet &s = m_sets[size_t(set)];
    const char16_t *const blockStart = m_subject + block * 64;
    return s.blockStart == blockStart ? s.mask : readBlock(s, blockStart);
}

uint64_t EcmaSequenceMatcher::readBlock(UnitSet &s, const char16_t *blockStart) const
{
    uint64_t mask = 0;
#if defined(__SSE2__)
    if (s.vector && m_subject + m_length - blockStart >= 64) {
        __m128i units[8];
        __m128i hits[8];
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) {
            units[k] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(blockStart + 8 * k));
            hits[k] = _mm_setzero_si128();
        }
        const __m128i zero = _mm_setzero_si128();
        for (size_t r = 0; r < s.firsts.size(); ++r) {
            // first <= unit <= last as one unsigned test: unit - first <= last - first.
            const __m128i first = _mm_set1_epi16(short(s.firsts[r]));
            const __m128i span = _mm_set1_epi16(short(s.spans[r]));
#pragma GCC unroll 8
            for (int k = 0; k < 8; ++k) {
                const __m128i over = _mm_subs_epu16(_mm_sub_epi16(units[k], first), span);
                hits[k] = _mm_or_si128(hits[k], _mm_cmpeq_epi16(over, zero));
            }
        }
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            const auto bits =
                unsigned(_mm_movemask_epi8(_mm_packs_epi16(hits[2 * k], hits[2 * k + 1])));
            mask |= uint64_t(bits) << (16 * k);
        }
        if (s.inverted)
            mask = ~mask;
        s.blockStart = blockStart;
        s.mask = mask;
        return mask;
    }
#endif
    const qint64 count = std::min<qint64>(64, m_subject + m_length - blockStart);
    for (qint64 j = 0; j < count; ++j)
        mask |= ((s.bits[blockStart[j] >> 6] >> (blockStart[j] & 63)) & 1) << j;
    s.blockStart = blockStart;
    s.mask = mask;
    return mask;
}

// The first offset in [from, limit) whose unit is outside the set, or limit.
Q_ALWAYS_INLINE qint64 EcmaSequenceMatcher::runEnd(int set, qint64 from, qint64 limit)
{
    for (qint64 p = from; p < limit; p = (p | 63) + 1) {
        // Past the subject's end a block reads as outside, so a run stops there.
        const uint64_t outside = ~membersAt(set, p >> 6) >> (p & 63);
        if (outside != 0)
            return std::min(limit, p + std::countr_zero(outside));
    }
    return limit;
}

// The first offset at or after `from` whose unit is in the set, or the subject's length.
Q_ALWAYS_INLINE qint64 EcmaSequenceMatcher::nextMember(int set, qint64 from)
{
    for (qint64 p = from; p < m_length; p = (p | 63) + 1) {
        const uint64_t inside = membersAt(set, p >> 6) >> (p & 63);
        if (inside != 0)
            return p + std::countr_zero(inside);
    }
    return m_length;
}

Q_ALWAYS_INLINE bool EcmaSequenceMatcher::attempt(qint64 start)
{
    qint64 *const positions = m_positions.data();
    const Item *const items = m_items.data();
    const size_t count = m_items.size();
    const qint64 length = m_length;
    qint64 pos = start;
    for (size_t i = 0; i < count; ++i) {
        const Item &item = items[i];
        positions[i] = pos;
        if (item.single) {
            if (pos >= length || !contains(item.set, m_subject[pos])) {
                positions[i + 1] = pos;
                return false;
            }
            ++pos;
            continue;
        }
        const qint64 limit = item.max >= length - pos ? length : pos + item.max;
        const qint64 end = runEnd(item.set, pos, limit);
        if (end - pos < item.min) {
            positions[i + 1] = end;
            return false;
        }
        pos = end;
    }
    positions[count] = pos;
    return true;
}

EcmaSequenceMatcher::Result EcmaSequenceMatcher::search(const char16_t *subject, qint64 length,
                                                        qint64 from,
                                                        std::vector<qsizetype> &captures)
{
    if (subject != m_subject || length != m_length || from <= m_lastFrom) {
        m_subject = subject;
        m_length = length;
        for (UnitSet &set : m_sets)
            set.blockStart = nullptr;
    }
    m_lastFrom = from;
    const std::optional<qint64> start = m_followed ? searchRunEnds(from) : searchStarts(from);
    if (!start)
        return m_stopped;
    captures.assign(2 * (m_groups.size() + 1), -1);
    captures[0] = *start;
    captures[1] = m_positions.back();
    for (size_t g = 0; g < m_groups.size(); ++g) {
        captures[2 * g + 2] = m_positions[size_t(m_groups[g].first)];
        captures[2 * g + 3] = m_positions[size_t(m_groups[g].second)];
    }
    return Result::Match;
}

// Looks at the clock now and then; sets why the search stops.
bool EcmaSequenceMatcher::stopNow()
{
    if (++m_attempts % 1024 != 0)
        return false;
    if (m_cancelled != nullptr && m_cancelled->load(std::memory_order_relaxed))
        m_stopped = Result::Cancelled;
    else if (std::chrono::steady_clock::now() > m_deadline)
        m_stopped = Result::Deadline;
    return m_stopped != Result::NoMatch;
}

std::optional<qint64> EcmaSequenceMatcher::searchStarts(qint64 from)
{
    m_stopped = Result::NoMatch;
    const Item &first = m_items.front();
    // A start inside the run the first repeat took from an earlier start meets the same
    // rest of the pattern at the same place, with fewer units taken.
    const bool skipRun = first.max == kUnbounded;
    qint64 start = from;
    while (start <= m_length) {
        if (first.min > 0) {
            start = nextMember(first.set, start);
            if (start >= m_length)
                break;
        }
        if (attempt(start))
            return start;
        if (stopNow())
            break;
        start = skipRun ? std::max(start + 1, m_positions[1]) : start + 1;
    }
    return std::nullopt;
}

// The first item an unbounded run, the second one unit outside it: a match can only
// start at the beginning of a run (or at `from`) whose end is followed by that unit, so
// the masks of the two sets give every place worth an attempt.
std::optional<qint64> EcmaSequenceMatcher::searchRunEnds(qint64 from)
{
    m_stopped = Result::NoMatch;
    const int runSet = m_items[0].set;
    const int followerSet = m_items[1].set;
    for (qint64 block = (from + 1) >> 6; block * 64 < m_length; ++block) {
        const qint64 base = block * 64;
        const bool carry = base > from && contains(runSet, m_subject[base - 1]);
        const uint64_t runs = membersAt(runSet, block);
        uint64_t ends = membersAt(followerSet, block) & ((runs << 1) | uint64_t(carry));
        // Only followers whose unit before is at or after `from`.
        if (from + 1 > base)
            ends &= ~uint64_t(0) << (from + 1 - base);
        for (; ends != 0; ends &= ends - 1) {
            const qint64 follower = base + std::countr_zero(ends);
            const uint64_t before = ~runs & ((uint64_t(1) << (follower - base)) - 1);
            qint64 start = before != 0 ? base + 64 - std::countl_zero(before) : base;
            while (start > from && before == 0 && contains(runSet, m_subject[start - 1]))
                --start;
            start = std::max(start, from);
            if (attempt(start))
                return start;
            if (stopNow())
                return std::nullopt;
        }
    }
    return std::nullopt;
}
