// SamplePalette: the colour page's small copy of the palette ("表示サンプル"): three
// frames of sample items that show the five colours at once, with the palette's pointer and
// press effects.
#pragma once

#include <QColor>
#include <QGroupBox>
#include <QList>

#include <array>

class QLineEdit;

class SamplePalette final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SamplePalette)

public:
    static constexpr int ItemCount = 14;
    static constexpr int RestingPointSize = 9;

    explicit SamplePalette(QWidget *parent = nullptr);
    ~SamplePalette() override;

    // Applies the five colour texts (Base, Title, Label, Back, Fore, as the rows hold them)
    // and puts every item back to its resting look.
    void refreshSample(const std::array<QString, 5> &colorTexts);
    // The look of the item under the pointer for one item, the resting look for the rest.
    void hoverItem(int index);
    void resetItems();

    // The item in the selected look, or -1.
    int litItem() const { return m_lit; }
    const QList<QGroupBox *> &frames() const { return Fra_Items; }
    const QList<QLineEdit *> &items() const { return Txt_Button; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QGroupBox *> Fra_Items;
    QList<QLineEdit *> Txt_Button;
    QColor m_base = Qt::white;
    QColor m_label = Qt::black;
    QColor m_back = Qt::white;
    QColor m_fore = Qt::black;
    int m_lit = -1;
};
