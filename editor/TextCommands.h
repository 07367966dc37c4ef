// TextCommands: the Clear, Copy and Select labels beside the item page's text fields and
// the test area's boxes, and the "default clipboard" label that appends the clipboard marker.
// Fields may be line edits or multi-line boxes; multi-line text is taken with CR LF line ends.
#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

class TextCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextCommands)

public:
    enum class Command
    {
        Clear,
        Copy,
        Select,
    };

    explicit TextCommands(QObject *parent = nullptr);
    ~TextCommands() override;

    // A label "Clear", "Copy" or "Select" named Lbl_<command>_<field> ("Data" for Txt_Data),
    // bound to the field.
    QLabel *createLabel(Command command, QWidget *field, QWidget *parent);
    // Binds an existing label.
    void bind(Command command, QWidget *label, QWidget *field);
    // The "default clipboard" label (Lbl_DefaultClipboard) for Txt_Data.
    QLabel *createDefaultClipboardLabel(QWidget *dataField, QWidget *parent);

    void run(Command command, QWidget *field);
    void appendMarker(QWidget *dataField);

    static QString caption(Command command);
    static QString status(Command command);
    static QString fieldText(const QWidget *field);
    static void setFieldText(QWidget *field, const QString &text);

signals:
    void statusMessage(const QString &text);
};
