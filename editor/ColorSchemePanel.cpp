#include "ColorSchemePanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

using namespace Qt::StringLiterals;

ColorSchemePanel::ColorSchemePanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(u"Fra_ColorSchemes"_s);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto group = [this, layout](const QString &title, const QString &buttonName,
                                      const QList<ColorSchemes::Scheme> &schemes, int columns) {
        auto *box = new QGroupBox(title, this);
        auto *grid = new QGridLayout(box);
        grid->setSpacing(2);
        for (int k = 0; k < schemes.size(); ++k) {
            auto *button = new QPushButton(schemes.at(k).caption, box);
            button->setObjectName(u"%1_%2"_s.arg(buttonName).arg(k));
            grid->addWidget(button, k / columns, k % columns);
            connect(button, &QPushButton::clicked, this,
                    [this, scheme = schemes.at(k)] { emit schemeChosen(scheme); });
        }
        layout->addWidget(box, columns);
    };
    group(u"Default Setting"_s, u"Cmd_DefaultColor"_s, ColorSchemes::lightSchemes(), 3);
    group(u"Backcolor Black"_s, u"Cmd_DefaultColorBlack"_s, ColorSchemes::blackSchemes(), 2);
}

ColorSchemePanel::~ColorSchemePanel() = default;
