#include "Cls_MessageLabel.h"

#include <QPainter>
#include <QTextLayout>

namespace {

// Space kept between the text and a label beside it.
constexpr int kGap = 3;

} // namespace

Cls_MessageLabel::Cls_MessageLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Cls_MessageLabel::setObstacles(const QList<QWidget *> &obstacles)
{
    m_obstacles.clear();
    for (QWidget *obstacle : obstacles)
        m_obstacles.append(obstacle);
    update();
}

QRect Cls_MessageLabel::lineRect(int line) const
{
    const int height = fontMetrics().lineSpacing();
    QRect rect(0, line * height, width(), height);
    for (const QPointer<QWidget> &obstacle : m_obstacles) {
        if (!obstacle || !obstacle->isVisibleTo(parentWidget()) ||
            obstacle->parentWidget() != parentWidget())
            continue;
        const QRect other = obstacle->geometry().translated(-pos());
        if (other.top() < rect.bottom() && other.bottom() > rect.top() && other.left() > 0)
            rect.setRight(qMin(rect.right(), other.left() - kGap - 1));
    }
    return rect;
}

QStringList Cls_MessageLabel::displayedLines() const
{
    QString text = this->text();
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(u'\n', QChar::LineSeparator);
    text.replace(u'\r', QChar::LineSeparator);
    const int lineCount = qMax(1, height() / qMax(1, fontMetrics().lineSpacing()));

    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (int n = 0; n < lineCount; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        const int width = qMax(0, lineRect(n).width());
        line.setLineWidth(width);
        const qsizetype end = line.textStart() + line.textLength();
        if (n == lineCount - 1 && end < text.size()) {
            // The last line that fits takes the rest of the text, cut to its room.
            const QString rest = text.mid(line.textStart()).replace(QChar::LineSeparator, u' ');
            lines.append(fontMetrics().elidedText(rest, Qt::ElideRight, width));
            break;
        }
        QString piece = text.mid(line.textStart(), line.textLength());
        while (piece.endsWith(QChar::LineSeparator))
            piece.chop(1);
        lines.append(piece);
    }
    layout.endLayout();
    return lines;
}

void Cls_MessageLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    const QStringList lines = displayedLines();
    for (int n = 0; n < lines.size(); ++n) {
        painter.drawText(lineRect(n), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         lines.at(n));
    }
}
