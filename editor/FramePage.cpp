#include "FramePage.h"

#include "FocusMoves.h"
#include "ui_FramePage.h"

#include <QApplication>
#include <QKeyEvent>

FramePage::FramePage(QWidget *parent)
    : QFrame(parent)
    , m_ui(std::make_unique<Ui::FramePage>())
{
    m_ui->setupUi(this);
    for (QWidget *field :
         {static_cast<QWidget *>(m_ui->Txt_FrameTitle), static_cast<QWidget *>(m_ui->Cbo_FrameFont),
          static_cast<QWidget *>(m_ui->Cbo_ItemFont),
          static_cast<QWidget *>(m_ui->Txt_LineCount)}) {
        field->installEventFilter(this);
    }
    connect(m_ui->Cmd_FrameUpdate, &QPushButton::clicked, this, &FramePage::updateClicked);
}

FramePage::~FramePage() = default;

void FramePage::showFrame(const QString &nodeKey, const QString &title, const QString &font,
                          const QString &itemFont, int lineCount)
{
    m_boundKey = nodeKey;
    m_ui->Txt_FrameTitle->setText(title);
    m_ui->Cbo_FrameFont->setCurrentText(font);
    m_ui->Cbo_ItemFont->setCurrentText(itemFont);
    m_ui->Txt_LineCount->setText(QString::number(lineCount));
}

SettingFrame FramePage::frame() const
{
    SettingFrame frame;
    frame.title = m_ui->Txt_FrameTitle->text();
    frame.font = m_ui->Cbo_FrameFont->currentText();
    frame.itemFont = m_ui->Cbo_ItemFont->currentText();
    frame.lineCount = m_ui->Txt_LineCount->text();
    return frame;
}

PageFields FramePage::fields() const
{
    using namespace SettingFormat;
    const SettingFrame values = frame();
    return {{m_ui->Txt_FrameTitle, QStringLiteral("タイトル"), Title, values.title},
            {m_ui->Cbo_FrameFont, QStringLiteral("タイトルのフォント"), Font, values.font},
            {m_ui->Cbo_ItemFont, QStringLiteral("項目のフォント"), ItemFont, values.itemFont},
            {m_ui->Txt_LineCount, QStringLiteral("1行の項目数"), LineCount, values.lineCount}};
}

void FramePage::setTitle(const QString &title)
{
    m_ui->Txt_FrameTitle->setText(title);
}

void FramePage::setLineCount(const QString &lineCount)
{
    m_ui->Txt_LineCount->setText(lineCount);
}

void FramePage::setFont(const QString &font)
{
    m_ui->Cbo_FrameFont->setCurrentText(font);
}

void FramePage::resetLook()
{
    const QColor window = QApplication::palette().color(QPalette::Base);
    for (QWidget *field :
         {static_cast<QWidget *>(m_ui->Txt_FrameTitle), static_cast<QWidget *>(m_ui->Cbo_FrameFont),
          static_cast<QWidget *>(m_ui->Cbo_ItemFont),
          static_cast<QWidget *>(m_ui->Txt_LineCount)}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, window);
        field->setPalette(palette);
    }
}

bool FramePage::eventFilter(QObject *watched, QEvent *event)
{
    // Delete in a font list picks its empty first entry: the frame falls back to the
    // default font.
    if (event->type() == QEvent::KeyPress &&
        (watched == m_ui->Cbo_FrameFont || watched == m_ui->Cbo_ItemFont) &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        static_cast<QComboBox *>(watched)->setCurrentIndex(0);
        return true;
    }
    if (event->type() == QEvent::FocusOut &&
        FocusMoves::FncBln_LeavesField(*static_cast<QFocusEvent *>(event))) {
        emit fieldLeft();
    }
    return QFrame::eventFilter(watched, event);
}
