// Cls_InputLimitation: keeps what can be typed into one text box at a time to digits,
// decimals, dates, times or telephone numbers, and formats the value when the box is left
// or double-clicked. The form owns one instance and hands it the box that gets the focus.
#pragma once

#include <QHash>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>

class Cls_InputLimitation final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_InputLimitation)

public:
    enum class Mode
    {
        None = 0,
        Numeric = 1,
        Decimal = 2,
        Date = 3,
        Digits = 4, // telephone numbers and postal codes: digits and hyphens
        Time = 5,
    };

    // The dynamic property of a box that holds its last accepted text.
    static constexpr const char *AcceptedTextProperty = "Tag";

    explicit Cls_InputLimitation(QObject *parent = nullptr);
    ~Cls_InputLimitation() override;

    // Binding operations: each makes the box the watched one and sets the mode.
    void SetTextBox_Numeric(QLineEdit *box);
    void SetTextBox_Numeric_Minus(QLineEdit *box);
    void SetTextBox_NumericDecimal(QLineEdit *box);
    void SetTextBox_Date(QLineEdit *box, bool yearMonthDay);
    // Dates of the wrong length are erased on leaving; binds nothing.
    void SetDateFormatControl(bool clearBadDate);
    void SetTextBox_Time(QLineEdit *box);
    void SetTextBox_TelNo(QLineEdit *box);
    void SetTextBox_Zipcode(QLineEdit *box);
    // The change check, run on the given box with the current mode.
    void Set_Edit(QLineEdit *box);
    // Minus off, binds the box as it is, then brings it to its editing form and selects it.
    void Set_FormatCheck(QLineEdit *box);
    // Formats the bound box as leaving it does.
    void Sub_InputLimitation();

    // For the pages: the box is bound with the mode (Numeric with minus when allowMinus)
    // each time it gets the focus, so that a page only lists its fields once.
    void watch(QLineEdit *box, Mode mode, bool allowMinus = false);
    void unwatch(QLineEdit *box);
    // Watches the editor's number fields found under root by name: plain digits for
    // Txt_FontSize, Txt_ItemHeight, Txt_ItemWidth, Txt_MarginTop, Txt_MarginBottom,
    // Txt_LineCount, Txt_Cols and Txt_Rows, a minus sign allowed for Txt_PositioningLeft and
    // Txt_PositioningTop. Returns how many were found.
    int watchEditorFields(const QWidget *root);

    QLineEdit *boundBox() const { return m_box; }
    Mode mode() const { return m_mode; }
    bool minusAllowed() const { return m_minus; }
    // Cleared when the last formatting met a date or time of the wrong length.
    bool isWellFormed() const { return m_wellFormed; }

    // The text rules and formats, usable without a box.
    static bool isAccepted(QChar c, Mode mode, bool format, bool minus, bool yearMonthDay);
    // Position (from 0) of the first refused character, or -1.
    static qsizetype firstRefused(const QString &text, Mode mode, bool format, bool minus,
                                  bool yearMonthDay);
    // The value as leaving the box leaves it; wellFormed is cleared for a bad date or time.
    static QString leaveFormat(const QString &text, Mode mode, bool yearMonthDay, bool clearBadDate,
                               bool *wellFormed = nullptr);
    // The value as a double click leaves it, ready to edit.
    static QString editFormat(const QString &text, Mode mode, bool yearMonthDay);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Watched
    {
        Mode mode = Mode::None;
        bool minus = false;
    };

    void bind(QLineEdit *box, Mode mode);
    void unbind();
    void onTextEdited();
    void onTextChanged(const QString &text);
    void formatOnLeaving();
    void formatForEditing();

    QPointer<QLineEdit> m_box;
    QList<QMetaObject::Connection> m_connections;
    QHash<QLineEdit *, Watched> m_watched;
    Mode m_mode = Mode::None;
    bool m_format = true;
    bool m_minus = false;
    bool m_yearMonthDay = false;
    bool m_clearBadDate = false;
    bool m_wellFormed = false;
};
