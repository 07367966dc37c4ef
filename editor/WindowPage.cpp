#include "WindowPage.h"

#include "setting_model.h"
#include "setting_values.h"
#include "ui_WindowPage.h"

#include <QRadioButton>

namespace {

void setBooleanOptions(QRadioButton *trueOption, QRadioButton *falseOption, const QString &value)
{
    const bool on = value.toLower() == QStringLiteral("true");
    trueOption->setChecked(on);
    falseOption->setChecked(!on);
}

QString booleanText(const QRadioButton *trueOption)
{
    return trueOption->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

WindowPage::WindowPage(QWidget *parent)
    : QFrame(parent)
    , m_ui(std::make_unique<Ui::WindowPage>())
{
    m_ui->setupUi(this);
}

WindowPage::~WindowPage() = default;

void WindowPage::load(Cls_MySettingFile &model)
{
    m_ui->Txt_Title->setText(model.GetTitle());
    setBooleanOptions(m_ui->Opt_Version_0, m_ui->Opt_Version_1, model.GetVersion());
    setBooleanOptions(m_ui->Opt_TopMost_0, m_ui->Opt_TopMost_1, model.GetTopMost());
    setBooleanOptions(m_ui->Opt_Selecter_0, m_ui->Opt_Selecter_1, model.GetModeSelecter());
    m_ui->Txt_PictureName->setText(model.GetPictureName());
    m_ui->Cbo_Align->setCurrentText(model.GetAlign());
    m_ui->Cbo_Valign->setCurrentText(model.GetValign());
    m_ui->Txt_PositioningTop->setText(QString::number(model.GetPositioningTop()));
    m_ui->Txt_PositioningLeft->setText(QString::number(model.GetPositioningLeft()));
    // The common font itself: the model's GetFont answers for the current frame.
    const QString font = model.Common().Gets(SettingFormat::Font);
    m_ui->Cbo_Fonts->setCurrentText(font.isEmpty() ? QStringLiteral("ＭＳ ゴシック") : font);
    m_ui->Txt_FontSize->setText(QString::number(model.GetFontSize()));
    m_ui->Txt_ItemHeight->setText(QString::number(model.GetItemHeight()));
    m_ui->Txt_ItemWidth->setText(QString::number(model.GetItemWidth()));
    m_ui->Txt_MarginTop->setText(QString::number(model.GetMarginTop()));
    m_ui->Txt_MarginBottom->setText(QString::number(model.GetMarginBottom()));
}

void WindowPage::store(Cls_MySettingFile &model) const
{
    model.SetTitle(m_ui->Txt_Title->text());
    model.SetVersion(booleanText(m_ui->Opt_Version_0));
    model.SetTopMost(booleanText(m_ui->Opt_TopMost_0));
    model.SetModeSelecter(booleanText(m_ui->Opt_Selecter_0));
    model.SetPictureName(m_ui->Txt_PictureName->text());
    model.SetAlign(m_ui->Cbo_Align->currentText());
    model.SetValign(m_ui->Cbo_Valign->currentText());
    model.SetPositioningTop(m_ui->Txt_PositioningTop->text());
    model.SetPositioningLeft(m_ui->Txt_PositioningLeft->text());
    // SetFont writes the frame document, whose write side the frame rebuild empties: the
    // default font goes to the common section, where the reader looks for it.
    model.Common().SetItem_bln(SettingFormat::Font, m_ui->Cbo_Fonts->currentText());
    model.SetFontSize(m_ui->Txt_FontSize->text());
    model.SetItemHeight(m_ui->Txt_ItemHeight->text());
    model.SetItemWidth(m_ui->Txt_ItemWidth->text());
    model.SetMarginTop(m_ui->Txt_MarginTop->text());
    model.SetMarginBottom(m_ui->Txt_MarginBottom->text());
}

PageFields WindowPage::fields() const
{
    using namespace SettingFormat;
    const Ui::WindowPage &ui = *m_ui;
    return {
        {ui.Txt_Title, QStringLiteral("タイトル"), Title, ui.Txt_Title->text()},
        {ui.Opt_Version_0, QStringLiteral("バージョン表示"), Version,
         booleanText(ui.Opt_Version_0)},
        {ui.Opt_TopMost_0, QStringLiteral("最前面表示"), TopMost, booleanText(ui.Opt_TopMost_0)},
        {ui.Opt_Selecter_0, QStringLiteral("設定の選択"), ModeSelecter,
         booleanText(ui.Opt_Selecter_0)},
        {ui.Txt_PictureName, QStringLiteral("アイコン"), PictureName, ui.Txt_PictureName->text()},
        {ui.Cbo_Align, QStringLiteral("横位置"), Align, ui.Cbo_Align->currentText()},
        {ui.Cbo_Valign, QStringLiteral("縦位置"), Valign, ui.Cbo_Valign->currentText()},
        {ui.Txt_PositioningTop, QStringLiteral("縦位置の調整"), PositioningTop,
         ui.Txt_PositioningTop->text()},
        {ui.Txt_PositioningLeft, QStringLiteral("横位置の調整"), PositioningLeft,
         ui.Txt_PositioningLeft->text()},
        {ui.Cbo_Fonts, QStringLiteral("フォント"), Font, ui.Cbo_Fonts->currentText()},
        {ui.Txt_FontSize, QStringLiteral("フォントサイズ"), FontSize, ui.Txt_FontSize->text()},
        {ui.Txt_ItemHeight, QStringLiteral("項目の高さ"), ItemHeight, ui.Txt_ItemHeight->text()},
        {ui.Txt_ItemWidth, QStringLiteral("項目の幅"), ItemWidth, ui.Txt_ItemWidth->text()},
        {ui.Txt_MarginTop, QStringLiteral("項目の開始位置"), MarginTop, ui.Txt_MarginTop->text()},
        {ui.Txt_MarginBottom, QStringLiteral("最後の項目の下"), MarginBottom,
         ui.Txt_MarginBottom->text()}};
}

QString WindowPage::commonFont() const
{
    return m_ui->Cbo_Fonts->currentText();
}
