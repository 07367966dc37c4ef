// ItemPage: the page of one item (name, kind, data, pattern and replacement, link). It is
// bound to the node it was read from: what it stores goes back there.
#pragma once

#include "PageField.h"
#include "setting_values.h"

#include <QFrame>
#include <memory>

class QPlainTextEdit;
class QRadioButton;

namespace Ui {
class ItemPage;
}

class ItemPage final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemPage)

public:
    explicit ItemPage(QWidget *parent = nullptr);
    ~ItemPage() override;

    // Shows the item and binds the page to the node's key; an empty key shows nothing.
    void showItem(const QString &nodeKey, const SettingItem &item);
    QString boundKey() const { return m_boundKey; }
    // The values of the chosen kind only, as the page stores them.
    SettingItem item() const;
    PageFields fields() const;
    void Sub_ShowTypeFrame(int index);
    void resetLook();

signals:
    // The focus left one of the fields for another control of the window.
    void fieldLeft();
    void updateClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int chosenType() const;

    std::unique_ptr<Ui::ItemPage> m_ui;
    QList<QRadioButton *> m_types;
    QList<QWidget *> m_fields;
    QList<QPlainTextEdit *> m_boxes;
    QString m_boundKey;
};
