#include "RegTestArea.h"

#include "LiveTestBench.h"
#include "TextCommands.h"
#include "regexp_presets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

RegTestArea::RegTestArea(QWidget *parent)
    : QGroupBox(u"置換テスト"_s, parent)
    , m_commands(new TextCommands(this))
{
    setObjectName(u"Fra_RegTest"_s);
    setAutoFillBackground(true);

    Txt_TestBase = new QPlainTextEdit(this);
    Txt_TestBase->setObjectName(u"Txt_TestBase"_s);
    Txt_TestBase->setPlainText(RegExpPresets::initialSample());
    Txt_TestAfter = new QPlainTextEdit(this);
    Txt_TestAfter->setObjectName(u"Txt_TestAfter"_s);
    Lbl_TestMatchCount = new QLabel(this);
    Lbl_TestMatchCount->setObjectName(u"Lbl_TestMatchCount"_s);
    Lbl_TestMatchCount->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Cmd_RegTest = new QPushButton(u"実行"_s, this);
    Cmd_RegTest->setObjectName(u"Cmd_RegTest"_s);

    const auto header = [this](const QString &caption, QPlainTextEdit *box) {
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(caption, this));
        row->addStretch();
        row->addWidget(m_commands->createLabel(TextCommands::Command::Clear, box, this));
        row->addWidget(m_commands->createLabel(TextCommands::Command::Copy, box, this));
        return row;
    };
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header(u"対象文字列"_s, Txt_TestBase));
    layout->addWidget(Txt_TestBase, 1);
    auto *middle = new QHBoxLayout;
    auto *arrow = new QLabel(u"↓"_s, this);
    middle->addStretch();
    middle->addWidget(arrow);
    middle->addStretch();
    middle->addWidget(Cmd_RegTest);
    layout->addLayout(middle);
    auto *resultHeader = header(u"置換実行後"_s, Txt_TestAfter);
    resultHeader->insertWidget(1, Lbl_TestMatchCount);
    layout->addLayout(resultHeader);
    layout->addWidget(Txt_TestAfter, 1);

    connect(Cmd_RegTest, &QPushButton::clicked, this, &RegTestArea::runRequested);
    connect(m_commands, &TextCommands::statusMessage, this, &RegTestArea::statusMessage);
    hide();
}

RegTestArea::~RegTestArea() = default;

QString RegTestArea::toggle()
{
    const bool open = isHidden();
    setVisible(open);
    if (open) {
        raise();
    }
    return RegExpPresets::testAreaStatus(open);
}

void RegTestArea::showResult(const QString &text)
{
    LiveTestBench::setBoxText(Txt_TestAfter, text);
}
