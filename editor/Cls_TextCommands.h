// Cls_TextCommands: the Clear, Copy and Select labels beside the item page's text fields and
// the test area's boxes, and the "default clipboard" label that appends the clipboard marker.
// Fields may be line edits or multi-line boxes; multi-line text is taken with CR LF line ends.
#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QWidget;

class Cls_TextCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_TextCommands)

public:
    enum class Command
    {
        Clear,
        Copy,
        Select,
    };

    explicit Cls_TextCommands(QObject *parent = nullptr);
    ~Cls_TextCommands() override;

    // A label "Clear", "Copy" or "Select" named Lbl_<command>_<field> ("Data" for Txt_Data),
    // bound to the field.
    QLabel *FncLbl_Create(Command command, QWidget *field, QWidget *parent);
    // Binds an existing label.
    void Sub_Bind(Command command, QWidget *label, QWidget *field);
    // The "default clipboard" label (Lbl_DefaultClipboard) for Txt_Data.
    QLabel *FncLbl_CreateDefaultClipboard(QWidget *dataField, QWidget *parent);

    void Sub_Run(Command command, QWidget *field);
    void Sub_AppendMarker(QWidget *dataField);

    static QString FncStr_Caption(Command command);
    static QString FncStr_Status(Command command);
    static QString FncStr_Text(const QWidget *field);
    static void Sub_SetText(QWidget *field, const QString &text);

signals:
    void statusMessage(const QString &text);
};
