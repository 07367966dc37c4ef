// ECMAScript regular expressions (global, case-sensitive, not multi-line, UTF-16)
// on PCRE2's 16-bit library, or on a backtracking matcher of our own for the patterns
// PCRE2 would give another meaning, with JavaScript's global-match order and replace rules.
#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

struct RegExpError
{
    QString message;
    qsizetype offset = -1; // position in the pattern, -1 when it is not about a position

    bool isSet() const { return !message.isEmpty(); }
};

class EcmaRegExp final
{
public:
    explicit EcmaRegExp(const QString &pattern);
    ~EcmaRegExp();
    EcmaRegExp(const EcmaRegExp &) = delete;
    EcmaRegExp &operator=(const EcmaRegExp &) = delete;

    bool isValid() const;
    // The compile error, or after a failed match the error that stopped it
    // (match limit, deadline, cancellation).
    RegExpError error() const;
    int captureCount() const;
    // Why the pattern runs on the backtracking matcher instead of PCRE2 (the construct
    // PCRE2 would give another meaning); empty when it runs on PCRE2.
    QString exactConstruct() const;

    // Calls visitor(start, length) for each match in global order (an empty match
    // advances one code unit). Returns false when matching failed; error() tells why.
    using MatchVisitor = std::function<void(qsizetype start, qsizetype length)>;
    bool forEachMatch(const QString &subject, const MatchVisitor &visitor);

    // String.prototype.replace with a global RegExp: $1-$99, $&, $$, $`, $', $<name>.
    std::optional<QString> replaceAll(const QString &subject, const QString &replacement);

    // Lets another thread stop a running match (the test bench's cancel button).
    void cancel();
    // A flag of the caller's, checked beside cancel(): unlike cancel() it is not reset
    // when a run starts, so a stop asked for before the run began is not lost. The flag
    // must outlive the runs; null removes it.
    void setCancelFlag(const std::atomic<bool> *flag);

    // JIT on by default; tests compare both paths.
    static void setJitEnabled(bool enabled);
    // PCRE2's start-of-match, auto-possessive and ".*" anchoring optimisations, on by
    // default; tests check that they never change a result.
    static void setPcreOptimisationsEnabled(bool enabled);
    // How much a runaway pattern may cost before it fails with a limit message. Fuzzing
    // lowers them so that its time goes to many inputs, not to a few slow ones; a
    // change applies to patterns compiled and runs started after it.
    struct RunawayLimits
    {
        uint32_t matchLimit;            // PCRE2 steps per start position
        qint64 exactStepLimit;          // backtracking-matcher steps per start position
        std::chrono::milliseconds base; // deadline of a run, before its length's share
    };
    static RunawayLimits defaultRunawayLimits();
    static void setRunawayLimits(const RunawayLimits &limits);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
