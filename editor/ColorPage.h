// ColorPage: the five colours of the palette window with their swatches and the colour
// dialog, the second page of the main form.
#pragma once

#include "PageField.h"

#include <QFrame>
#include <memory>

class Cls_MySettingFile;
class QLabel;
class QLineEdit;
class ColorSchemePanel;
class SamplePalette;

namespace Ui {
class ColorPage;
}

class ColorPage final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColorPage)

public:
    explicit ColorPage(QWidget *parent = nullptr);
    ~ColorPage() override;

    void load(Cls_MySettingFile &model);
    void store(Cls_MySettingFile &model) const;
    PageFields fields() const;
    // Pads the text to six digits and paints the swatch in its colour.
    void Sub_ShowColorRow(int index);
    // Shows the five rows' colours in the sample palette.
    void refreshSample();

signals:
    void statusMessage(const QString &text);

    // "Read the defaults again": the colours of the setting as loaded.
    void reloadRequested();

private:
    void chooseColor(int index);

    std::unique_ptr<Ui::ColorPage> m_ui;
    QList<QLineEdit *> m_texts;
    QList<QLabel *> m_swatches;
    ColorSchemePanel *m_schemes = nullptr;
    SamplePalette *m_sample = nullptr;
};
