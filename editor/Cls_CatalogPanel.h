// Cls_CatalogPanel: the extra panel's catalogue labels under "Default Setting Items"
// (Lbl_DefaultSetting 0 and 1). A click asks whether to add the catalogue and, on Yes,
// hands its index to the page, which inserts SettingCatalog::frames(index).
#pragma once

#include <QWidget>

class Cls_Effect;

class Cls_CatalogPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_CatalogPanel)

public:
    explicit Cls_CatalogPanel(QWidget *parent = nullptr);
    ~Cls_CatalogPanel() override;

    // Asks the four-line Yes/No question; true on Yes.
    static bool FncBln_Confirm(int index);

signals:
    void catalogChosen(int index);

private:
    Cls_Effect *m_effect;
};
