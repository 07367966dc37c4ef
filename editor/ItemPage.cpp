#include "ItemPage.h"

#include "FocusMoves.h"
#include "ui_ItemPage.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

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

// Word wrap looks for a break point again for each screen line of a word, so a pasted blob
// without blanks took minutes to show; such a text wraps anywhere instead.
void setPageText(QPlainTextEdit *box, const QString &text)
{
    constexpr qsizetype kLongestWord = 10000;
    qsizetype run = 0;
    bool longRun = false;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord) {
            longRun = true;
            break;
        }
    }
    // Emptied first: a new mode lays out the text that is still there.
    box->clear();
    box->setWordWrapMode(longRun ? QTextOption::WrapAnywhere
                                 : QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(text);
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
}

ItemPage::~ItemPage() = default;

void ItemPage::showItem(const QString &nodeKey, const SettingItem &item)
{
    m_boundKey = nodeKey;
    m_ui->Txt_ItemTitle->setText(item.name);
    setPageText(m_ui->Txt_Data, toDisplay(item.data));
    setPageText(m_ui->Txt_Reg, toDisplay(item.reg));
    setPageText(m_ui->Txt_Replace, toDisplay(item.replace));
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
