#include "tag_document.h"

#include "text_file.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString element(const QString &key, const QString &data)
{
    return u'<' + key + u'>' + data + QStringLiteral("</") + key + u'>';
}

QString tabs(qint64 count)
{
    return QString(qsizetype(std::max<qint64>(count, 0)), u'\t');
}

// Longer keys, and keys holding "<" or ">", are searched in the text itself.
constexpr qsizetype kMaxIndexedName = 64;
// Shorter texts (an item's few elements) are quicker to search than to index.
constexpr qsizetype kMinIndexedText = 512;
constexpr int kSearchesBeforeIndex = 4;

bool indexable(QStringView name)
{
    if (name.size() > kMaxIndexedName)
        return false;
    for (const QChar c : name) {
        if (c == u'<' || c == u'>')
            return false;
    }
    return true;
}

qsizetype nextOf(QStringView text, qsizetype from, char16_t c)
{
    return Cls_XML::IndexOf(text, c, from);
}

// Where "<name>" (or "</name>" when closing) first starts at or after from, or -1. Every
// tag starts with "<", so checking each "<" in turn finds the first occurrence exactly,
// without building the tag text or setting up a general search.
qsizetype findTag(QStringView text, qsizetype from, QStringView name, bool closing)
{
    const qsizetype nameAt = closing ? 2 : 1;
    const qsizetype length = nameAt + name.size() + 1;
    for (qsizetype at = nextOf(text, from, u'<'); at >= 0 && at + length <= text.size();
         at = nextOf(text, at + 1, u'<')) {
        if ((!closing || text[at + 1] == u'/') && text[at + length - 1] == u'>' &&
            text.sliced(at + nameAt, name.size()) == name)
            return at;
    }
    return -1;
}

// The element's content given where its open tag starts: up to the first close tag that
// starts after the open tag's first character.
QStringView contentFrom(QStringView text, qsizetype openAt, QStringView name)
{
    const qsizetype closeAt = findTag(text, openAt + 1, name, true);
    const qsizetype contentAt = openAt + name.size() + 2;
    // A close tag overlapping the open tag (only possible with odd names) reads as empty.
    if (closeAt < contentAt)
        return {};
    return text.sliced(contentAt, closeAt - contentAt);
}

