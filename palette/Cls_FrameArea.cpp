#include "Cls_FrameArea.h"

#include "Cls_ItemButton.h"
#include "first_exposure.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Where the title starts, as a frame control places its caption.
constexpr int kTitleLeft = 6;

} // namespace

Cls_FrameArea::Cls_FrameArea(int areaIndex, QWidget *parent)
    : QGroupBox(parent)
    , m_areaIndex(areaIndex)
{
    setObjectName(QStringLiteral("Fra_Items_%1").arg(areaIndex));
}

Cls_ItemButton *Cls_FrameArea::itemAt(const QPoint &position) const
{
    // Later items lie above earlier ones, as the buttons were brought to the front.
    for (auto it = m_items.crbegin(); it != m_items.crend(); ++it) {
        if ((*it)->geometry().contains(position))
            return *it;
    }
    return nullptr;
}

void Cls_FrameArea::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
    if (m_titlePending)
        return;
    m_titlePending = true;
    // The frame paints its caption itself; the group box learns it later, for accessibility,
    // as its font costs the first map of the window a font set-up.
    RunAfterFirstExposure(this, [this] {
        m_titlePending = false;
        // A group box title treats "&" as a mnemonic marker.
        const QString title = QString(m_caption).replace(u'&', QStringLiteral("&&"));
        if (QGroupBox::title() != title)
            setTitle(title);
    });
}

void Cls_FrameArea::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
}

void Cls_FrameArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    // The border runs through the middle of the title and around the items, which start
    // below the title at the top margin.
    const int titleHeight = metrics.height();
    const int borderTop = titleHeight / 2;
    const QColor base = palette().color(QPalette::Window);
    const QColor shadow = base.darker(160);
    const QColor light = base.lighter(160);
    const QRect border(0, borderTop, width() - 1, height() - borderTop - 1);
    // A lit item's rectangle lies inside the border: the border is not drawn for it.
    if (border.width() > 2 && border.height() > 2 &&
        !border.adjusted(2, 2, -2, -2).contains(event->rect())) {
        painter.setPen(shadow);
        painter.drawRect(border.adjusted(0, 0, -1, -1));
        painter.setPen(light);
        painter.drawRect(border.adjusted(1, 1, 0, 0));
    }
    const QString &caption = m_caption;
    // A lit item repaints only its own rectangle: the title is laid out only when reached.
    if (!caption.isEmpty() && event->rect().top() < titleHeight) {
        const int available = qMax(0, width() - 2 * kTitleLeft);
        const QString shown = metrics.elidedText(caption, Qt::ElideRight, available);
        const QRect titleRect(kTitleLeft, 0, metrics.horizontalAdvance(shown) + 4, titleHeight);
        painter.fillRect(titleRect, base);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(titleRect.adjusted(2, 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    // A window of thousands of items reaches far below the screen: what no screen shows is
    // painted once the window is moved to where it does (see showsMore()).
    QRect shown = event->rect();
    if (const QScreen *screen = this->screen()) {
        const QRect onScreen(mapFromGlobal(screen->geometry().topLeft()),
                             screen->geometry().size());
        if (event->rect().contains(rect()))
            m_unpainted = false;
        if (!onScreen.contains(event->rect()))
            m_unpainted = true;
        shown &= onScreen;
    }
    for (const Cls_ItemButton *item : std::as_const(m_items)) {
        if (item->geometry().intersects(shown))
            item->paint(painter);
    }
}

void Cls_FrameArea::showsMore()
{
    if (m_unpainted)
        update();
}
