#include "Cls_InputLimitation.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct Number
{
    bool negative = false;
    QString whole;    // digits before the point
    QString fraction; // digits after it
};

// A plain decimal number with an optional sign; group separators are removed first, as the
// formats read "1,200" as 1200. Anything else is not a number and is kept as typed.
std::optional<Number> parseNumber(const QString &text)
{
    QString s = text.trimmed();
    s.remove(u',');
    Number n;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        n.negative = s[i] == u'-';
        ++i;
    }
    bool point = false;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            (point ? n.fraction : n.whole).append(c);
        } else {
            return std::nullopt;
        }
    }
    if (n.whole.isEmpty() && n.fraction.isEmpty()) {
        return std::nullopt;
    }
    return n;
}

// Digit strings keep any length exactly; converting to a double would round long values.
QString formatNumber(Number n, int minFraction, int maxFraction, bool grouping)
{
    if (n.fraction.size() > maxFraction) {
        const bool roundUp = n.fraction[maxFraction] >= u'5';
        n.fraction.truncate(maxFraction);
        if (roundUp) {
            QString digits = n.whole + n.fraction;
            qsizetype k = digits.size() - 1;
            while (k >= 0 && digits[k] == u'9') {
                digits[k] = u'0';
                --k;
            }
            if (k < 0) {
                digits.prepend(u'1');
            } else {
                digits[k] = QChar(digits[k].unicode() + 1);
            }
            n.whole = digits.left(digits.size() - maxFraction);
            n.fraction = digits.right(maxFraction);
        }
    }
    qsizetype lead = 0;
    while (lead < n.whole.size() - 1 && n.whole[lead] == u'0') {
        ++lead;
    }
    QString whole = n.whole.mid(lead);
    if (whole.isEmpty()) {
        whole = u"0"_s;
    }
    while (n.fraction.size() > minFraction && n.fraction.endsWith(u'0')) {
        n.fraction.chop(1);
    }
    while (n.fraction.size() < minFraction) {
        n.fraction.append(u'0');
    }
    if (grouping) {
        for (qsizetype k = whole.size() - 3; k > 0; k -= 3) {
            whole.insert(k, u',');
        }
    }
    const auto isZero = [](QChar c) { return c == u'0' || c == u','; };
    const bool zero = std::all_of(whole.cbegin(), whole.cend(), isZero) &&
                      std::all_of(n.fraction.cbegin(), n.fraction.cend(), isZero);
    QString out = (n.negative && !zero) ? u"-"_s + whole : whole;
    if (!n.fraction.isEmpty()) {
        out += u'.' + n.fraction;
    }
    return out;
}

QString formatOrKeep(const QString &text, int minFraction, int maxFraction, bool grouping)
{
    const auto n = parseNumber(text);
    return n ? formatNumber(*n, minFraction, maxFraction, grouping) : text;
}

