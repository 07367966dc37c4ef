// Matches a pattern that is a plain sequence of code units and classes, each repeated
// greedily, where no repeat could give back a unit that the rest of the pattern might use
// ("(\w+)\t(\w+)", "\d+-\d{4}", "[a-z]+,\s*"). Such a pattern never backtracks, so one
// forward pass per start position gives ECMAScript's result; and once a start fails, the
// other starts inside the run its first repeat covered fail too and are passed over.
// Class runs are read 64 code units at a time as bit masks.
#pragma once

#include "ecma_backtrack_matcher.h"
#include "ecma_pattern_parser.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class EcmaSequenceMatcher final
{
public:
    using Result = EcmaBacktrackMatcher::Result;

    // Null when the pattern is not such a sequence.
    static std::unique_ptr<EcmaSequenceMatcher> create(const ParsedPattern &parsed);
    ~EcmaSequenceMatcher();
    Q_DISABLE_COPY_MOVE(EcmaSequenceMatcher)

    // Whether the pattern begins with an unbounded run, so that a failed start passes
    // over the rest of its run.
    bool skipsRuns() const { return m_items.front().max == kUnbounded; }

    void setDeadline(std::chrono::steady_clock::time_point deadline) { m_deadline = deadline; }
    void setCancelFlag(const std::atomic<bool> *cancelled) { m_cancelled = cancelled; }

    // The first match starting at or after `from`. On a match, captures holds
    // 2 * (groups + 1) offsets. Searches of one subject reuse what they read of it; a
    // search with another subject, or from an earlier offset, starts afresh.
    Result search(const char16_t *subject, qint64 length, qint64 from,
                  std::vector<qsizetype> &captures);

private:
    struct UnitSet;
    struct Item
    {
        int set = 0;
        qint64 min = 1;
        qint64 max = 1;     // kUnbounded for no limit
        bool single = true; // exactly one unit
    };
    static constexpr qint64 kUnbounded = INT64_MAX;

    EcmaSequenceMatcher();
    bool add(const ParsedPattern &parsed, int node, std::vector<const PatternNode *> &sources);
    void addItem(const PatternNode &unitOrSet, qint64 min, qint64 max,
                 std::vector<const PatternNode *> &sources);
    bool assignSet(Item &item, const PatternNode &unitOrSet);
    bool neverGivesBack() const;
    bool contains(int set, char16_t c) const;
    uint64_t membersAt(int set, qint64 block);
    Q_NEVER_INLINE uint64_t readBlock(UnitSet &set, const char16_t *blockStart) const;
    qint64 runEnd(int set, qint64 from, qint64 limit);
    qint64 nextMember(int set, qint64 from);
    bool attempt(qint64 start);
    bool stopNow();
    std::optional<qint64> searchStarts(qint64 from);
    std::optional<qint64> searchRunEnds(qint64 from);

    std::vector<UnitSet> m_sets;
    std::vector<Item> m_items;
    std::vector<std::pair<int, int>> m_groups; // per capture: first item, item after it
    std::vector<qint64> m_positions;           // before each item, and after the last

    const char16_t *m_subject = nullptr;
    qint64 m_length = 0;
    qint64 m_lastFrom = 0;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    const std::atomic<bool> *m_cancelled = nullptr;
    unsigned m_attempts = 0;
    Result m_stopped = Result::NoMatch;
    bool m_followed = false; // see searchRunEnds()
};
