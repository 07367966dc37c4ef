#include "ecma_backtrack_matcher.h"

#include <algorithm>

namespace {

using Kind = PatternNode::Kind;
using Clock = std::chrono::steady_clock;

// The backtracking stack's ceiling (16 bytes a frame): like PCRE2's heap limit, a pattern
// that needs more reports it instead of exhausting memory.
constexpr size_t kMaxFrames = size_t(256) * 1024 * 1024 / 16;
// How many instructions run between two looks at the clock and the cancel flag.
constexpr int kCheckInterval = 4096;

enum FrameKind : int32_t
{
    Undo,      // index: register, value: its previous content
    Choice,    // index: where to resume, value: position
    LookAhead, // an open positive lookaround; index: continuation, value: its position
    LookNegative,
    StarBound,  // index: the repeat's instruction, value: the farthest position to give back
    StarGreedy, // value: the position the repeat has reached
    StarLazy
};

bool isWordUnit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c == u'_';
}

} // namespace

struct EcmaBacktrackMatcher::Instruction
{
    enum Op : uint8_t
    {
        Unit,
        Set,
        Star, // a repeat of one code unit or set, without captures
        BackReference,
        LineStart,
        LineEnd,
        WordBoundary,
        NotWordBoundary,
        Split, // try the next instruction, then target
        Jump,
        GroupOpen,
        GroupClose,
        LoopInit,
        LoopHead, // exit at target
        LoopIteration,
        LoopEnd, // back to target (the head)
        LookStart,
        LookEnd,
        Match
    };
    Op op = Match;
    bool backward = false;
    bool lazy = false;
    bool negative = false;
    char16_t unit = 0;
    int set = -1; // Star: -1 when it repeats `unit`
    int group = 0;
    int loop = 0;
    int target = 0;
    int firstCapture = 0;
    int captureCount = 0;
    qint64 min = 0;
    qint64 max = PatternNode::kInfinite;
};

EcmaBacktrackMatcher::EcmaBacktrackMatcher(const ParsedPattern &parsed)
    : m_captureCount(parsed.captureCount)
{
    if (parsed.root < 0)
        return;
    compile(parsed, parsed.root, false);
    push({});
    // Registers: captures, then each group's opening position, loop counts, loop starts.
    m_registers.assign(size_t(2 * (m_captureCount + 1) + m_captureCount + 1 + 2 * m_loops), -1);
    // A prefilter for start positions: the code unit every match must begin with. An
    // assertion in front consumes nothing, so the first unit after it counts.
    for (size_t pc = 0; pc < m_program.size();) {
        const Instruction &in = m_program[pc];
        if (in.op == Instruction::GroupOpen) {
            ++pc;
            continue;
        }
        if (in.op == Instruction::LookStart) {
            pc = size_t(in.target);
            continue;
        }
        if (in.op == Instruction::Set && !in.backward)
            m_firstSet = in.set;
        if (in.op == Instruction::Unit && !in.backward)
            m_firstSet = addSet({{in.unit, in.unit}});
        if (in.op == Instruction::Star && !in.backward && in.min > 0)
            m_firstSet = in.set >= 0 ? in.set : addSet({{in.unit, in.unit}});
        break;
    }
}

EcmaBacktrackMatcher::~EcmaBacktrackMatcher() = default;

int EcmaBacktrackMatcher::push(const Instruction &instruction)
{
    m_program.push_back(instruction);
    return int(m_program.size() - 1);
}

int EcmaBacktrackMatcher::addSet(const std::vector<std::pair<int, int>> &ranges)
{
    ClassSet set;
    for (const auto &[first, last] : ranges) {
        for (int c = first; c <= std::min(last, 255); ++c)
            set.latin1[c >> 6] |= uint64_t(1) << (c & 63);
        if (last >= 256)
            set.ranges.emplace_back(std::max(first, 256), last);
    }
    m_sets.push_back(std::move(set));
    return int(m_sets.size() - 1);
}

bool EcmaBacktrackMatcher::inRanges(const ClassSet &set, char16_t c)
{
    const auto it =
        std::upper_bound(set.ranges.begin(), set.ranges.end(), std::pair<int, int>(c, 0xFFFF));
    return it != set.ranges.begin() && std::prev(it)->second >= c;
}

