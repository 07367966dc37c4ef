// One item button of the palette. Thousands of them must build and repaint in a moment,
// so an item is no widget of its own: its frame area paints it and passes it the
// pointer, and the item keeps the control's name (Txt_Button_k), text, tag and place.
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

class Cls_ItemButton final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Cls_ItemButton)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QString tag READ tag WRITE setTag)
    Q_PROPERTY(int frameNumber READ frameNumber WRITE setFrameNumber)
    Q_PROPERTY(QRect twipsGeometry READ twipsGeometry WRITE setTwipsGeometry)

public:
    // index: the button's number over the whole window (k of Txt_Button_k).
    Cls_ItemButton(int index, QObject *parent);

    int index() const { return m_index; }
    QString text() const { return m_text; }
    void setText(const QString &text);
    QString tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }
    int frameNumber() const { return m_frameNumber; }
    void setFrameNumber(int frame) { m_frameNumber = frame; }
    QRect twipsGeometry() const { return m_twips; }
    void setTwipsGeometry(const QRect &twips) { m_twips = twips; }

    // The frame area that shows the item (none while the item is not placed), and the
    // item's rectangle in it, in pixels.
    QWidget *area() const { return m_area; }
    QRect geometry() const { return m_geometry; }
    void place(QWidget *area, const QRect &geometry);
    bool isVisible() const { return m_area != nullptr; }
    QPoint mapToGlobal(const QPoint &position) const;

    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QColor textColour() const { return m_textColour; }
    QColor backColour() const { return m_backColour; }
    void setColours(const QColor &text, const QColor &back);

    // The name as painted: cut with "…" when the button is too narrow for it.
    QString displayedText() const;
    bool isElided() const { return displayedText() != m_text; }

    void paint(QPainter &painter) const;
    void update() const;

private:
    int m_index = 0;
    QString m_text;
    QString m_tag;
    int m_frameNumber = 0;
    QRect m_twips;
    QWidget *m_area = nullptr;
    QRect m_geometry;
    QFont m_font;
    QColor m_textColour;
    QColor m_backColour;
    // The elided text for the font and width it was made for.
    mutable QString m_displayed;
    mutable int m_displayedWidth = -1;
};
