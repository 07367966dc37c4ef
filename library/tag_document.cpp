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
// "<!--" to the first "-->" after it, then every copy of that block, and again. The output
// works as a stack, so the text around a removed block joins and may form a new "<!--" or
// "-->" as it does between rounds. A copy of a block removed earlier goes where the rounds
// would have dropped it first, even inside another comment: at a close, every open still
// pending (the first one and those inside it) starts a candidate ending there, and the
// candidate that equals the earliest removed block goes first. Candidates are compared by a
// rolling hash of the output, then character by character.
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

    void appendPlain(QStringView run)
    {
        m_out.append(run);
        if (m_open < 0)
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
        if (m_open >= 0)
            m_prefix.push_back(addMod(mulMod(m_prefix.back(), Base), c + 1u));
        if (c == u'-' && n >= 4 && out[n - 4] == u'<' && out[n - 3] == u'!' && out[n - 2] == u'-') {
            if (m_open >= 0) {
                m_inner.push_back(n - 4);
                return;
            }
            // Hashes are kept from the first open on: text outside comments needs none.
            m_open = n - 4;
            m_prefix.assign(1, 0);
            for (qsizetype k = m_open; k < n; ++k)
                m_prefix.push_back(addMod(mulMod(m_prefix.back(), Base), out[k].unicode() + 1u));
        } else if (c == u'>' && m_open >= 0 && n - 3 >= m_open + 1 && out[n - 3] == u'-' &&
                   out[n - 2] == u'-') {
            close();
        }
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
        const size_t from = size_t(position - m_open);
        const size_t to = size_t(m_out.size() - m_open);
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

    QStringView block(int round) const
    {
        const auto [offset, length] = m_blocks[size_t(round)];
        return QStringView(m_arena).sliced(offset, length);
    }

    // The round in which the block from position to the end of the output was removed.
    std::optional<int> removedRound(qsizetype position)
    {
        const qsizetype length = m_out.size() - position;
        if (!m_lengths.contains(length))
            return std::nullopt;
        const QStringView candidate = QStringView(m_out).sliced(position);
        const quint64 wanted = key(length, tailHash(position));
        for (size_t i = wanted & m_mask; m_table[i].round >= 0; i = (i + 1) & m_mask) {
            if (m_table[i].key == wanted && block(m_table[i].round) == candidate)
                return m_table[i].round;
        }
        return std::nullopt;
    }

    // Blocks are kept end to end in one string and found through an open-addressing
    // table: a file with many comments makes no allocation per comment.
    void remember(qsizetype position)
    {
        const qsizetype length = m_out.size() - position;
        if ((m_blocks.size() + 1) * 2 > m_table.size()) {
            std::vector<Slot> larger(std::max<size_t>(64, m_table.size() * 2));
            m_mask = larger.size() - 1;
            for (const Slot &slot : m_table) {
                if (slot.round < 0)
                    continue;
                size_t i = slot.key & m_mask;
                while (larger[i].round >= 0)
                    i = (i + 1) & m_mask;
                larger[i] = slot;
            }
            m_table.swap(larger);
        }
        const quint64 k = key(length, tailHash(position));
        size_t i = k & m_mask;
        while (m_table[i].round >= 0)
            i = (i + 1) & m_mask;
        m_table[i] = {k, int(m_blocks.size())};
        m_blocks.emplace_back(m_arena.size(), length);
        m_arena.append(QStringView(m_out).sliced(position));
        m_lengths.insert(length);
    }

    void truncate(qsizetype size)
    {
        m_out.truncate(size);
        m_prefix.resize(size_t(size - m_open) + 1);
    }

    void close()
    {
        qsizetype first = -1;
        int firstRound = INT_MAX;
        const auto consider = [&](qsizetype position) {
            const std::optional<int> round = removedRound(position);
            if (round && *round < firstRound) {
                firstRound = *round;
                first = position;
            }
        };
        // Only a length some removed block has can match: whichever list is shorter, the
        // pending opens or those lengths, is walked, so that opens piling up before many
        // copies cost no more than the lengths seen.
        if (m_inner.size() < size_t(m_lengths.size())) {
            consider(m_open);
            for (const qsizetype position : m_inner)
                consider(position);
        } else {
            const qsizetype n = m_out.size();
            for (const qsizetype length : std::as_const(m_lengths)) {
                const qsizetype position = n - length;
                if (position == m_open ||
                    (position > m_open &&
                     std::binary_search(m_inner.begin(), m_inner.end(), position)))
                    consider(position);
            }
        }

        if (first < 0) {
            remember(m_open);
            first = m_open;
        }
        truncate(first);
        while (!m_inner.empty() && m_inner.back() >= first)
            m_inner.pop_back();
        if (first == m_open)
            m_open = -1;
    }

    QString m_out;
    std::vector<quint64> m_prefix; // hash of each prefix of the output from the first open
    std::vector<quint64> m_power;
    qsizetype m_open = -1;          // the first "<!--" not yet closed
    std::vector<qsizetype> m_inner; // the opens after it, in order
    struct Slot
    {
        quint64 key = 0;
        int round = -1; // -1: empty
    };
    QString m_arena;                                       // the removed blocks end to end
    std::vector<std::pair<qsizetype, qsizetype>> m_blocks; // each round's block in the arena
    std::vector<Slot> m_table;
    size_t m_mask = 0;
    QSet<qsizetype> m_lengths;
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
    const qsizetype openAt = findTag(strA_Base, 0, strA_TagBase, false);
    if (openAt < 0)
        return {};
    return contentFrom(strA_Base, openAt, strA_TagBase).toString();
}

int Cls_XML::NumberedNameAt(QStringView text, qsizetype at, QStringView prefix, int max,
                            qsizetype &nameSize)
{
    const qsizetype size = text.size();
    qsizetype i = at + prefix.size();
    if (i >= size || text[at] != prefix.front() || text[i] < u'1' || text[i] > u'9' ||
        text.sliced(at, prefix.size()) != prefix)
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
