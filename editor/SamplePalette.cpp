#include "SamplePalette.h"

#include "Cls_Effect.h"
#include "color_schemes.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

void setColors(QWidget *w, QPalette::ColorRole background, const QColor &back,
               QPalette::ColorRole text, const QColor &fore)
{
    QPalette palette = w->palette();
    palette.setColor(background, back);
    palette.setColor(text, fore);
    w->setPalette(palette);
}

} // namespace

SamplePalette::SamplePalette(QWidget *parent)
    : QGroupBox(u"表示サンプル"_s, parent)
{
    setObjectName(u"Fra_ColorSample"_s);
    struct FrameContent
    {
        QString caption;
        QStringList items;
    };
    const QList<FrameContent> content = {
        {u"SetContent"_s, {u"SettingA"_s, u"SettingB"_s}},
        {u"Other Items"_s,
         {u"ItemName 1"_s, u"ItemName 2"_s, u"ItemName 3"_s, u"ItemName 4"_s, u"ItemName 5"_s,
          u"ItemName 6"_s}},
        {u"設定内容"_s,
         {u"設定内容 その1"_s, u"設定内容 その2"_s, u"設定内容 その3"_s, u"設定内容 その4"_s,
          u"設定内容 その5"_s, u"設定内容 その6"_s}},
    };
    auto *outer = new QVBoxLayout(this);
    outer->setSpacing(2);
    for (const FrameContent &frameContent : content) {
        auto *frame = new QGroupBox(frameContent.caption, this);
        frame->setObjectName(u"Fra_Items_%1"_s.arg(Fra_Items.size()));
        frame->setAutoFillBackground(true);
        QFont frameFont(u"Times New Roman"_s);
        frameFont.setPointSizeF(9.75);
        frameFont.setBold(true);
        frame->setFont(frameFont);
        auto *grid = new QGridLayout(frame);
        grid->setContentsMargins(4, 2, 4, 4);
        grid->setSpacing(1);
        for (const QString &caption : frameContent.items) {
            auto *item = new QLineEdit(caption, frame);
            item->setObjectName(u"Txt_Button_%1"_s.arg(Txt_Button.size()));
            item->setReadOnly(true);
            item->setFrame(false);
            item->setFocusPolicy(Qt::NoFocus);
            item->setCursor(Qt::ArrowCursor);
            item->setContextMenuPolicy(Qt::NoContextMenu);
            item->setMouseTracking(true);
            // Items have a font of their own, not the frame's bold caption font.
            QFont itemFont = QApplication::font();
            itemFont.setFamilies({itemFont.family()});
            itemFont.setBold(false);
            itemFont.setPointSize(RestingPointSize);
            item->setFont(itemFont);
            item->installEventFilter(this);
            const int position = int(grid->count());
            grid->addWidget(item, position / 2, position % 2);
            Txt_Button.append(item);
        }
        outer->addWidget(frame);
        Fra_Items.append(frame);
    }
    outer->addStretch();
    resetItems();
}

SamplePalette::~SamplePalette() = default;

void SamplePalette::refreshSample(const std::array<QString, 5> &colorTexts)
{
    using ColorSchemes::fromText;
    m_base = fromText(colorTexts[0]);
    const QColor title = fromText(colorTexts[1]);
    m_label = fromText(colorTexts[2]);
    m_back = fromText(colorTexts[3]);
    m_fore = fromText(colorTexts[4]);
    for (QGroupBox *frame : std::as_const(Fra_Items)) {
        setColors(frame, QPalette::Window, m_base, QPalette::WindowText, title);
    }
    resetItems();
}

void SamplePalette::hoverItem(int index)
{
    resetItems();
    if (index < 0 || index >= Txt_Button.size()) {
        return;
    }
    setColors(Txt_Button.at(index), QPalette::Base, m_back, QPalette::Text, m_fore);
    m_lit = index;
}

void SamplePalette::resetItems()
{
    for (QLineEdit *item : std::as_const(Txt_Button)) {
        setColors(item, QPalette::Base, m_base, QPalette::Text, m_label);
    }
    m_lit = -1;
}

bool SamplePalette::eventFilter(QObject *watched, QEvent *event)
{
    auto *item = qobject_cast<QLineEdit *>(watched);
    const int index = item ? int(Txt_Button.indexOf(item)) : -1;
    if (index < 0) {
        return QGroupBox::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (m_lit != index) {
            hoverItem(index);
        }
        // The sample is a picture of buttons: no text is selected by dragging.
        return event->type() == QEvent::MouseMove;
    case QEvent::MouseButtonPress:
        Cls_Effect::pressFont(item);
        return true;
    case QEvent::MouseButtonRelease:
        Cls_Effect::releaseFont(item, RestingPointSize);
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        break;
    }
    return QGroupBox::eventFilter(watched, event);
}