QString withoutDateSeparators(QString text, bool yearMonthDay)
{
    text.remove(u'/');
    if (yearMonthDay) {
        text.remove(u'年');
        text.remove(u'月');
        text.remove(u'日');
    }
    return text;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

Cls_InputLimitation::Cls_InputLimitation(QObject *parent)
    : QObject(parent)
{
}

Cls_InputLimitation::~Cls_InputLimitation()
{
    unbind();
    for (auto it = m_watched.cbegin(); it != m_watched.cend(); ++it) {
        it.key()->removeEventFilter(this);
    }
}

void Cls_InputLimitation::SetTextBox_Numeric(QLineEdit *box)
{
    m_minus = false;
    bind(box, Mode::Numeric);
}

void Cls_InputLimitation::SetTextBox_Numeric_Minus(QLineEdit *box)
{
    m_minus = true;
    bind(box, Mode::Numeric);
}

void Cls_InputLimitation::SetTextBox_NumericDecimal(QLineEdit *box)
{
    bind(box, Mode::Decimal);
}

void Cls_InputLimitation::SetTextBox_Date(QLineEdit *box, bool yearMonthDay)
{
    m_yearMonthDay = yearMonthDay;
    bind(box, Mode::Date);
}

void Cls_InputLimitation::SetDateFormatControl(bool clearBadDate)
{
    m_clearBadDate = clearBadDate;
}

void Cls_InputLimitation::SetTextBox_Time(QLineEdit *box)
{
    bind(box, Mode::Time);
}

void Cls_InputLimitation::SetTextBox_TelNo(QLineEdit *box)
{
    bind(box, Mode::Digits);
}

void Cls_InputLimitation::SetTextBox_Zipcode(QLineEdit *box)
{
    bind(box, Mode::Digits);
}

void Cls_InputLimitation::Set_Edit(QLineEdit *box)
{
    if (!box) {
        return;
    }
    const QString text = box->text();
    const QString accepted = box->property(AcceptedTextProperty).toString();
    if (text == accepted) {
        return;
    }
    const qsizetype refused = firstRefused(text, m_mode, m_format, m_minus, m_yearMonthDay);
    if (refused < 0) {
        box->setProperty(AcceptedTextProperty, text);
        return;
    }
    box->setText(accepted);
    box->setCursorPosition(int(qMin(refused, accepted.size())));
}

void Cls_InputLimitation::Set_FormatCheck(QLineEdit *box)
{
    m_minus = false;
    bind(box, m_mode);
    formatForEditing();
}

void Cls_InputLimitation::Sub_InputLimitation()
{
    formatOnLeaving();
}

void Cls_InputLimitation::watch(QLineEdit *box, Mode mode, bool allowMinus)
{
    if (!box) {
        return;
    }
    if (!m_watched.contains(box)) {
        box->installEventFilter(this);
        connect(box, &QObject::destroyed, this, [this, box] { m_watched.remove(box); });
    }
    m_watched.insert(box, {mode, allowMinus});
}

void Cls_InputLimitation::unwatch(QLineEdit *box)
{
    if (m_watched.remove(box) && box != m_box) {
        box->removeEventFilter(this);
    }
}

int Cls_InputLimitation::watchEditorFields(const QWidget *root)
{
    static const QStringList digits = {
        u"Txt_FontSize"_s,     u"Txt_ItemHeight"_s, u"Txt_ItemWidth"_s, u"Txt_MarginTop"_s,
        u"Txt_MarginBottom"_s, u"Txt_LineCount"_s,  u"Txt_Cols"_s,      u"Txt_Rows"_s};
    static const QStringList signedDigits = {u"Txt_PositioningLeft"_s, u"Txt_PositioningTop"_s};
    int found = 0;
    for (const QStringList *names : {&digits, &signedDigits}) {
        for (const QString &name : *names) {
            if (auto *box = root->findChild<QLineEdit *>(name)) {
                watch(box, Mode::Numeric, names == &signedDigits);
                ++found;
            }
        }
    }
    return found;
}

bool Cls_InputLimitation::isAccepted(QChar c, Mode mode, bool format, bool minus, bool yearMonthDay)
{
    switch (mode) {
    case Mode::Numeric:
        return isDigit(c) || (format && c == u',') || (minus && c == u'-');
    case Mode::Decimal:
        return isDigit(c) || c == u'.' || (format && c == u',');
    case Mode::Date:
        if (isDigit(c)) {
            return true;
        }
        if (!format) {
            return false;
        }
        return yearMonthDay ? (c == u'年' || c == u'月' || c == u'日') : c == u'/';
    case Mode::Digits:
        return isDigit(c) || c == u'-';
    case Mode::Time:
    case Mode::None:
        return true;
    }
    return true;
}

qsizetype Cls_InputLimitation::firstRefused(const QString &text, Mode mode, bool format, bool minus,
                                            bool yearMonthDay)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isAccepted(text[i], mode, format, minus, yearMonthDay)) {
            return i;
        }
    }
    return -1;
}

