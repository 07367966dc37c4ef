#include "TextCommands.h"

#include "LabelClick.h"
#include "LiveTestBench.h"
#include "regexp_presets.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

using namespace Qt::StringLiterals;

TextCommands::TextCommands(QObject *parent)
    : QObject(parent)
{
}

TextCommands::~TextCommands() = default;

QLabel *TextCommands::createLabel(Command command, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(caption(command), parent);
    QString fieldName = field->objectName();
    if (fieldName.startsWith(u"Txt_"_s)) {
        fieldName.remove(0, 4);
    }
    label->setObjectName(u"Lbl_%1_%2"_s.arg(caption(command), fieldName));
    bind(command, label, field);
    return label;
}

void TextCommands::bind(Command command, QWidget *label, QWidget *field)
{
    LabelClick::onClick(label, [this, command, field] { run(command, field); });
}

QLabel *TextCommands::createDefaultClipboardLabel(QWidget *dataField, QWidget *parent)
{
    auto *label = new QLabel(u"default clipboard"_s, parent);
    label->setObjectName(u"Lbl_DefaultClipboard"_s);
    LabelClick::onClick(label, [this, dataField] { appendMarker(dataField); });
    return label;
}

void TextCommands::run(Command command, QWidget *field)
{
    switch (command) {
    case Command::Clear:
        setFieldText(field, QString());
        break;
    case Command::Copy: {
        // Emptied first: copying an empty field leaves an empty clipboard.
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        const QString text = fieldText(field);
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
    emit statusMessage(status(command));
}

void TextCommands::appendMarker(QWidget *dataField)
{
    if (auto *plain = qobject_cast<QPlainTextEdit *>(dataField)) {
        // Appended at the end without moving the user's caret or selection.
        QTextCursor end(plain->document());
        end.movePosition(QTextCursor::End);
        end.insertText(RegExpPresets::ClipboardMarker);
    } else {
        setFieldText(dataField, fieldText(dataField) + RegExpPresets::ClipboardMarker);
    }
}

QString TextCommands::caption(Command command)
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

QString TextCommands::status(Command command)
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

QString TextCommands::fieldText(const QWidget *field)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(field)) {
        return line->text();
    }
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(field)) {
        return LiveTestBench::boxText(plain);
    }
    if (const auto *rich = qobject_cast<const QTextEdit *>(field)) {
        QString text = rich->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
        return text;
    }
    return {};
}

void TextCommands::setFieldText(QWidget *field, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        line->setText(text);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(field)) {
        plain->setPlainText(text);
    } else if (auto *rich = qobject_cast<QTextEdit *>(field)) {
        rich->setPlainText(text);
    }
}
