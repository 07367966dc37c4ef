#include "Cls_ItemButton.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace {

// As the text margins of a line edit without a frame.
constexpr int kLeftMargin = 2;
constexpr int kRightMargin = 1;

} // namespace

Cls_ItemButton::Cls_ItemButton(int index, QObject *parent)
    : QObject(parent)
    , m_index(index)
{
    // Joined, not formatted: a large palette names ten thousand of them.
    setObjectName(QStringLiteral("Txt_Button_") + QString::number(index));
}

void Cls_ItemButton::setText(const QString &text)
{
    m_text = text;
    m_displayedWidth = -1;
    update();
}

void Cls_ItemButton::place(QWidget *area, const QRect &geometry)
{
    update();
    m_area = area;
    m_geometry = geometry;
    m_displayedWidth = -1;
    update();
}

QPoint Cls_ItemButton::mapToGlobal(const QPoint &position) const
{
    return m_area ? m_area->mapToGlobal(m_geometry.topLeft() + position) : position;
}

void Cls_ItemButton::setFont(const QFont &font)
{
    m_font = font;
    m_displayedWidth = -1;
    update();
}

void Cls_ItemButton::setColours(const QColor &text, const QColor &back)
{
    if (text == m_textColour && back == m_backColour)
        return;
    m_textColour = text;
    m_backColour = back;
    update();
}

QString Cls_ItemButton::displayedText() const
{
    const int width = qMax(0, m_geometry.width() - kLeftMargin - kRightMargin);
    if (width != m_displayedWidth) {
        const QFontMetrics metrics(m_font);
        m_displayed = metrics.elidedText(m_text, Qt::ElideRight, width);
        m_displayedWidth = width;
    }
    return m_displayed;
}

void Cls_ItemButton::paint(QPainter &painter) const
{
    painter.fillRect(m_geometry, m_backColour);
    painter.setPen(m_textColour);
    painter.setFont(m_font);
    const QRect text = m_geometry.adjusted(kLeftMargin, 0, -kRightMargin, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, displayedText());
}

void Cls_ItemButton::update() const
{
    if (m_area)
        m_area->update(m_geometry);
}
