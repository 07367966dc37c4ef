#include "CatalogPanel.h"

#include "Cls_Effect.h"
#include "LabelClick.h"
#include "platform_wrappers.h"
#include "setting_catalog.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

CatalogPanel::CatalogPanel(QWidget *parent)
    : QWidget(parent)
    , m_effect(new Cls_Effect(this))
{
    setObjectName(u"Fra_DefaultSetting"_s);
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(u"Default Setting Items"_s, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    const auto &catalogs = SettingCatalog::catalogs();
    for (int k = 0; k < catalogs.size(); ++k) {
        auto *label = new QLabel(catalogs.at(k).caption, this);
        label->setObjectName(u"Lbl_DefaultSetting_%1"_s.arg(k));
        QFont font = label->font();
        font.setPointSize(Cls_Effect::DefaultFontSize);
        label->setFont(font);
        m_effect->watchLabel(label);
        LabelClick::onClick(label, [this, k] {
            if (confirm(k)) {
                emit catalogChosen(k);
            }
        });
        layout->addWidget(label);
    }
    layout->addStretch();
}

CatalogPanel::~CatalogPanel() = default;

bool CatalogPanel::confirm(int index)
{
    const auto &catalogs = SettingCatalog::catalogs();
    if (index < 0 || index >= catalogs.size()) {
        return false;
    }
    return FncBln_MessageBoxYesNo(MsgBox::YesNo | MsgBox::Question,
                                  SettingCatalog::question(catalogs.at(index).caption), QString());
}