void EcmaBacktrackMatcher::compile(const ParsedPattern &parsed, int n, bool backward)
{
    const PatternNode &x = parsed.nodes[size_t(n)];
    Instruction in;
    in.backward = backward;
    switch (x.kind) {
    case Kind::Empty:
        return;
    case Kind::Unit:
        in.op = Instruction::Unit;
        in.unit = x.unit;
        push(in);
        return;
    case Kind::Set:
        in.op = Instruction::Set;
        in.set = addSet(x.ranges);
        push(in);
        return;
    case Kind::Disjunction: {
        std::vector<int> jumps;
        for (size_t i = 0; i < x.children.size(); ++i) {
            int split = -1;
            if (i + 1 < x.children.size()) {
                in.op = Instruction::Split;
                split = push(in);
            }
            compile(parsed, x.children[i], backward);
            if (i + 1 < x.children.size()) {
                in.op = Instruction::Jump;
                jumps.push_back(push(in));
                m_program[size_t(split)].target = int(m_program.size());
            }
        }
        for (int jump : jumps)
            m_program[size_t(jump)].target = int(m_program.size());
        return;
    }
    case Kind::Alternative:
        // Backwards, the terms are matched from the last to the first.
        if (backward) {
            for (auto it = x.children.rbegin(); it != x.children.rend(); ++it)
                compile(parsed, *it, backward);
        } else {
            for (int c : x.children)
                compile(parsed, c, backward);
        }
        return;
    case Kind::Group:
        if (x.group > 0) {
            in.op = Instruction::GroupOpen;
            in.group = x.group;
            push(in);
        }
        compile(parsed, x.children.front(), backward);
        if (x.group > 0) {
            in.op = Instruction::GroupClose;
            push(in);
        }
        return;
    case Kind::Lookahead:
    case Kind::Lookbehind: {
        in.op = Instruction::LookStart;
        in.negative = x.negative;
        const int start = push(in);
        compile(parsed, x.children.front(), x.kind == Kind::Lookbehind);
        in.op = Instruction::LookEnd;
        push(in);
        m_program[size_t(start)].target = int(m_program.size());
        return;
    }
    case Kind::Quantified: {
        if (x.max == 0)
            return;
        const PatternNode &atom = parsed.nodes[size_t(x.children.front())];
        in.min = x.min;
        in.max = x.max;
        in.lazy = x.lazy;
        if (atom.kind == Kind::Unit || atom.kind == Kind::Set) {
            in.op = Instruction::Star;
            in.unit = atom.unit;
            in.set = atom.kind == Kind::Set ? addSet(atom.ranges) : -1;
            push(in);
            return;
        }
        in.loop = m_loops++;
        in.firstCapture = x.firstCapture;
        in.captureCount = x.captureCount;
        in.op = Instruction::LoopInit;
        push(in);
        in.op = Instruction::LoopHead;
        const int head = push(in);
        in.op = Instruction::LoopIteration;
        push(in);
        compile(parsed, x.children.front(), backward);
        in.op = Instruction::LoopEnd;
        in.target = head;
        push(in);
        m_program[size_t(head)].target = int(m_program.size());
        return;
    }
    case Kind::BackReference:
        in.op = Instruction::BackReference;
        in.group = x.group;
        push(in);
        return;
    case Kind::LineStart:
        in.op = Instruction::LineStart;
        push(in);
        return;
    case Kind::LineEnd:
        in.op = Instruction::LineEnd;
        push(in);
        return;
    case Kind::WordBoundary:
        in.op = Instruction::WordBoundary;
        push(in);
        return;
    case Kind::NotWordBoundary:
        in.op = Instruction::NotWordBoundary;
        push(in);
        return;
    }
}

EcmaBacktrackMatcher::Result EcmaBacktrackMatcher::search(const char16_t *subject, qint64 length,
                                                          qint64 from,
                                                          std::vector<qsizetype> &captures)
{
    m_subject = subject;
    m_length = length;
    for (qint64 start = from; start <= length; ++start) {
        if (m_firstSet >= 0) {
            while (start < length && !inSet(m_firstSet, subject[start]))
                ++start;
            if (start >= length)
                return Result::NoMatch;
        }
        const Result result = attempt(start);
        if (result == Result::NoMatch)
            continue;
        if (result == Result::Match) {
            captures.assign(size_t(2 * (m_captureCount + 1)), -1);
            for (size_t i = 0; i < captures.size(); ++i)
                captures[i] = qsizetype(m_registers[i]);
        }
        return result;
    }
    return Result::NoMatch;
}

void EcmaBacktrackMatcher::setRegister(int index, int64_t value)
{
    int64_t &reg = m_registers[size_t(index)];
    if (reg == value)
        return;
    m_stack.push_back({Undo, index, reg});
    reg = value;
}

