// ColorSchemePanel: the colour page's scheme buttons, Cmd_DefaultColor 0–11 under
// "Default Setting" and Cmd_DefaultColorBlack 0–5 under "Backcolor Black".
#pragma once

#include "color_schemes.h"

#include <QWidget>

class ColorSchemePanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColorSchemePanel)

public:
    explicit ColorSchemePanel(QWidget *parent = nullptr);
    ~ColorSchemePanel() override;

signals:
    // The page writes the five rows, shows each, refreshes the sample and then shows
    // ColorSchemes::schemeStatus(scheme.caption).
    void schemeChosen(const ColorSchemes::Scheme &scheme);
};
