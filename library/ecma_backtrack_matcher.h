// A backtracking matcher that follows ECMAScript's pattern semantics step by step
// (non-unicode mode, UTF-16 code units, lookbehind matched backwards) for the patterns
// PCRE2 would give another meaning. Backtracking runs on an explicit stack, so a long
// subject cannot overflow the thread's stack.
#pragma once

#include "ecma_pattern_parser.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

class EcmaBacktrackMatcher final
{
public:
    enum class Result
    {
        Match,
        NoMatch,
        StepLimit,
        Deadline,
        Cancelled,
        Memory
    };

    explicit EcmaBacktrackMatcher(const ParsedPattern &parsed);
    ~EcmaBacktrackMatcher();
    Q_DISABLE_COPY_MOVE(EcmaBacktrackMatcher)

    // Backtracks allowed per start position; a pattern that needs more is runaway.
    void setStepLimit(qint64 steps) { m_stepLimit = steps; }
    void setDeadline(std::chrono::steady_clock::time_point deadline) { m_deadline = deadline; }
    void setCancelFlag(const std::atomic<bool> *cancelled) { m_cancelled = cancelled; }

    // The first match starting at or after `from`. On a match, captures holds
    // 2 * (groups + 1) offsets, -1 for an unset group.
    Result search(const char16_t *subject, qint64 length, qint64 from,
                  std::vector<qsizetype> &captures);

private:
    struct Instruction;
    struct ClassSet
    {
        uint64_t latin1[4] = {};                 // a bitmap for the units below 256
        std::vector<std::pair<int, int>> ranges; // the rest, sorted
    };
    struct Frame
    {
        int32_t kind;
        int32_t index;
        int64_t value;
    };

    void compile(const ParsedPattern &parsed, int node, bool backward);
    int push(const Instruction &instruction);
    int addSet(const std::vector<std::pair<int, int>> &ranges);
    static bool inRanges(const ClassSet &set, char16_t c);
    bool inSet(int set, char16_t c) const
    {
        const ClassSet &x = m_sets[size_t(set)];
        if (c < 256)
            return (x.latin1[c >> 6] >> (c & 63)) & 1;
        return inRanges(x, c);
    }
    Result attempt(qint64 start);
    bool backtrack(qint64 &pc, qint64 &pos);
    void setRegister(int index, int64_t value);

    std::vector<Instruction> m_program;
    std::vector<ClassSet> m_sets;
    int m_captureCount = 0;
    int m_loops = 0;
    int m_firstSet = -1; // every match starts with a code unit of this set, when >= 0

    const char16_t *m_subject = nullptr;
    qint64 m_length = 0;
    std::vector<int64_t> m_registers;
    std::vector<Frame> m_stack;
    std::vector<size_t> m_lookMarks;
    qint64 m_steps = 0;
    int m_countdown = 4096;
    qint64 m_stepLimit = 10'000'000;
    Result m_stop = Result::NoMatch;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    const std::atomic<bool> *m_cancelled = nullptr;
};