bool EcmaBacktrackMatcher::backtrack(qint64 &pc, qint64 &pos)
{
    while (!m_stack.empty()) {
        Frame &top = m_stack.back();
        switch (top.kind) {
        case Undo:
            m_registers[size_t(top.index)] = top.value;
            m_stack.pop_back();
            continue;
        case Choice:
            pc = top.index;
            pos = top.value;
            m_stack.pop_back();
            return ++m_steps <= m_stepLimit || (m_stop = Result::StepLimit, false);
        case LookAhead:
            m_lookMarks.pop_back();
            m_stack.pop_back();
            continue;
        case LookNegative:
            // Its body found no match: the assertion holds.
            m_lookMarks.pop_back();
            pc = top.index;
            pos = top.value;
            m_stack.pop_back();
            return true;
        case StarGreedy:
        case StarLazy: {
            const Frame &bound = m_stack[m_stack.size() - 2];
            const Instruction &in = m_program[size_t(bound.index)];
            qint64 next = top.value;
            bool more = next != bound.value;
            if (more && top.kind == StarLazy) {
                const qint64 at = in.backward ? next - 1 : next;
                const char16_t c = m_subject[at];
                more = in.set >= 0 ? inSet(in.set, c) : c == in.unit;
            }
            if (!more) {
                m_stack.resize(m_stack.size() - 2);
                continue;
            }
            const bool towardStart = (top.kind == StarGreedy) != in.backward;
            next += towardStart ? -1 : 1;
            top.value = next;
            pc = bound.index + 1;
            pos = next;
            return ++m_steps <= m_stepLimit || (m_stop = Result::StepLimit, false);
        }
        default:
            m_stack.pop_back();
            continue;
        }
    }
    return false;
}

