// RegPresetPanel: the item page's preset panels (Tab_RegSampleArea). Tab "設定サンプル集"
// holds the whole-item presets (Lbl_RegSet) under "Default Setting"; tab "既定値のサンプル集"
// holds the directives (Lbl_RegSetEtc, "置換内容") and the search patterns
// (Lbl_RegSearchEtc, "検索内容"). A click fills the page's fields and reports it.
#pragma once

#include <QTabWidget>

class QLabel;
class Cls_Effect;

class RegPresetPanel final : public QTabWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RegPresetPanel)

public:
    // The fields the presets write: Txt_ItemTitle, Txt_Reg and Txt_Replace (line edits or
    // multi-line boxes).
    RegPresetPanel(QWidget *itemTitle, QWidget *pattern, QWidget *replacement,
                   QWidget *parent = nullptr);
    ~RegPresetPanel() override;

    void applyItemPreset(int index);
    void applyDirective(int index);
    void applySearchPreset(int index);

signals:
    void statusMessage(const QString &text);

private:
    QLabel *presetLabel(const QString &name, int index, const QString &caption, QWidget *parent);

    QWidget *m_itemTitle;
    QWidget *m_pattern;
    QWidget *m_replacement;
    Cls_Effect *m_effect;
};
