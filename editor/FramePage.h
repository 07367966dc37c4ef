// FramePage: the page of one frame (title, fonts, items per line). It is bound to the node
// it was read from: what it stores goes back there.
#pragma once

#include "PageField.h"
#include "setting_values.h"

#include <QFrame>
#include <memory>

namespace Ui {
class FramePage;
}

class FramePage final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FramePage)

public:
    explicit FramePage(QWidget *parent = nullptr);
    ~FramePage() override;

    // Shows the frame's values (with the model's defaults applied) and binds the page to
    // the node's key; an empty key shows nothing.
    void showFrame(const QString &nodeKey, const QString &title, const QString &font,
                   const QString &itemFont, int lineCount);
    QString boundKey() const { return m_boundKey; }
    // The page's values; the items are the caller's.
    SettingFrame frame() const;
    PageFields fields() const;
    void setTitle(const QString &title);
    void setLineCount(const QString &lineCount);
    void setFont(const QString &font);
    void resetLook();

signals:
    void fieldLeft();
    void updateClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::FramePage> m_ui;
    QString m_boundKey;
};
