#include "ColorPage.h"

#include "ColorSchemePanel.h"
#include "SamplePalette.h"
#include "setting_model.h"
#include "setting_values.h"
#include "ui_ColorPage.h"

#include <QColorDialog>

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

// Each pair of digits read as hexadecimal up to its first non-digit; none reads as 0.
QColor colourOfText(const QString &text)
{
    const auto pair = [&text](int start) {
        int value = 0;
        for (int i = start; i < start + 2 && i < text.size(); ++i) {
            const int digit = hexDigit(text.at(i));
            if (digit < 0) {
                break;
            }
            value = value * 16 + digit;
        }
        return value;
    };
    return QColor(pair(0), pair(2), pair(4));
}

const QStringList kLabels = {QStringLiteral("背景色"), QStringLiteral("タイトル項目"),
                             QStringLiteral("各項目のタイトル"), QStringLiteral("選択時の背景色"),
                             QStringLiteral("選択時の前景色")};

} // namespace

ColorPage::ColorPage(QWidget *parent)
    : QFrame(parent)
    , m_ui(std::make_unique<Ui::ColorPage>())
{
    m_ui->setupUi(this);
    const Ui::ColorPage &ui = *m_ui;
    m_texts = {ui.Txt_Color_0, ui.Txt_Color_1, ui.Txt_Color_2, ui.Txt_Color_3, ui.Txt_Color_4};
    m_swatches = {ui.Lbl_Color_0, ui.Lbl_Color_1, ui.Lbl_Color_2, ui.Lbl_Color_3, ui.Lbl_Color_4};
    const QList<QPushButton *> previews = {ui.Cmd_ColorPreView_0, ui.Cmd_ColorPreView_1,
                                           ui.Cmd_ColorPreView_2, ui.Cmd_ColorPreView_3,
                                           ui.Cmd_ColorPreView_4};
    const QList<QPushButton *> dialogs = {ui.Cmd_ShowColor_0, ui.Cmd_ShowColor_1,
                                          ui.Cmd_ShowColor_2, ui.Cmd_ShowColor_3,
                                          ui.Cmd_ShowColor_4};
    for (int k = 0; k < m_texts.size(); ++k) {
        connect(previews[k], &QPushButton::clicked, this, [this, k] {
            Sub_ShowColorRow(k);
            refreshSample();
        });
        connect(dialogs[k], &QPushButton::clicked, this, [this, k] { chooseColor(k); });
    }
    connect(ui.Cmd_ColorShow, &QPushButton::clicked, this, [this] {
        for (int k = 0; k < m_texts.size(); ++k) {
            Sub_ShowColorRow(k);
        }
        refreshSample();
    });
    connect(ui.Cmd_DefaultColorReading, &QPushButton::clicked, this, &ColorPage::reloadRequested);

    // The schemes and the sample take the room below the rows that the spacer held.
    m_schemes = new ColorSchemePanel(this);
    m_sample = new SamplePalette(this);
    QLayoutItem *spacer = ui.layout_6->itemAtPosition(6, 0);
    ui.layout_6->removeItem(spacer);
    delete spacer;
    ui.layout_6->addWidget(m_schemes, 6, 0, 1, 6);
    ui.layout_6->addWidget(m_sample, 7, 0, 1, 6, Qt::AlignLeft | Qt::AlignTop);
    ui.layout_6->setRowStretch(8, 1);
    connect(m_schemes, &ColorSchemePanel::schemeChosen, this,
            [this](const ColorSchemes::Scheme &scheme) {
                for (int k = 0; k < m_texts.size(); ++k) {
                    m_texts[k]->setText(scheme.values.at(k));
                    Sub_ShowColorRow(k);
                }
                refreshSample();
                emit statusMessage(ColorSchemes::schemeStatus(scheme.caption));
            });
    for (QLineEdit *text : std::as_const(m_texts)) {
        connect(text, &QLineEdit::editingFinished, this, &ColorPage::refreshSample);
    }
}

void ColorPage::refreshSample()
{
    std::array<QString, 5> texts;
    for (int k = 0; k < m_texts.size(); ++k) {
        texts.at(k) = m_texts[k]->text();
    }
    m_sample->refreshSample(texts);
}

ColorPage::~ColorPage() = default;

void ColorPage::load(Cls_MySettingFile &model)
{
    for (int k = 0; k < m_texts.size(); ++k) {
        m_texts[k]->setText(model.Color().Gets(SettingFormat::ColorKeys.at(k)).trimmed());
        Sub_ShowColorRow(k);
    }
    refreshSample();
}

void ColorPage::store(Cls_MySettingFile &model) const
{
    for (int k = 0; k < m_texts.size(); ++k) {
        model.Color().SetItem_bln(SettingFormat::ColorKeys.at(k), m_texts[k]->text());
    }
}

PageFields ColorPage::fields() const
{
    PageFields fields;
    for (int k = 0; k < m_texts.size(); ++k) {
        fields.append(
            {m_texts[k], kLabels.at(k), SettingFormat::ColorKeys.at(k), m_texts[k]->text()});
    }
    return fields;
}

void ColorPage::Sub_ShowColorRow(int index)
{
    QString text = m_texts[index]->text();
    QLabel *swatch = m_swatches[index];
    // An empty colour means "as the label colour" to the palette: padding it would turn it
    // into black.
    if (text.isEmpty()) {
        swatch->setPalette(QPalette());
        return;
    }
    text = (QStringLiteral("000000") + text).right(6);
    m_texts[index]->setText(text);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colourOfText(text));
    swatch->setPalette(palette);
}

void ColorPage::chooseColor(int index)
{
    const QColor chosen = QColorDialog::getColor(colourOfText(m_texts[index]->text()), this);
    if (!chosen.isValid()) {
        return;
    }
    m_texts[index]->setText(QStringLiteral("%1%2%3")
                                .arg(chosen.red(), 2, 16, QLatin1Char('0'))
                                .arg(chosen.green(), 2, 16, QLatin1Char('0'))
                                .arg(chosen.blue(), 2, 16, QLatin1Char('0'))
                                .toUpper());
    Sub_ShowColorRow(index);
    refreshSample();
}
