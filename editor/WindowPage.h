// WindowPage: the whole-window settings (title, options, position, font and item sizes),
// the first page of the main form.
#pragma once

#include "PageField.h"

#include <QFrame>
#include <memory>

class Cls_MySettingFile;

namespace Ui {
class WindowPage;
}

class WindowPage final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowPage)

public:
    explicit WindowPage(QWidget *parent = nullptr);
    ~WindowPage() override;

    void load(Cls_MySettingFile &model);
    // Every field but the last setting, which the form knows.
    void store(Cls_MySettingFile &model) const;
    PageFields fields() const;
    // The default font of the whole window; new frames start with it.
    QString commonFont() const;

private:
    std::unique_ptr<Ui::WindowPage> m_ui;
};