EcmaBacktrackMatcher::Result EcmaBacktrackMatcher::attempt(qint64 start)
{
    const int openBase = 2 * (m_captureCount + 1);
    const int countBase = openBase + m_captureCount + 1;
    const int loopStartBase = countBase + m_loops;
    std::fill(m_registers.begin(), m_registers.begin() + openBase, -1);
    m_stack.clear();
    m_lookMarks.clear();
    m_steps = 0;
    m_stop = Result::NoMatch;
    const char16_t *s = m_subject;
    const qint64 length = m_length;
    qint64 pc = 0;
    qint64 pos = start;
    for (;;) {
        // Counted across attempts, so that many short attempts are watched too.
        if (--m_countdown == 0) {
            m_countdown = kCheckInterval;
            if (m_cancelled && m_cancelled->load(std::memory_order_relaxed))
                return Result::Cancelled;
            if (Clock::now() > m_deadline)
                return Result::Deadline;
            if (m_stack.size() > kMaxFrames)
                return Result::Memory;
        }
        const Instruction &in = m_program[size_t(pc)];
        bool ok = true;
        switch (in.op) {
        case Instruction::Unit:
            if (in.backward) {
                ok = pos > 0 && s[pos - 1] == in.unit;
                pos -= ok;
            } else {
                ok = pos < length && s[pos] == in.unit;
                pos += ok;
            }
            ++pc;
            break;
        case Instruction::Set:
            if (in.backward) {
                ok = pos > 0 && inSet(in.set, s[pos - 1]);
                pos -= ok;
            } else {
                ok = pos < length && inSet(in.set, s[pos]);
                pos += ok;
            }
            ++pc;
            break;
        case Instruction::Star: {
            auto matches = [&](qint64 at) {
                return in.set >= 0 ? inSet(in.set, s[at]) : s[at] == in.unit;
            };
            const qint64 room = in.backward ? pos : length - pos;
            const qint64 limit = in.max < 0 ? room : std::min(room, in.max);
            const qint64 take = in.lazy ? std::min(limit, in.min) : limit;
            qint64 count = 0;
            if (in.backward) {
                while (count < take && matches(pos - count - 1))
                    ++count;
            } else {
                while (count < take && matches(pos + count))
                    ++count;
            }
            if (count < in.min) {
                ok = false;
                break;
            }
            const qint64 step = in.backward ? -1 : 1;
            const qint64 reached = pos + step * count;
            if (in.lazy) {
                if (count < limit) {
                    m_stack.push_back({StarBound, int32_t(pc), pos + step * limit});
                    m_stack.push_back({StarLazy, 0, reached});
                }
            } else if (count > in.min) {
                m_stack.push_back({StarBound, int32_t(pc), pos + step * in.min});
                m_stack.push_back({StarGreedy, 0, reached});
            }
            pos = reached;
            ++pc;
            break;
        }
        case Instruction::BackReference: {
            const int64_t from = m_registers[size_t(2 * in.group)];
            const int64_t to = m_registers[size_t(2 * in.group + 1)];
            if (from >= 0 && to > from) {
                const qint64 n = to - from;
                const qint64 at = in.backward ? pos - n : pos;
                ok = at >= 0 && at + n <= length && std::equal(s + from, s + to, s + at);
                if (ok)
                    pos = in.backward ? at : at + n;
            }
            ++pc;
            break;
        }
        case Instruction::LineStart:
            ok = pos == 0;
            ++pc;
            break;
        case Instruction::LineEnd:
            ok = pos == length;
            ++pc;
            break;
        case Instruction::WordBoundary:
        case Instruction::NotWordBoundary: {
            const bool before = pos > 0 && isWordUnit(s[pos - 1]);
            const bool after = pos < length && isWordUnit(s[pos]);
            ok = (before != after) == (in.op == Instruction::WordBoundary);
            ++pc;
            break;
        }
        case Instruction::Split:
            m_stack.push_back({Choice, in.target, pos});
            ++pc;
            break;
        case Instruction::Jump:
            pc = in.target;
            break;
        case Instruction::GroupOpen:
            setRegister(openBase + in.group, pos);
            ++pc;
            break;
        case Instruction::GroupClose: {
            const int64_t open = m_registers[size_t(openBase + in.group)];
            setRegister(2 * in.group, std::min<int64_t>(open, pos));
            setRegister(2 * in.group + 1, std::max<int64_t>(open, pos));
            ++pc;
            break;
        }
        case Instruction::LoopInit:
            setRegister(countBase + in.loop, 0);
            ++pc;
            break;
        case Instruction::LoopHead: {
            const int64_t count = m_registers[size_t(countBase + in.loop)];
            if (in.max >= 0 && count >= in.max) {
                pc = in.target;
                break;
            }
            if (count < in.min) {
                ++pc;
            } else if (!in.lazy) {
                m_stack.push_back({Choice, in.target, pos});
                ++pc;
            } else {
                m_stack.push_back({Choice, int32_t(pc + 1), pos});
                pc = in.target;
            }
            break;
        }
        case Instruction::LoopIteration:
            // Each iteration starts with the captures inside the repeat unset.
            setRegister(loopStartBase + in.loop, pos);
            for (int g = in.firstCapture; g < in.firstCapture + in.captureCount; ++g) {
                setRegister(2 * g, -1);
                setRegister(2 * g + 1, -1);
            }
            ++pc;
            break;
        case Instruction::LoopEnd: {
            const int64_t count = m_registers[size_t(countBase + in.loop)];
            // An iteration past the minimum that matched nothing is rejected.
            if (count >= in.min && pos == m_registers[size_t(loopStartBase + in.loop)]) {
                ok = false;
                break;
            }
            setRegister(countBase + in.loop, count + 1);
            pc = in.target;
            break;
        }
        case Instruction::LookStart:
            m_stack.push_back({in.negative ? LookNegative : LookAhead, in.target, pos});
            m_lookMarks.push_back(m_stack.size() - 1);
            ++pc;
            break;
        case Instruction::LookEnd: {
            const size_t mark = m_lookMarks.back();
            m_lookMarks.pop_back();
            const Frame frame = m_stack[mark];
            if (frame.kind == LookNegative) {
                // Its body matched: the assertion fails, and what the body set is undone.
                while (m_stack.size() > mark + 1) {
                    const Frame &f = m_stack.back();
                    if (f.kind == Undo)
                        m_registers[size_t(f.index)] = f.value;
                    m_stack.pop_back();
                }
                m_stack.pop_back();
                ok = false;
                break;
            }
            // The first way the body matches is final: its choices go, its captures stay
            // (with their undo records, for backtracking past the assertion).
            size_t kept = mark;
            for (size_t i = mark + 1; i < m_stack.size(); ++i) {
                if (m_stack[i].kind == Undo)
                    m_stack[kept++] = m_stack[i];
            }
            m_stack.resize(kept);
            pos = frame.value;
            pc = frame.index;
            break;
        }
        case Instruction::Match:
            m_registers[0] = start;
            m_registers[1] = pos;
            return Result::Match;
        }
        if (!ok && !backtrack(pc, pos))
            return m_stop == Result::StepLimit ? Result::StepLimit : Result::NoMatch;
    }
}