QString programFolder()
{
    // Without an application object there is no program folder to ask for; names are then
    // taken relative to the working directory.
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

// Comment removal in one pass, with the result of removing block after block: the first
// "<!--" to the first "-->" after it, then every copy of that block the text holds at that
// moment, and again. The output works as a stack, so the text around a removed block joins
// and may form a new "<!--" or "-->" as it does between rounds. Text beyond the first open
// still pending has been touched only by those copy removals, which are applied when their
// close arrives: at a close, every pending open starts a candidate ending there. A candidate
// goes in the earliest round whose block it equals and in which it already stood whole, that
// is, no later than the removals that joined its pieces (a copy that forms only after its
// round stays). Blocks never overlap without sharing their close, so the candidate with the
// earliest such round is the one removed. Without one, the first pending open starts a new
// round. Candidates are compared by a rolling hash of the output, then character by character.
class CommentRemover final
{
public:
    explicit CommentRemover(qsizetype sizeHint)
    {
        m_out.reserve(sizeHint);
        m_power.push_back(1);
    }

    void feed(QStringView text)
    {
        // Only a '-' can complete an open and only a '>' a close: the rest is copied in runs.
        const char16_t *const data = text.utf16();
        const qsizetype size = text.size();
        qsizetype i = 0;
        while (i < size) {
            qsizetype j = i;
            while (j < size && data[j] != u'-' && data[j] != u'>')
                ++j;
            appendPlain(text.sliced(i, j - i));
            if (j < size)
                appendMark(data[j]);
            i = j + 1;
        }
    }

    QString take() { return std::move(m_out); }

private:
    static constexpr quint64 Mod = (quint64(1) << 61) - 1;
    static constexpr quint64 Base = 1000003;
    static constexpr int NoRound = INT_MAX;

    static quint64 addMod(quint64 a, quint64 b)
    {
        const quint64 s = a + b;
        return s >= Mod ? s - Mod : s;
    }
    static quint64 mulMod(quint64 a, quint64 b)
    {
        const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
        const quint64 folded = quint64(p & Mod) + quint64(p >> 61);
        return folded >= Mod ? folded - Mod : folded;
    }

    qsizetype firstOpen() const { return m_pending.empty() ? -1 : m_pending.front(); }

    void appendPlain(QStringView run)
    {
        m_out.append(run);
        if (m_pending.empty())
            return;
        quint64 h = m_prefix.back();
        for (const QChar c : run) {
            h = addMod(mulMod(h, Base), c.unicode() + 1u);
            m_prefix.push_back(h);
        }
    }

    void appendMark(char16_t c)
    {
        m_out.append(QChar(c));
        const qsizetype n = m_out.size();
        const QChar *const out = m_out.constData();
        if (!m_pending.empty())
            m_prefix.push_back(addMod(mulMod(m_prefix.back(), Base), c + 1u));
        if (c == u'-' && n >= 4 && out[n - 4] == u'<' && out[n - 3] == u'!' && out[n - 2] == u'-') {
            open(n - 4);
        } else if (c == u'>' && !m_pending.empty() && n - 3 >= m_pending.front() + 1 &&
                   out[n - 3] == u'-' && out[n - 2] == u'-') {
            close();
        }
    }

    void open(qsizetype position)
    {
        if (m_pending.empty()) {
            // Hashes are kept from the first open on: text outside comments needs none.
            m_prefix.assign(1, 0);
            for (qsizetype k = position; k < m_out.size(); ++k)
                m_prefix.push_back(addMod(mulMod(m_prefix.back(), Base), m_out[k].unicode() + 1u));
        }
        // A join inside the open's own characters belongs to every candidate starting there.
        int joined = 0;
        for (auto it = m_joins.rbegin(); it != m_joins.rend() && it->first > position; ++it)
            joined = std::max(joined, it->second);
        m_pending.push_back(position);
        m_joinedSince.push_back(joined);
        m_tree.set(m_pending.size() - 1, joined);
    }

    quint64 power(qsizetype length)
    {
        while (qsizetype(m_power.size()) <= length)
            m_power.push_back(mulMod(m_power.back(), Base));
        return m_power[size_t(length)];
    }

    // Hash of the output from position (not before the first open) to its end.
    quint64 tailHash(qsizetype position)
    {
        const size_t from = size_t(position - firstOpen());
        const size_t to = size_t(m_out.size() - firstOpen());
        const quint64 head = mulMod(m_prefix[from], power(qsizetype(to - from)));
        return addMod(m_prefix[to], Mod - head);
    }

    // The standard hash of an integer is the integer itself: mixed, so that every bit of
    // the rolling hash reaches the bucket.
    static quint64 key(qsizetype length, quint64 hash)
    {
        quint64 z = hash ^ (quint64(length) * 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    struct Block
    {
        qsizetype offset = 0; // in the arena
        qsizetype length = 0;
        int firstRound = 0;
        int laterRounds = -1; // index into m_laterRounds when the block came back in a later round
    };

    // The block equal to the output from position to its end, if any.
    int findBlock(qsizetype position)
    {
        const qsizetype length = m_out.size() - position;
        if (!m_lengths.contains(length))
            return -1;
        const QStringView candidate = QStringView(m_out).sliced(position);
        const quint64 wanted = key(length, tailHash(position));
        for (size_t i = wanted & m_mask; m_table[i].block >= 0; i = (i + 1) & m_mask) {
            const Block &block = m_blocks[size_t(m_table[i].block)];
            if (m_table[i].key == wanted &&
                QStringView(m_arena).sliced(block.offset, block.length) == candidate)
                return m_table[i].block;
        }
        return -1;
    }

    // The first round of the block not before the round `formed` in which the text joined.
    int roundFrom(int block, int formed) const
    {
        const Block &b = m_blocks[size_t(block)];
        if (b.firstRound >= formed)
            return b.firstRound;
        if (b.laterRounds < 0)
            return NoRound;
        const std::vector<int> &rounds = m_laterRounds[size_t(b.laterRounds)];
        const auto it = std::lower_bound(rounds.begin(), rounds.end(), formed);
        return it == rounds.end() ? NoRound : *it;
    }

    // Blocks are kept end to end in one string and found through an open-addressing
    // table: a file with many comments makes no allocation per comment.
    void remember(qsizetype position, int round)
    {
        const qsizetype length = m_out.size() - position;
        if ((m_blocks.size() + 1) * 2 > m_table.size()) {
            std::vector<Slot> larger(std::max<size_t>(64, m_table.size() * 2));
            m_mask = larger.size() - 1;
            for (const Slot &slot : m_table) {
                if (slot.block < 0)
                    continue;
                size_t i = slot.key & m_mask;
                while (larger[i].block >= 0)
                    i = (i + 1) & m_mask;
                larger[i] = slot;
            }
            m_table.swap(larger);
        }
        const quint64 k = key(length, tailHash(position));
        size_t i = k & m_mask;
        while (m_table[i].block >= 0)
            i = (i + 1) & m_mask;
        m_table[i] = {k, int(m_blocks.size())};
        m_blocks.push_back({m_arena.size(), length, round, -1});
        m_arena.append(QStringView(m_out).sliced(position));
        m_lengths.insert(length);
    }

    void close()
    {
        int bestRound = NoRound;
        qsizetype best = -1;
        int firstBlock = -1;
        const auto consider = [&](size_t index, int formed) {
            const int block = findBlock(m_pending[index]);
            if (index == 0)
                firstBlock = block;
            const int round = block < 0 ? NoRound : roundFrom(block, formed);
            if (round < bestRound) {
                bestRound = round;
                best = m_pending[index];
            }
        };
        // Only a length some removed block has can match: whichever list is shorter, the
        // pending opens or those lengths, is walked, so that opens piling up before many
        // copies cost no more than the lengths seen.
        if (m_pending.size() <= size_t(m_lengths.size())) {
            int formed = 0;
            for (size_t index = m_pending.size(); index-- > 0;) {
                formed = std::max(formed, m_joinedSince[index]);
                consider(index, formed);
            }
        } else {
            const qsizetype n = m_out.size();
            for (const qsizetype length : std::as_const(m_lengths)) {
                const auto it = std::lower_bound(m_pending.begin(), m_pending.end(), n - length);
                if (it == m_pending.end() || *it != n - length)
                    continue;
                const size_t index = size_t(it - m_pending.begin());
                consider(index, m_tree.maxFrom(index, m_pending.size()));
            }
        }

        if (best < 0) {
            if (firstBlock < 0)
                firstBlock = findBlock(m_pending.front());
            // A new round: the first pending open to this close.
            bestRound = m_rounds++;
            best = m_pending.front();
            if (firstBlock < 0) {
                remember(best, bestRound);
            } else {
                Block &block = m_blocks[size_t(firstBlock)];
                if (block.laterRounds < 0) {
                    block.laterRounds = int(m_laterRounds.size());
                    m_laterRounds.emplace_back();
                }
                m_laterRounds[size_t(block.laterRounds)].push_back(bestRound);
            }
        }
        remove(best, bestRound);
    }

    // Drops the output from position on, removed in the given round: the text on either side
    // stands together from the next round on.
    void remove(qsizetype position, int round)
    {
        int joined = round + 1;
        while (!m_joins.empty() && m_joins.back().first >= position) {
            if (m_joins.back().first == position)
                joined = std::max(joined, m_joins.back().second);
            m_joins.pop_back();
        }
        m_out.truncate(position);
        while (!m_pending.empty() && m_pending.back() >= position) {
            m_pending.pop_back();
            m_joinedSince.pop_back();
        }
        if (m_pending.empty()) {
            // Only a join among the last characters can still lie inside a later open.
            const auto kept = std::lower_bound(m_joins.begin(), m_joins.end(),
                                               std::pair<qsizetype, int>(position - 2, 0));
            m_joins.erase(m_joins.begin(), kept);
        } else {
            m_prefix.resize(size_t(position - m_pending.front()) + 1);
            int &since = m_joinedSince.back();
            since = std::max(since, joined);
            m_tree.set(m_pending.size() - 1, since);
        }
        m_joins.emplace_back(position, joined);
    }

    // Maximum over a stack of values, any suffix of it asked for in logarithmic time.
    class MaxTree final
    {
    public:
        void set(size_t index, int value)
        {
            if (index >= m_leaves) {
                std::vector<int> larger(std::max<size_t>(64, m_leaves * 4), 0);
                std::copy(m_nodes.begin() + qsizetype(m_leaves), m_nodes.end(),
                          larger.begin() + qsizetype(larger.size() / 2));
                m_leaves = larger.size() / 2;
                m_nodes.swap(larger);
                for (size_t i = m_leaves - 1; i > 0; --i)
                    m_nodes[i] = std::max(m_nodes[2 * i], m_nodes[2 * i + 1]);
            }
            size_t i = index + m_leaves;
            m_nodes[i] = value;
            for (i /= 2; i > 0; i /= 2)
                m_nodes[i] = std::max(m_nodes[2 * i], m_nodes[2 * i + 1]);
        }
        int maxFrom(size_t from, size_t to) const
        {
            int result = 0;
            for (size_t l = from + m_leaves, r = to + m_leaves; l < r; l /= 2, r /= 2) {
                if (l & 1)
                    result = std::max(result, m_nodes[l++]);
                if (r & 1)
                    result = std::max(result, m_nodes[--r]);
            }
            return result;
        }

    private:
        std::vector<int> m_nodes;
        size_t m_leaves = 0;
    };

    QString m_out;
    std::vector<quint64> m_prefix; // hash of each prefix of the output from the first open
    std::vector<quint64> m_power;
    std::vector<qsizetype> m_pending; // the opens not yet closed, in order
    // For each pending open, the latest round after which the text from it up to the next
    // pending open (or the end) stood joined; the same values in a tree for the long walk.
    std::vector<int> m_joinedSince;
    MaxTree m_tree;
    // Where the output joined after a removal, and from which round on, in order.
    std::vector<std::pair<qsizetype, int>> m_joins;
    struct Slot
    {
        quint64 key = 0;
        int block = -1; // -1: empty
    };
    QString m_arena; // the removed blocks end to end
    std::vector<Block> m_blocks;
    std::vector<std::vector<int>> m_laterRounds;
    std::vector<Slot> m_table;
    size_t m_mask = 0;
    QSet<qsizetype> m_lengths;
    int m_rounds = 0;
};

} // namespace

Cls_XML::Cls_XML()
    : m_topTagName(QStringLiteral("myItem"))
    , m_savePath(programFolder())
{
}

Cls_XML::~Cls_XML() = default;

void Cls_XML::TopTagName_Prop(const QString &value)
{
    m_topTagName = value;
}

void Cls_XML::SaveFilePath_Prop(const QString &value)
{
    m_savePath = value;
}

QString Cls_XML::SaveFilePath_Prop() const
{
    return m_savePath;
}

void Cls_XML::IndentLevel_Prop(int value)
{
    m_indentLevel = value;
    m_isTopLevel = value == 0;
}

int Cls_XML::IndentLevel_Prop() const
{
    return m_indentLevel;
}

void Cls_XML::FileData(const QString &value)
{
    m_fileData = value;
}

QString Cls_XML::FileData() const
{
    return m_fileData;
}

void Cls_XML::MsgDisplayFlg_Prop(bool value)
{
    m_msgDisplay = value;
}

bool Cls_XML::MsgDisplayFlg_Prop() const
{
    return m_msgDisplay;
}

bool Cls_XML::InitItem_bln()
{
    m_items.clear();
    return true;
}

bool Cls_XML::AddItem_bln(const QString &strA_Key, const QString &strA_Data)
{
    if (!keyAccepted(strA_Key))
        return false;
    m_items.append({strA_Key, element(strA_Key, strA_Data)});
    return true;
}

bool Cls_XML::SetItem_bln(const QString &strA_Key, const QString &strA_Data)
{
    for (auto &item : m_items) {
        if (item.first == strA_Key) {
            item.second = element(strA_Key, strA_Data);
            return true;
        }
    }
    // The result stays True even when the key was refused: callers only ever set.
    AddItem_bln(strA_Key, strA_Data);
    return true;
}

QString Cls_XML::GetItem_str(const QString &strA_Key) const
{
    for (const auto &item : m_items) {
        if (item.first == strA_Key)
            return item.second;
    }
    return {};
}

QString Cls_XML::GetItemAll_str(const QString &strA_Indent) const
{
    QString result;
    for (const auto &item : m_items)
        result += strA_Indent + item.second + CrLf;
    return result;
}

bool Cls_XML::SaveFile_bln(const QString &strA_FileName)
{
    m_lastError = VbError{};
    m_unencodable = Cp932Unencodable{};
    if (strA_FileName.isEmpty()) {
        if (m_msgDisplay)
            FncInt_MessageBox(MsgBox::Exclamation, QStringLiteral("ファイル名が設定されてません。"),
                              QStringLiteral("設定ミス"));
        return false;
    }
    VbError error;
    if (!TextFile::write(FullPath(strA_FileName), GetFileItemAll_str(), &error, &m_unencodable)) {
        error.source = QStringLiteral("Cls_XML.SaveFile_bln");
        reportError(error);
        return false;
    }
    return true;
}

QString Cls_XML::GetFileItemAll_str() const
{
    const QString body = GetItemAll_str(tabs(qint64(m_indentLevel) + 1));
    if (m_isTopLevel) {
        return QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>") + CrLf + u'<' +
               m_topTagName + u'>' + CrLf + body + CrLf + QStringLiteral("</") + m_topTagName +
               u'>';
    }
    return CrLf + body + tabs(m_indentLevel);
}

bool Cls_XML::OnlyReadFile_bln(const QString &strA_FileName)
{
    m_lastError = VbError{};
    VbError error;
    const std::optional<QString> text = TextFile::read(FullPath(strA_FileName), &error);
    if (!text) {
        error.source = QStringLiteral("Cls_XML.OnlyReadFile_bln");
        reportError(error);
        return false;
    }
    m_fileData = *text;
    return true;
}

bool Cls_XML::ReadFile_bln(const QString &strA_FileName, bool isSaveData)
{
    Q_UNUSED(isSaveData)
    m_lastError = VbError{};
    VbError error;
    const std::optional<QString> text = TextFile::read(FullPath(strA_FileName), &error);
    if (!text) {
        error.source = QStringLiteral("Cls_XML.ReadFile_bln");
        reportError(error);
        return false;
    }
    return SetFileItem(*text, QString());
}

bool Cls_XML::SetFileItem(const QString &strA_FileData, const QString &strA_Key)
{
    // Narrowing comes first: a tag written inside an earlier comment is found first.
    const QString narrowed =
        strA_Key.isEmpty() ? strA_FileData : ExtractTag(strA_FileData, strA_Key);
    // Only a text holding "<!--" has comments to remove; most item and frame texts have none.
    const bool mayHoldComment = IndexOf(narrowed, u'!') >= 0;
    setFileItemText(mayHoldComment ? RemoveComments(narrowed) : narrowed);
    return true;
}

QString Cls_XML::Gets(const QString &strA_Key) const
{
    return GetFileItem_str(strA_Key);
}

QString Cls_XML::GetFileItem_str(const QString &strA_Key) const
{
    // A few lookups (a frame's title and fonts) search the text; the index pays off once
    // a text is probed more often (a frame's hundred items, a section's 99 frames).
    if (m_fileItem.size() < kMinIndexedText || !indexable(strA_Key) ||
        (!m_index && ++m_searches <= kSearchesBeforeIndex))
        return ExtractTag(m_fileItem, strA_Key);
    const auto open = index().firstOpen.constFind(QStringView(strA_Key));
    if (open == index().firstOpen.cend())
        return {};
    return contentFrom(m_fileItem, *open - 1, strA_Key).toString();
}

void Cls_XML::setFileItemText(const QString &text)
{
    m_fileItem = text;
    m_index.reset();
    m_searches = 0;
}

const Cls_XML::TagIndex &Cls_XML::index() const
{
    if (m_index)
        return *m_index;
    m_index = std::make_unique<TagIndex>();
    const QStringView text(m_fileItem);
    m_index->firstOpen.reserve(64);
    qsizetype close = -1; // the first ">" after the current "<"
    for (qsizetype at = nextOf(text, 0, u'<'); at >= 0; at = nextOf(text, at + 1, u'<')) {
        if (close <= at)
            close = nextOf(text, at + 1, u'>');
        if (close < 0)
            break;
        // Close tags are found from their open tag: the content lies between the two.
        if (text[at + 1] == u'/')
            continue;
        const QStringView name = text.sliced(at + 1, close - at - 1);
        if (!indexable(name))
            continue;
        // Kept one past the position, so that 0 means "not seen yet".
        qsizetype &first = m_index->firstOpen[name];
        if (first == 0)
            first = at + 1;
    }
    return *m_index;
}

QString Cls_XML::GetFileItemAll() const
{
    return m_fileItem;
}

QString Cls_XML::GetFileItemDefault_str(const QString &strA_Key,
                                        const QString &strA_DefaultValue) const
{
    const QString value = GetFileItem_str(strA_Key);
    return value.isEmpty() ? strA_DefaultValue : value;
}

int Cls_XML::GetFileItem_lng(const QString &strA_Key) const
{
    const std::optional<int> value = ToInteger(GetFileItem_str(strA_Key));
    // A value that is no number is a run-time error like any other: shown only on request.
    if (!value && m_msgDisplay)
        Sub_ShowError({VbErrorNo::TypeMismatch, QStringLiteral("Type mismatch"),
                       QStringLiteral("Cls_XML.GetFileItem_lng")});
    return value.value_or(0);
}

bool Cls_XML::GetFileItem_bln(const QString &strA_Key) const
{
    return GetFileItem_str(strA_Key).toLower() == QStringLiteral("true");
}

QString Cls_XML::ExtractTag(const QString &strA_Base, const QString &strA_TagBase)
{
    return TagContent(strA_Base, strA_TagBase).toString();
}

QStringView Cls_XML::TagContent(QStringView base, QStringView tag)
{
    const qsizetype openAt = findTag(base, 0, tag, false);
    if (openAt < 0)
        return {};
    return contentFrom(base, openAt, tag);
}

int Cls_XML::NumberedNameAt(QStringView text, qsizetype at, QStringView prefix, int max,
                            qsizetype &nameSize)
{
    const qsizetype size = text.size();
    qsizetype i = at + prefix.size();
    if (i >= size || text[at] != prefix.front() || text[i] < u'1' || text[i] > u'9' ||
        !std::equal(prefix.begin(), prefix.end(), text.begin() + at))
        return 0;
    int number = 0;
    for (; i < size && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        number = number * 10 + (text[i].unicode() - u'0');
        if (number > max)
            return 0;
    }
    if (i >= size || text[i] != u'>')
        return 0;
    nameSize = i - at;
    return number;
}

bool Cls_XML::InitElement_bln()
{
    if (m_indentLevel == INT_MAX)
        return false;
    Element = std::make_unique<Cls_XML>();
    Element->InitItem_bln();
    Element->IndentLevel_Prop(m_indentLevel + 1);
    return true;
}

bool Cls_XML::SetElement_bln(const QString &strA_Name, const QString &strA_Item)
{
    if (!InitElement_bln())
        return false;
    if (!Element->SetFileItem(strA_Item, QString()))
        return false;
    m_elementSet = true;
    m_elementName = strA_Name;
    return true;
}

QString Cls_XML::RemoveComments(const QString &text)
{
    if (!text.contains(QLatin1String("<!--")))
        return text;
    CommentRemover remover(text.size());
    remover.feed(text);
    return remover.take();
}

std::optional<int> Cls_XML::ToInteger(const QString &text)
{
    const auto isBlank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
    };
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == end)
        return std::nullopt;
    qint64 value = 0;
    for (; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return int(value);
}

QString Cls_XML::FullPath(const QString &strA_FileName) const
{
    return TextFile::joinPath(m_savePath, strA_FileName);
}

bool Cls_XML::keyAccepted(const QString &key) const
{
    if (key.isEmpty()) {
        FncInt_MessageBox(MsgBox::Exclamation, QStringLiteral("Key項目を設定してください。"),
                          QStringLiteral("設定値無し"));
        return false;
    }
    for (const auto &item : m_items) {
        if (item.first == key) {
            const QString prompt = QStringLiteral("次のKeyは既に使用されています。") + CrLf +
                                   QStringLiteral("違う項目名を設定してください。") + CrLf +
                                   QString(36, u'-') + CrLf + QStringLiteral("『") + key +
                                   QStringLiteral("』");
            FncInt_MessageBox(MsgBox::Exclamation, prompt, QStringLiteral("重複Key発見"));
            return false;
        }
    }
    return true;
}

void Cls_XML::reportError(const VbError &error)
{
    m_lastError = error;
    if (m_msgDisplay)
        Sub_ShowError(error);
}
