#include "Cls_TextCommands.h"

#include "Cls_LabelClick.h"
#include "Cls_LiveTestBench.h"
#include "regexp_presets.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

using namespace Qt::StringLiterals;

Cls_TextCommands::Cls_TextCommands(QObject *parent)
    : QObject(parent)
{
}

Cls_TextCommands::~Cls_TextCommands() = default;

QLabel *Cls_TextCommands::FncLbl_Create(Command command, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(FncStr_Caption(command), parent);
    QString fieldName = field->objectName();
    if (fieldName.startsWith(u"Txt_"_s)) {
        fieldName.remove(0, 4);
    }
    label->setObjectName(u"Lbl_%1_%2"_s.arg(FncStr_Caption(command), fieldName));
    Sub_Bind(command, label, field);
    return label;
}

void Cls_TextCommands::Sub_Bind(Command command, QWidget *label, QWidget *field)
{
    Cls_LabelClick::Sub_OnClick(label, [this, command, field] { Sub_Run(command, field); });
}

QLabel *Cls_TextCommands::FncLbl_CreateDefaultClipboard(QWidget *dataField, QWidget *parent)
{
    auto *label = new QLabel(u"default clipboard"_s, parent);
    label->setObjectName(u"Lbl_DefaultClipboard"_s);
    Cls_LabelClick::Sub_OnClick(label, [this, dataField] { Sub_AppendMarker(dataField); });
    return label;
}

void Cls_TextCommands::Sub_Run(Command command, QWidget *field)
{
    switch (command) {
    case Command::Clear:
        Sub_SetText(field, QString());
        break;
    case Command::Copy: {
        // Emptied first: copying an empty field leaves an empty clipboard.
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        const QString text = FncStr_Text(field);
        if (!text.isEmpty()) {
            clipboard->setText(text);
        }
        break;
    }
    case Command::Select:
        if (auto *line = qobject_cast<QLineEdit *>(field)) {
            line->setSelection(0, int(line->text().size()));
        } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
            plain->selectAll();
        } else if (auto *rich = qobject_cast<QTextEdit *>(field)) {
            rich->selectAll();
        }
        break;
    }
    emit statusMessage(FncStr_Status(command));
}

void Cls_TextCommands::Sub_AppendMarker(QWidget *dataField)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(dataField)) {
        // Appended at the end without moving the user's caret or selection.
        QTextCursor end(plain->document());
        end.movePosition(QTextCursor::End);
        end.insertText(RegExpPresets::ClipboardMarker);
    } else {
        Sub_SetText(dataField, FncStr_Text(dataField) + RegExpPresets::ClipboardMarker);
    }
}

QString Cls_TextCommands::FncStr_Caption(Command command)
{
    switch (command) {
    case Command::Clear:
        return u"Clear"_s;
    case Command::Copy:
        return u"Copy"_s;
    case Command::Select:
        return u"Select"_s;
    }
    return {};
}

QString Cls_TextCommands::FncStr_Status(Command command)
{
    switch (command) {
    case Command::Clear:
        return RegExpPresets::clearStatus();
    case Command::Copy:
        return RegExpPresets::copyStatus();
    case Command::Select:
        return RegExpPresets::selectStatus();
    }
    return {};
}

QString Cls_TextCommands::FncStr_Text(const QWidget *field)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(field)) {
        return line->text();
    }
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(field)) {
        return Cls_LiveTestBench::FncStr_BoxText(plain);
    }
    if (const auto *rich = qobject_cast<const QTextEdit *>(field)) {
        QString text = rich->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
        return text;
    }
    return {};
}

void Cls_TextCommands::Sub_SetText(QWidget *field, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->setText(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->setPlainText(text);
    } else if (auto *rich = qobject_cast<QTextEdit *>(field)) {
        rich->setPlainText(text);
    }
}
