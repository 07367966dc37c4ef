// ItemPage: the page of one item (name, kind, data, pattern and replacement, link). It is
// bound to the node it was read from: what it stores goes back there.
#pragma once

#include "PageField.h"
#include "setting_values.h"

#include <QFrame>
#include <memory>

class LiveTestBench;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class RegPresetPanel;
class RegTestArea;
class TextCommands;

namespace Ui {
class ItemPage;
}

class ItemPage final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemPage)

public:
    explicit ItemPage(QWidget *parent = nullptr);
    ~ItemPage() override;

    // Shows the item and binds the page to the node's key; an empty key shows nothing.
    void showItem(const QString &nodeKey, const SettingItem &item);
    QString boundKey() const { return m_boundKey; }
    // The values of the chosen kind only, as the page stores them.
    SettingItem item() const;
    PageFields fields() const;
    void Sub_ShowTypeFrame(int index);
    void resetLook();

    RegTestArea *testArea() const { return m_testArea; }
    // Opens or closes the test area, only for edit items, and reports it.
    void Lbl_TestFrameOpen_Click();
    void closeTestArea();
    // The test button's result: the text, or the engine's error in the status line.
    void showTestResult(const QString &output, const QString &status);

signals:
    // The focus left one of the fields for another control of the window.
    void fieldLeft();
    void updateClicked();
    // Cmd_RegTest: the form stores the page and runs the item over the sample.
    void testRequested(const QString &sample);
    void statusMessage(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int chosenType() const;
    void buildAids();

    std::unique_ptr<Ui::ItemPage> m_ui;
    QList<QRadioButton *> m_types;
    QList<QWidget *> m_fields;
    QList<QPlainTextEdit *> m_boxes;
    QString m_boundKey;
    TextCommands *m_commands = nullptr;
    RegTestArea *m_testArea = nullptr;
    RegPresetPanel *m_presets = nullptr;
    LiveTestBench *m_liveBench = nullptr;
    QLabel *Lbl_TestFrameOpen = nullptr;
    QLabel *Lbl_TitleShadow = nullptr;
};
