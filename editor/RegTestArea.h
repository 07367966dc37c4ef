// RegTestArea: the test area "置換テスト" (Fra_RegTest) of the item page: the sample
// box, the result box with their Clear and Copy labels, the run button and the live
// bench's match count. It starts hidden; the page opens it for edit items only.
#pragma once

#include <QGroupBox>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TextCommands;

class RegTestArea final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RegTestArea)

public:
    explicit RegTestArea(QWidget *parent = nullptr);
    ~RegTestArea() override;

    QPlainTextEdit *sampleBox() const { return Txt_TestBase; }
    QPlainTextEdit *resultBox() const { return Txt_TestAfter; }
    QLabel *matchCountLabel() const { return Lbl_TestMatchCount; }
    QPushButton *runButton() const { return Cmd_RegTest; }

    // Shows or hides the area (shown in front of the other controls) and returns the status
    // text: "置換作業のテスト用画面を開きました。" or "…閉じました。".
    QString toggle();
    // The test button's result, replacing the result box's text.
    void showResult(const QString &text);

signals:
    // Cmd_RegTest was clicked: the page stores the item page and runs the item.
    void runRequested();
    // Clear and Copy report here.
    void statusMessage(const QString &text);

private:
    QPlainTextEdit *Txt_TestBase = nullptr;
    QPlainTextEdit *Txt_TestAfter = nullptr;
    QLabel *Lbl_TestMatchCount = nullptr;
    QPushButton *Cmd_RegTest = nullptr;
    TextCommands *m_commands = nullptr;
};
