// Cls_Effect: the pressed look of clickable labels (one point smaller while the button is
// held) and select-all on a double click in a text box. The form owns one instance and hands
// it the label under the pointer.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

class Cls_Effect final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_Effect)

public:
    static constexpr int DefaultFontSize = 9;

    explicit Cls_Effect(QObject *parent = nullptr);
    ~Cls_Effect() override;

    void SetDefaultFontSize(int pointSize);
    void SetLabel_LinkClick(QWidget *label) { SetLabel(label); }
    // Binds the box and selects its whole text at once.
    void SetTextBox(QWidget *box);
    void SetLabel(QWidget *label);

    // For the pages: the label is handed over whenever the pointer enters or moves over it.
    void watchLabel(QWidget *label);
    // A double click in the box selects its whole text. Multi-line boxes work too.
    void watchTextBox(QWidget *box);
    // Press effect of its own for labels the form handles itself (preset labels, sample
    // items, grid cells): one point smaller on press, releasePointSize on release.
    void watchPress(QWidget *label, int releasePointSize = DefaultFontSize);
    // Watches the editor's clickable labels found under root by name: the Clear, Copy and
    // Select labels, Lbl_DefaultClipboard, Lbl_TestFrameOpen and Lbl_OpenOption. Returns how
    // many were found.
    int watchEditorLabels(const QWidget *root);
    // Select-all on a double click for the item page's text fields, the ones with Clear and
    // Copy labels: Txt_Data, Txt_Link, Txt_Reg, Txt_Replace, Txt_TestBase and Txt_TestAfter.
    // Returns how many were found.
    int watchEditorTextBoxes(const QWidget *root);

    QWidget *boundLabel() const { return m_label; }
    QWidget *boundTextBox() const { return m_textBox; }
    int defaultFontSize() const { return m_defaultSize; }

    // The two halves of the press effect.
    static void pressFont(QWidget *label);
    static void releaseFont(QWidget *label, int pointSize);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(QWidget *w);
    void forget(QObject *w);
    static void selectAllText(QWidget *box);

    QPointer<QWidget> m_label;
    QPointer<QWidget> m_textBox;
    int m_defaultSize = DefaultFontSize;
    QHash<QObject *, int> m_pressSizes;
    QHash<QObject *, QWidget *> m_textBoxes; // watched object (a viewport too) → box
    QSet<QObject *> m_labels;
    QSet<QObject *> m_filtered;
};