QString Cls_InputLimitation::leaveFormat(const QString &text, Mode mode, bool yearMonthDay,
                                         bool clearBadDate, bool *wellFormed)
{
    auto malformed = [wellFormed] {
        if (wellFormed) {
            *wellFormed = false;
        }
    };
    switch (mode) {
    case Mode::Numeric:
        return formatOrKeep(text, 0, 0, false);
    case Mode::Decimal:
        return formatOrKeep(text, 1, 6, true);
    case Mode::Date: {
        // Both separator styles are removed so that leaving a formatted date twice keeps it.
        const QString digits = withoutDateSeparators(text, yearMonthDay);
        const QString y = yearMonthDay ? u"年"_s : u"/"_s;
        const QString m = yearMonthDay ? u"月"_s : u"/"_s;
        if (digits.size() == 8) {
            return digits.left(4) + y + digits.mid(4, 2) + m + digits.mid(6, 2) +
                   (yearMonthDay ? u"日"_s : QString());
        }
        if (digits.size() == 6) {
            return digits.left(4) + y + digits.mid(4, 2) + (yearMonthDay ? u"月"_s : QString());
        }
        malformed();
        return clearBadDate ? QString() : text;
    }
    case Mode::Time: {
        QString digits = text;
        digits.remove(u':');
        if (digits.size() == 4) {
            return digits.left(2) + u':' + digits.mid(2, 2);
        }
        if (digits.size() == 6) {
            return digits.left(2) + u':' + digits.mid(2, 2) + u':' + digits.mid(4, 2);
        }
        malformed();
        return text;
    }
    case Mode::Digits:
    case Mode::None:
        break;
    }
    return text;
}

QString Cls_InputLimitation::editFormat(const QString &text, Mode mode, bool yearMonthDay)
{
    switch (mode) {
    case Mode::Numeric:
        return formatOrKeep(text, 0, 0, false);
    case Mode::Decimal:
        return formatOrKeep(text, 1, 6, false);
    case Mode::Date:
        return withoutDateSeparators(text, yearMonthDay);
    case Mode::Time: {
        QString digits = text;
        digits.remove(u':');
        return digits;
    }
    case Mode::Digits:
    case Mode::None:
        break;
    }
    return text;
}

bool Cls_InputLimitation::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (!box) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::FocusIn:
        if (const auto it = m_watched.constFind(box); it != m_watched.cend()) {
            if (it->mode == Mode::Numeric) {
                it->minus ? SetTextBox_Numeric_Minus(box) : SetTextBox_Numeric(box);
            } else {
                bind(box, it->mode);
            }
        }
        break;
    case QEvent::FocusOut: {
        // A context menu or another window taking the focus is not leaving the box.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (box == m_box && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason) {
            formatOnLeaving();
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (box == m_box) {
            formatForEditing();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Cls_InputLimitation::bind(QLineEdit *box, Mode mode)
{
    m_mode = mode;
    if (box == m_box) {
        return;
    }
    unbind();
    if (!box) {
        return;
    }
    m_box = box;
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setProperty(AcceptedTextProperty, box->text());
    box->installEventFilter(this);
    m_connections << connect(box, &QLineEdit::textEdited, this, &Cls_InputLimitation::onTextEdited)
                  << connect(box, &QLineEdit::textChanged, this,
                             &Cls_InputLimitation::onTextChanged);
}

void Cls_InputLimitation::unbind()
{
    for (const auto &c : std::as_const(m_connections)) {
        disconnect(c);
    }
    m_connections.clear();
    if (m_box && !m_watched.contains(m_box)) {
        m_box->removeEventFilter(this);
    }
    m_box = nullptr;
}

void Cls_InputLimitation::onTextEdited()
{
    Set_Edit(m_box);
}

void Cls_InputLimitation::onTextChanged(const QString &text)
{
    // Text the program puts into the box (a page being filled, a value formatted) is taken
    // as it is; what the user types is checked on textEdited. A text put back during an edit
    // is followed by the edit's own, now stale, textChanged, which must not be taken.
    if (m_box && !m_box->isModified() && text == m_box->text()) {
        m_box->setProperty(AcceptedTextProperty, text);
    }
}

void Cls_InputLimitation::formatOnLeaving()
{
    m_wellFormed = true;
    if (!m_box || !m_format) {
        return;
    }
    const QString text = m_box->text();
    const QString formatted =
        leaveFormat(text, m_mode, m_yearMonthDay, m_clearBadDate, &m_wellFormed);
    if (formatted != text) {
        m_box->setText(formatted);
    }
}

void Cls_InputLimitation::formatForEditing()
{
    if (!m_box) {
        return;
    }
    if (m_format) {
        const QString text = m_box->text();
        const QString editing = editFormat(text, m_mode, m_yearMonthDay);
        if (editing != text) {
            m_box->setText(editing);
        }
    }
    m_box->setCursorPosition(0);
    m_box->selectAll();
}
