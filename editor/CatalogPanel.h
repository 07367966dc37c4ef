// CatalogPanel: the extra panel's catalogue labels under "Default Setting Items"
// (Lbl_DefaultSetting 0 and 1). A click asks whether to add the catalogue and, on Yes,
// hands its index to the page, which inserts SettingCatalog::frames(index).
#pragma once

#include <QWidget>

class Cls_Effect;

class CatalogPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CatalogPanel)

public:
    explicit CatalogPanel(QWidget *parent = nullptr);
    ~CatalogPanel() override;

    // Asks the four-line Yes/No question; true on Yes.
    static bool confirm(int index);

signals:
    void catalogChosen(int index);

private:
    Cls_Effect *m_effect;
};
