#include "ItemPage.h"

#include "FocusMoves.h"
#include "LabelClick.h"
#include "LiveTestBench.h"
#include "RegPresetPanel.h"
#include "RegTestArea.h"
#include "TextCommands.h"
#include "ui_ItemPage.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextDocument>
#include <QtMath>

namespace {

// Multi-line boxes show LF; the setting files hold CR LF.
QString toDisplay(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QString fromDisplay(const QPlainTextEdit *box)
{
    QString text = box->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// Puts the text commands on the caption's line, right-aligned.
void addCommandRow(QBoxLayout *layout, QWidget *caption, const QList<QWidget *> &labels)
{
    const int index = layout->indexOf(caption);
    delete layout->takeAt(index);
    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addStretch();
    for (QWidget *label : labels) {
        row->addWidget(label);
    }
    layout->insertLayout(index, row);
}

} // namespace

ItemPage::ItemPage(QWidget *parent)
    : QFrame(parent)
    , m_ui(std::make_unique<Ui::ItemPage>())
{
    m_ui->setupUi(this);
    const Ui::ItemPage &ui = *m_ui;
    m_types = {ui.Opt_ItemType_0, ui.Opt_ItemType_1, ui.Opt_ItemType_2};
    m_boxes = {ui.Txt_Data, ui.Txt_Reg, ui.Txt_Replace};
    m_fields = {ui.Txt_ItemTitle, ui.Txt_Data, ui.Txt_Reg, ui.Txt_Replace, ui.Txt_Link};
    for (int k = 0; k < m_types.size(); ++k) {
        connect(m_types[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on) {
                Sub_ShowTypeFrame(k);
            }
        });
    }
    for (QWidget *field : m_fields) {
        field->installEventFilter(this);
    }
    // Four characters per tab stop, a character being the font's average width.
    for (QPlainTextEdit *box : m_boxes) {
        box->setTabStopDistance(4 * QFontMetricsF(box->font()).averageCharWidth());
    }
    connect(ui.Cmd_ItemUpdate, &QPushButton::clicked, this, &ItemPage::updateClicked);
    buildAids();
}

void ItemPage::buildAids()
{
    const Ui::ItemPage &ui = *m_ui;
    using Command = TextCommands::Command;
    m_commands = new TextCommands(this);
    const auto commandLabels = [this](QWidget *field, bool select) {
        QList<QWidget *> labels = {m_commands->createLabel(Command::Clear, field, this),
                                   m_commands->createLabel(Command::Copy, field, this)};
        if (select) {
            labels.append(m_commands->createLabel(Command::Select, field, this));
        }
        return labels;
    };
    QList<QWidget *> dataLabels = {m_commands->createDefaultClipboardLabel(ui.Txt_Data, this)};
    dataLabels += commandLabels(ui.Txt_Data, true);
    addCommandRow(ui.layout_8, ui.Lbl_Caption_21, dataLabels);
    addCommandRow(ui.layout_9, ui.Lbl_Caption_22, commandLabels(ui.Txt_Reg, true));
    addCommandRow(ui.layout_9, ui.Lbl_Caption_23, commandLabels(ui.Txt_Replace, true));
    addCommandRow(ui.layout_11, ui.Lbl_Caption_24, commandLabels(ui.Txt_Link, true));
    connect(m_commands, &TextCommands::statusMessage, this, &ItemPage::statusMessage);

    // The opener and its stand-in share one place at the right of the kind buttons.
    Lbl_TestFrameOpen = new QLabel(QStringLiteral("設定内容"), this);
    Lbl_TestFrameOpen->setObjectName(QStringLiteral("Lbl_TestFrameOpen"));
    Lbl_TestFrameOpen->setCursor(Qt::PointingHandCursor);
    Lbl_TestFrameOpen->setStyleSheet(QStringLiteral("QLabel { color: palette(link); }"));
    Lbl_TestFrameOpen->setToolTip(QStringLiteral("置換テスト"));
    Lbl_TitleShadow = new QLabel(QStringLiteral("設定内容"), this);
    Lbl_TitleShadow->setObjectName(QStringLiteral("Lbl_TitleShadow"));
    Lbl_TitleShadow->setEnabled(false);
    ui.layout_7->addWidget(Lbl_TestFrameOpen);
    ui.layout_7->addWidget(Lbl_TitleShadow);
    LabelClick::onClick(Lbl_TestFrameOpen, [this] { Lbl_TestFrameOpen_Click(); });

    // Edit items: the pattern boxes with the test area below them, the presets beside.
    m_testArea = new RegTestArea(ui.Fra_Type_1);
    m_presets = new RegPresetPanel(ui.Txt_ItemTitle, ui.Txt_Reg, ui.Txt_Replace, ui.Fra_Type_1);
    ui.layout_10->removeWidget(ui.Fra_RegArea);
    auto *boxes = new QVBoxLayout;
    boxes->addWidget(ui.Fra_RegArea, 1);
    boxes->addWidget(m_testArea, 1);
    auto *row = new QHBoxLayout;
    row->addLayout(boxes, 1);
    // At its own size: stretched, the preset labels drift apart and squeeze the pattern boxes.
    m_presets->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    row->addWidget(m_presets, 0, Qt::AlignTop);
    ui.layout_10->addLayout(row);
    // Three lines each are enough to start with: at the scroll area's own minimum the four
    // boxes with the test area open make the window taller than a 768-pixel screen.
    for (QPlainTextEdit *box :
         {ui.Txt_Reg, ui.Txt_Replace, m_testArea->sampleBox(), m_testArea->resultBox()}) {
        const int margins = 2 * (box->frameWidth() + qCeil(box->document()->documentMargin()));
        box->setMinimumHeight(3 * box->fontMetrics().lineSpacing() + margins);
    }
    connect(m_presets, &RegPresetPanel::statusMessage, this, &ItemPage::statusMessage);
    connect(m_testArea, &RegTestArea::statusMessage, this, &ItemPage::statusMessage);
    connect(m_testArea, &RegTestArea::runRequested, this,
            [this] { emit testRequested(LiveTestBench::boxText(m_testArea->sampleBox())); });

    m_liveBench = new LiveTestBench(ui.Txt_Reg, ui.Txt_Replace, m_testArea->sampleBox(),
                                    m_testArea->resultBox(), m_testArea->matchCountLabel(), this);
}

void ItemPage::Lbl_TestFrameOpen_Click()
{
    if (chosenType() != 1) {
        return;
    }
    const QString status = m_testArea->toggle();
    m_liveBench->setActive(m_testArea->isVisibleTo(this));
    emit statusMessage(status);
}

void ItemPage::closeTestArea()
{
    m_testArea->hide();
    m_liveBench->setActive(false);
}

void ItemPage::showTestResult(const QString &output, const QString &status)
{
    m_testArea->showResult(output);
    emit statusMessage(status);
}

ItemPage::~ItemPage() = default;

void ItemPage::showItem(const QString &nodeKey, const SettingItem &item)
{
    m_boundKey = nodeKey;
    m_ui->Txt_ItemTitle->setText(item.name);
    LiveTestBench::setBoxText(m_ui->Txt_Data, toDisplay(item.data));
    LiveTestBench::setBoxText(m_ui->Txt_Reg, toDisplay(item.reg));
    LiveTestBench::setBoxText(m_ui->Txt_Replace, toDisplay(item.replace));
    m_ui->Txt_Link->setText(item.link);
    const SettingItem::Kind kind = item.pageKind();
    const int type = kind == SettingItem::Kind::Link ? 2 : kind == SettingItem::Kind::Edit ? 1 : 0;
    m_types[type]->setChecked(true);
    Sub_ShowTypeFrame(type);
}

int ItemPage::chosenType() const
{
    for (int k = 0; k < m_types.size(); ++k) {
        if (m_types[k]->isChecked()) {
            return k;
        }
    }
    return 1;
}

SettingItem ItemPage::item() const
{
    SettingItem item;
    item.name = m_ui->Txt_ItemTitle->text();
    switch (chosenType()) {
    case 0:
        item.kind = SettingItem::Kind::Data;
        item.data = fromDisplay(m_ui->Txt_Data);
        break;
    case 2:
        item.kind = SettingItem::Kind::Link;
        item.link = m_ui->Txt_Link->text();
        break;
    default:
        item.kind = SettingItem::Kind::Edit;
        item.reg = fromDisplay(m_ui->Txt_Reg);
        item.replace = fromDisplay(m_ui->Txt_Replace);
        break;
    }
    return item;
}

PageFields ItemPage::fields() const
{
    using namespace SettingFormat;
    const SettingItem values = item();
    PageFields fields = {{m_ui->Txt_ItemTitle, QStringLiteral("表示名"), Name, values.name}};
    switch (values.kind) {
    case SettingItem::Kind::Data:
        fields.append({m_ui->Txt_Data, QStringLiteral("データ"), Data, values.data});
        break;
    case SettingItem::Kind::Link:
        fields.append({m_ui->Txt_Link, QStringLiteral("リンク"), Link, values.link});
        break;
    default:
        fields.append({m_ui->Txt_Reg, QStringLiteral("検索対象"), Reg, values.reg});
        fields.append({m_ui->Txt_Replace, QStringLiteral("置換内容"), Replace, values.replace});
        break;
    }
    return fields;
}

void ItemPage::Sub_ShowTypeFrame(int index)
{
    const QList<QFrame *> frames = {m_ui->Fra_Type_0, m_ui->Fra_Type_1, m_ui->Fra_Type_2};
    for (int k = 0; k < frames.size(); ++k) {
        frames[k]->setVisible(k == index);
    }
    // The test area serves edit items only.
    Lbl_TestFrameOpen->setVisible(index == 1);
    Lbl_TitleShadow->setVisible(index != 1);
    if (index != 1) {
        closeTestArea();
    }
}

void ItemPage::resetLook()
{
    const QColor window = QApplication::palette().color(QPalette::Base);
    for (QWidget *field :
         {static_cast<QWidget *>(m_ui->Txt_ItemTitle), static_cast<QWidget *>(m_ui->Txt_Data)}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, window);
        field->setPalette(palette);
    }
}

bool ItemPage::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::KeyPress && m_boxes.contains(watched)) {
        // Tab and Ctrl+Tab move on from a multi-line box as from every other field; a tab
        // character comes in by pasting.
        if (FocusMoves::FncBln_MoveOnTab(widget, *static_cast<QKeyEvent *>(event))) {
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut &&
        FocusMoves::FncBln_LeavesField(*static_cast<QFocusEvent *>(event))) {
        emit fieldLeft();
    }
    return QFrame::eventFilter(watched, event);
}
