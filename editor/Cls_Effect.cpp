#include "Cls_Effect.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

Cls_Effect::Cls_Effect(QObject *parent)
    : QObject(parent)
{
}

Cls_Effect::~Cls_Effect()
{
    for (QObject *o : std::as_const(m_filtered)) {
        o->removeEventFilter(this);
    }
}

void Cls_Effect::SetDefaultFontSize(int pointSize)
{
    m_defaultSize = pointSize;
}

void Cls_Effect::SetTextBox(QWidget *box)
{
    m_textBox = box;
    if (box) {
        follow(box);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(box)) {
            follow(area->viewport());
            m_textBoxes.insert(area->viewport(), box);
        }
        m_textBoxes.insert(box, box);
        selectAllText(box);
    }
}

void Cls_Effect::SetLabel(QWidget *label)
{
    m_label = label;
    if (label) {
        follow(label);
    }
}

void Cls_Effect::watchLabel(QWidget *label)
{
    if (label) {
        m_labels.insert(label);
        follow(label);
    }
}

void Cls_Effect::watchTextBox(QWidget *box)
{
    if (!box) {
        return;
    }
    m_textBoxes.insert(box, box);
    follow(box);
    // Multi-line boxes get their mouse events through the viewport.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(box)) {
        m_textBoxes.insert(area->viewport(), box);
        follow(area->viewport());
    }
}

void Cls_Effect::watchPress(QWidget *label, int releasePointSize)
{
    if (label) {
        m_pressSizes.insert(label, releasePointSize);
        follow(label);
    }
}

int Cls_Effect::watchEditorLabels(const QWidget *root)
{
    static const QStringList prefixes = {QStringLiteral("Lbl_Clear_"), QStringLiteral("Lbl_Copy_"),
                                         QStringLiteral("Lbl_Select_")};
    static const QStringList names = {QStringLiteral("Lbl_DefaultClipboard"),
                                      QStringLiteral("Lbl_TestFrameOpen"),
                                      QStringLiteral("Lbl_OpenOption")};
    int found = 0;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        const bool clickable =
            names.contains(name) ||
            std::any_of(prefixes.cbegin(), prefixes.cend(),
                        [&name](const QString &p) { return name.startsWith(p); });
        if (clickable) {
            watchLabel(w);
            ++found;
        }
    }
    return found;
}

int Cls_Effect::watchEditorTextBoxes(const QWidget *root)
{
    static const QStringList names = {
        QStringLiteral("Txt_Data"),     QStringLiteral("Txt_Link"),
        QStringLiteral("Txt_Reg"),      QStringLiteral("Txt_Replace"),
        QStringLiteral("Txt_TestBase"), QStringLiteral("Txt_TestAfter")};
    int found = 0;
    for (const QString &name : names) {
        if (QWidget *box = root->findChild<QWidget *>(name)) {
            watchTextBox(box);
            ++found;
        }
    }
    return found;
}

void Cls_Effect::pressFont(QWidget *label)
{
    QFont font = label->font();
    if (font.pointSize() > 1) {
        font.setPointSize(font.pointSize() - 1);
        label->setFont(font);
    }
}

void Cls_Effect::releaseFont(QWidget *label, int pointSize)
{
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
}

bool Cls_Effect::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (m_labels.contains(watched)) {
            SetLabel(static_cast<QWidget *>(watched));
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == m_label || m_pressSizes.contains(watched)) {
            pressFont(static_cast<QWidget *>(watched));
        }
        break;
    case QEvent::MouseButtonRelease:
        if (const auto it = m_pressSizes.constFind(watched); it != m_pressSizes.cend()) {
            releaseFont(static_cast<QWidget *>(watched), *it);
        } else if (watched == m_label) {
            releaseFont(m_label, m_defaultSize);
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (QWidget *box = m_textBoxes.value(watched)) {
            m_textBox = box;
            selectAllText(box);
            // The box's own double click would select one word again.
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Cls_Effect::follow(QWidget *w)
{
    if (m_filtered.contains(w)) {
        return;
    }
    m_filtered.insert(w);
    w->installEventFilter(this);
    connect(w, &QObject::destroyed, this, &Cls_Effect::forget);
}

void Cls_Effect::forget(QObject *w)
{
    m_filtered.remove(w);
    m_labels.remove(w);
    m_pressSizes.remove(w);
    m_textBoxes.remove(w);
}

void Cls_Effect::selectAllText(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        line->setCursorPosition(0);
        line->selectAll();
    } else if (auto *text = qobject_cast<QTextEdit *>(box)) {
        text->selectAll();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(box)) {
        plain->selectAll();
    }
}
