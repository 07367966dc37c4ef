#include "RegPresetPanel.h"

#include "Cls_Effect.h"
#include "LabelClick.h"
#include "TextCommands.h"
#include "regexp_presets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

QGroupBox *presetGroup(const QString &title, const QString &name, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    group->setObjectName(name);
    // Labels keep to the top when a group is stretched to its neighbour's height.
    (new QGridLayout(group))->setAlignment(Qt::AlignTop);
    return group;
}

void addInColumns(QGroupBox *group, QLabel *label, int index, int columns)
{
    static_cast<QGridLayout *>(group->layout())->addWidget(label, index / columns, index % columns);
}

} // namespace

RegPresetPanel::RegPresetPanel(QWidget *itemTitle, QWidget *pattern, QWidget *replacement,
                               QWidget *parent)
    : QTabWidget(parent)
    , m_itemTitle(itemTitle)
    , m_pattern(pattern)
    , m_replacement(replacement)
    , m_effect(new Cls_Effect(this))
{
    setObjectName(u"Tab_RegSampleArea"_s);

    auto *items = new QWidget(this);
    items->setObjectName(u"Fra_RegSampleArea_0"_s);
    auto *itemsLayout = new QVBoxLayout(items);
    QGroupBox *defaults = presetGroup(u"Default Setting"_s, u"Fra_RegSet"_s, items);
    const auto &itemPresets = RegExpPresets::itemPresets();
    for (int k = 0; k < itemPresets.size(); ++k) {
        QLabel *label = presetLabel(u"Lbl_RegSet"_s, k, itemPresets.at(k).caption, defaults);
        LabelClick::onClick(label, [this, k] { applyItemPreset(k); });
        addInColumns(defaults, label, k, 2);
    }
    itemsLayout->addWidget(defaults);
    itemsLayout->addStretch();
    addTab(items, u"設定サンプル集"_s);

    auto *options = new QWidget(this);
    options->setObjectName(u"Fra_RegSampleArea_1"_s);
    auto *optionsLayout = new QHBoxLayout(options);
    QGroupBox *directives = presetGroup(u"置換内容"_s, u"Fra_RegOpt_0"_s, options);
    const auto &directivePresets = RegExpPresets::directivePresets();
    for (int k = 0; k < directivePresets.size(); ++k) {
        QLabel *label =
            presetLabel(u"Lbl_RegSetEtc"_s, k, directivePresets.at(k).caption, directives);
        LabelClick::onClick(label, [this, k] { applyDirective(k); });
        addInColumns(directives, label, k, 1);
    }
    QGroupBox *searches = presetGroup(u"検索内容"_s, u"Fra_RegOpt_1"_s, options);
    const auto &searchPresets = RegExpPresets::searchPresets();
    for (int k = 0; k < searchPresets.size(); ++k) {
        QLabel *label =
            presetLabel(u"Lbl_RegSearchEtc"_s, k, searchPresets.at(k).caption, searches);
        LabelClick::onClick(label, [this, k] { applySearchPreset(k); });
        // One column: two would make this page, and so the panel, wider than the first
        // page and take the width from the pattern boxes beside it.
        addInColumns(searches, label, k, 1);
    }
    optionsLayout->addWidget(directives);
    optionsLayout->addWidget(searches, 1);
    addTab(options, u"既定値のサンプル集"_s);
}

RegPresetPanel::~RegPresetPanel() = default;

QLabel *RegPresetPanel::presetLabel(const QString &name, int index, const QString &caption,
                                    QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(u"%1_%2"_s.arg(name).arg(index));
    QFont font = label->font();
    font.setPointSize(Cls_Effect::DefaultFontSize);
    label->setFont(font);
    m_effect->watchPress(label, Cls_Effect::DefaultFontSize);
    return label;
}

void RegPresetPanel::applyItemPreset(int index)
{
    const auto &presets = RegExpPresets::itemPresets();
    if (index < 0 || index >= presets.size()) {
        return;
    }
    const auto &preset = presets.at(index);
    TextCommands::setFieldText(m_itemTitle, preset.caption);
    TextCommands::setFieldText(m_pattern, preset.pattern);
    TextCommands::setFieldText(m_replacement, preset.replacement);
    emit statusMessage(RegExpPresets::itemPresetStatus(preset.caption));
}

void RegPresetPanel::applyDirective(int index)
{
    const auto &presets = RegExpPresets::directivePresets();
    if (index < 0 || index >= presets.size()) {
        return;
    }
    TextCommands::setFieldText(m_replacement, presets.at(index).directive);
    emit statusMessage(presets.at(index).status);
}

void RegPresetPanel::applySearchPreset(int index)
{
    const auto &presets = RegExpPresets::searchPresets();
    if (index < 0 || index >= presets.size()) {
        return;
    }
    TextCommands::setFieldText(m_pattern, presets.at(index).pattern);
    emit statusMessage(RegExpPresets::searchPresetStatus(presets.at(index).caption));
}
