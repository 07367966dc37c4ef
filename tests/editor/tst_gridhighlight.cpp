#include "GridHighlight.h"

#include <QGridLayout>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

class tst_GridHighlight final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void isLit_data();
    void isLit();
    void captions();
    void pointerLightsTheBlock_data();
    void pointerLightsTheBlock();
    void releaseSizeIsFourteen();

private:
    QLabel *cell(int column, int row) const
    {
        return m_window->findChild<QLabel *>(u"Lbl_Box0%1_%2"_s.arg(column).arg(row));
    }

    std::unique_ptr<QWidget> m_window;
};

void tst_GridHighlight::init()
{
    m_window = std::make_unique<QWidget>();
    auto *grid = new QGridLayout(m_window.get());
    QList<QList<QWidget *>> columns;
    for (int c = 1; c <= GridHighlight::Columns; ++c) {
        QList<QWidget *> column;
        for (int r = 0; r < GridHighlight::Rows; ++r) {
            auto *label = new QLabel(GridHighlight::caption(c, r), m_window.get());
            label->setObjectName(u"Lbl_Box0%1_%2"_s.arg(c).arg(r));
            QFont font = label->font();
            font.setPointSize(9);
            label->setFont(font);
            grid->addWidget(label, r, c - 1);
            column << label;
        }
        columns << column;
    }
    new GridHighlight(columns, m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_GridHighlight::cleanup()
{
    m_window.reset();
}

void tst_GridHighlight::isLit_data()
{
    QTest::addColumn<int>("cellColumn");
    QTest::addColumn<int>("cellRow");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("lit");
    QTest::newRow("pointer cell") << 2 << 3 << 2 << 3 << true;
    QTest::newRow("top left") << 1 << 0 << 2 << 3 << true;
    QTest::newRow("right of block") << 3 << 0 << 2 << 3 << false;
    QTest::newRow("below block") << 1 << 4 << 2 << 3 << false;
    QTest::newRow("1x1 only itself") << 1 << 0 << 1 << 0 << true;
}

void tst_GridHighlight::isLit()
{
    QFETCH(int, cellColumn);
    QFETCH(int, cellRow);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, lit);
    QCOMPARE(GridHighlight::isLit(cellColumn, cellRow, column, row), lit);
}

void tst_GridHighlight::captions()
{
    QCOMPARE(GridHighlight::caption(1, 0), u"1×1"_s);
    QCOMPARE(GridHighlight::caption(3, 4), u"3×5"_s);
}

void tst_GridHighlight::pointerLightsTheBlock_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::newRow("3x5") << 3 << 4;
    QTest::newRow("2x4") << 2 << 3;
    QTest::newRow("1x1") << 1 << 0;
}

void tst_GridHighlight::pointerLightsTheBlock()
{
    QFETCH(int, column);
    QFETCH(int, row);
    // From the largest block to a smaller one: cells outside it must turn white again.
    QTest::mouseMove(cell(3, 4));
    QTRY_COMPARE(cell(3, 4)->palette().color(QPalette::Window), GridHighlight::litColor());
    QTest::mouseMove(cell(column, row));
    QTRY_COMPARE(cell(column, row)->palette().color(QPalette::Window), GridHighlight::litColor());
    int lit = 0;
    for (int c = 1; c <= 3; ++c) {
        for (int r = 0; r < 5; ++r) {
            const QColor colour = cell(c, r)->palette().color(QPalette::Window);
            QVERIFY(colour == GridHighlight::litColor() || colour == GridHighlight::restColor());
            lit += colour == GridHighlight::litColor();
        }
    }
    QCOMPARE(lit, column * (row + 1));
}

void tst_GridHighlight::releaseSizeIsFourteen()
{
    QLabel *label = cell(2, 1);
    QTest::mousePress(label, Qt::LeftButton);
    QCOMPARE(label->font().pointSize(), 8);
    QTest::mouseRelease(label, Qt::LeftButton);
    QCOMPARE(label->font().pointSize(), 14);
    QTest::mousePress(label, Qt::LeftButton);
    QCOMPARE(label->font().pointSize(), 13);
    QTest::mouseRelease(label, Qt::LeftButton);
    QCOMPARE(label->font().pointSize(), 14);
}

QTEST_MAIN(tst_GridHighlight)
#include "tst_gridhighlight.moc"
