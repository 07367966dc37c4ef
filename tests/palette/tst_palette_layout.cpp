#include "Cls_MessageLabel.h"
#include "tst_palette_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QToolTip>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class tst_PaletteLayout : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }

    void defaultTemplateGeometry();
    void columns_data();
    void columns();
    void unnamedAndSparseItems();
    void selector_data();
    void selector();
    void settingWithoutFrames();
    void caption_data();
    void caption();
    void windowPosition_data();
    void windowPosition();
    void toColour_data();
    void toColour();
    void appliedColours();
    void oversizedValuesStayBounded();
    void frameBorderAroundItems();
    void longItemNameElided();
    void longMessageElided();
    void icon_data();
    void joinPath_data();
    void joinPath();
    void icon();

private:
    PaletteFixture m_fixture;
};

namespace {

QRect twips(const QWidget *window, const QString &name)
{
    const auto *control = window->findChild<QObject *>(name);
    return control ? Frm_Item_FromIniFile::TwipsGeometry(control) : QRect();
}

QString namedItem(const QString &name)
{
    return element(QStringLiteral("Name"), name) + element(QStringLiteral("Data"), name);
}

} // namespace

void tst_PaletteLayout::defaultTemplateGeometry()
{
    // No setting file: the default one is written and shown.
    Frm_Item_FromIniFile *window = m_fixture.open();
    QVERIFY(window);
    QVERIFY(QFile::exists(m_fixture.dir->filePath(QStringLiteral("Quorvel.xml"))));

    QCOMPARE(twips(window, "Fra_Items_0"), QRect(0, 0, 2745, 790));
    QCOMPARE(twips(window, "Fra_Items_1"), QRect(0, 790, 2745, 565));
    QCOMPARE(twips(window, "Txt_Button_0"), QRect(150, 270, 2445, 225));
    QCOMPARE(twips(window, "Txt_Button_1"), QRect(150, 495, 2445, 225));
    QCOMPARE(twips(window, "Txt_Button_2"), QRect(150, 1060, 2445, 225));
    QCOMPARE(itemButton(window, 2)->text(), QStringLiteral("今日日付"));
    QCOMPARE(itemButton(window, 2)->property("tag").toString(), "0");
    // Painted by its frame area, at its place in the window.
    QCOMPARE(itemButton(window, 2)->area(), child<QWidget>(window, "Fra_Items_1"));
    // The group box takes its title once the event loop runs.
    QTRY_COMPARE(child<QGroupBox>(window, "Fra_Items_1")->title(), QStringLiteral("Tips"));
    // The bottom area overlaps the last frame area by 135.
    QCOMPARE(twips(window, "Fra_Bottom"), QRect(0, 1220, 2745, 705));
    QCOMPARE(twips(window, "Lbl_ButtonEdit").x(), 2445 - 90);
    QCOMPARE(twips(window, "Lbl_Reload").x(), 2445 - 630);
    QCOMPARE(twips(window, "Lbl_Msg").width(), 2445 - 270);
    QCOMPARE(window->ClientTwips().width(), 2760);
    // 705 + (790 + 565) + 250.
    QCOMPARE(window->OuterTwips().height(), 2310);
    QVERIFY(!child<QComboBox>(window, "Cbo_SettingFiles")->isVisible());
    QVERIFY(!child<QLabel>(window, "Lbl_Reload")->isVisible());
    QVERIFY(!child<QCheckBox>(window, "Chk_More")->isVisible());

    // Pixels follow the logical DPI, edge by edge.
    const double scale = window->logicalDpiY() / 1440.0;
    QCOMPARE(child<QGroupBox>(window, "Fra_Items_1")->y(), qRound(790 * scale));
    QCOMPARE(window->height(), qRound(1925 * scale));

    // Lower right: Right and Bottom, 900 twips above the screen's bottom edge and 100
    // from its right edge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = window->OuterTwips();
    QCOMPARE(window->pos().y(),
             qRound((qRound(screen.height() / scale) - outer.height() - 900) * scale));
    QCOMPARE(window->pos().x(),
             qRound((qRound(screen.width() / scale) - outer.width() - 100) * scale));
}

void tst_PaletteLayout::columns_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("itemWidth");
    QTest::addColumn<QList<QRect>>("cells");

    // 2445 / 2 = 1222.5 rounds to the even 1222.
    QTest::newRow("two columns, three items")
        << 2 << 2445
        << QList<QRect>{{150, 270, 1222, 225}, {1372, 270, 1222, 225}, {150, 495, 1222, 225}};
    QTest::newRow("half rounds up to even")
        << 4 << 2446
        << QList<QRect>{{150, 270, 612, 225}, {762, 270, 612, 225}, {1374, 270, 612, 225}};
    QTest::newRow("more columns than items")
        << 5 << 2445
        << QList<QRect>{{150, 270, 489, 225}, {639, 270, 489, 225}, {1128, 270, 489, 225}};
    QTest::newRow("zero means one")
        << 0 << 3000
        << QList<QRect>{{150, 270, 3000, 225}, {150, 495, 3000, 225}, {150, 720, 3000, 225}};
}

void tst_PaletteLayout::columns()
{
    QFETCH(int, lineCount);
    QFETCH(int, itemWidth);
    QFETCH(QList<QRect>, cells);
    const QString common = element(QStringLiteral("ItemWidth"), QString::number(itemWidth));
    const QString frame =
        frameText(QStringLiteral("F"),
                  {namedItem(QStringLiteral("a")), namedItem(QStringLiteral("b")),
                   namedItem(QStringLiteral("c"))},
                  element(QStringLiteral("LineCount"), QString::number(lineCount)));
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile(common, {frame}));
    QVERIFY(window);
    for (int i = 0; i < cells.size(); ++i)
        QCOMPARE(twips(window, QStringLiteral("Txt_Button_%1").arg(i)), cells.at(i));
    const int rows = (cells.last().y() - 270) / 225 + 1;
    QCOMPARE(twips(window, "Fra_Items_0").height(), 270 + rows * 225 + 70);
    QCOMPARE(window->ClientTwips().width(), 2760 + itemWidth - 2445);
    QCOMPARE(twips(window, "Lbl_ButtonEdit").x(), itemWidth - 90);
    QCOMPARE(twips(window, "Lbl_Reload").x(), itemWidth - 630);
    QCOMPARE(twips(window, "Lbl_Msg").width(), itemWidth - 270);
    QCOMPARE(twips(window, "Fra_Bottom").width(), itemWidth + 300);
    QCOMPARE(twips(window, "Chk_Most").x(), 2490 + itemWidth - 2445);
}

void tst_PaletteLayout::unnamedAndSparseItems()
{
    // Item2 has a pattern but no name; Item5 is the only other one.
    const QString frame = element(QStringLiteral("Title"), QStringLiteral("F")) +
                          element(QStringLiteral("Item2"), element(QStringLiteral("Reg"), "x")) +
                          element(QStringLiteral("Item5"), namedItem(QStringLiteral("fifth")));
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile({}, {frame}));
    QVERIFY(window);
    auto *button = itemButton(window, 0);
    QCOMPARE(button->text(), QStringLiteral("fifth"));
    QCOMPARE(button->property("tag").toString(), QStringLiteral("4"));
    QCOMPARE(twips(window, "Txt_Button_0"), QRect(150, 270, 2445, 225));
    QVERIFY(!itemButton(window, 1));
}

void tst_PaletteLayout::selector_data()
{
    QTest::addColumn<QString>("modeSelecter");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("firstTop");
    QTest::newRow("on") << "True" << true << 300;
    QTest::newRow("off") << "False" << false << 0;
    QTest::newRow("blank before") << " true" << false << 0;
}

void tst_PaletteLayout::selector()
{
    QFETCH(QString, modeSelecter);
    QFETCH(bool, visible);
    QFETCH(int, firstTop);
    for (const char *name : {"a.xml", "b.XML", "c.txt"})
        QVERIFY(m_fixture.write(QString::fromLatin1(name), QStringLiteral("<x/>")));
    const QString frame = frameText(QStringLiteral("F"), {namedItem(QStringLiteral("a"))});
    Frm_Item_FromIniFile *window =
        m_fixture.open(settingFile(element(QStringLiteral("ModeSelecter"), modeSelecter), {frame}));
    QVERIFY(window);
    auto *selector = child<QComboBox>(window, "Cbo_SettingFiles");
    QStringList entries;
    for (int i = 0; i < selector->count(); ++i)
        entries << selector->itemText(i);
    entries.sort();
    QCOMPARE(entries, (QStringList{QStringLiteral("Quorvel"), QStringLiteral("a")}));
    QCOMPARE(selector->currentText(), QStringLiteral("Quorvel"));
    QCOMPARE(selector->isVisible(), visible);
    QCOMPARE(twips(window, "Fra_Items_0").y(), firstTop);
    QCOMPARE(twips(window, "Txt_Button_0").y(), firstTop + 270);
    QCOMPARE(window->OuterTwips().height(), 705 + 565 + 250 + (visible ? 300 : 0));
}

void tst_PaletteLayout::settingWithoutFrames()
{
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile({}, {}));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!child<QGroupBox>(window, "Fra_Items_0")->isVisible());
    QVERIFY(!itemButton(window, 0)->isVisible());
    QVERIFY(child<QFrame>(window, "Fra_Bottom")->isVisible());
    QCOMPARE(twips(window, "Fra_Bottom").y(), 0);
    QCOMPARE(window->ClientTwips().height(), 705);
    QVERIFY(child<QLabel>(window, "Lbl_ButtonEdit")->isVisible());
}

void tst_PaletteLayout::caption_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    const QString number = QStringLiteral("%1.%2.%3")
                               .arg(QUORVEL_VERSION_MAJOR)
                               .arg(QUORVEL_VERSION_MINOR)
                               .arg(QUORVEL_VERSION_PATCH);
    QTest::newRow("version and title") << "True"
                                       << "Tools"
                                       << "Tools ver" + number;
    QTest::newRow("version without title") << "true"
                                           << ""
                                           << "Tarnwick ver" + number;
    QTest::newRow("title only") << "False"
                                << "Tools"
                                << "Tools";
    QTest::newRow("flag with blank") << "True "
                                     << "Tools"
                                     << "Tools";
}

void tst_PaletteLayout::caption()
{
    QFETCH(QString, version);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    const QString common =
        element(QStringLiteral("Version"), version) + element(QStringLiteral("Title"), title);
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile(common, {}));
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), caption);
}

void tst_PaletteLayout::windowPosition_data()
{
    QTest::addColumn<qint64>("screen");
    QTest::addColumn<qint64>("window");
    QTest::addColumn<QString>("word");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<qint64>("expected");
    // Room 15360 - 2311 = 13049.
    QTest::newRow("bottom") << 15360ll << 2311ll << "Bottom" << -900ll << 13049ll - 900;
    QTest::newRow("center any case") << 15360ll << 2311ll << "CeNtEr" << 0ll << 6524ll;
    QTest::newRow("center half to even") << 15361ll << 2310ll << "center" << 0ll << 6526ll;
    QTest::newRow("center, then offset") << 15360ll << 2311ll << "center" << 100ll << 6624ll;
    QTest::newRow("top") << 15360ll << 2311ll << "Top" << 40ll << 40ll;
    QTest::newRow("unknown word is top") << 15360ll << 2311ll << "middle" << 0ll << 0ll;
    QTest::newRow("word with blank is top") << 15360ll << 2311ll << "bottom " << 0ll << 0ll;
    QTest::newRow("never above the top") << 15360ll << 2311ll << "top" << -500ll << 0ll;
    QTest::newRow("never below the bottom") << 15360ll << 2311ll << "top" << 99999ll << 13049ll;
    QTest::newRow("huge offset") << 15360ll << 2311ll << "bottom" << 2147483647ll << 13049ll;
    QTest::newRow("window taller than screen") << 1000ll << 3000ll << "bottom" << 0ll << 0ll;
}

void tst_PaletteLayout::windowPosition()
{
    QFETCH(qint64, screen);
    QFETCH(qint64, window);
    QFETCH(QString, word);
    QFETCH(qint64, offset);
    QFETCH(qint64, expected);
    QCOMPARE(Frm_Item_FromIniFile::FncLng_WindowPosition(screen, window, word, offset,
                                                         QStringLiteral("bottom")),
             expected);
}

void tst_PaletteLayout::toColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    QTest::newRow("pale blue") << "C0C0FF" << qint32(0xC0 + 256 * 0xC0 + 65536 * 0xFF);
    QTest::newRow("blanks and tabs") << "\t C0C0FF  " << qint32(0xC0 + 256 * 0xC0 + 65536 * 0xFF);
    QTest::newRow("number padded") << "80" << qint32(65536 * 0x80);
    QTest::newRow("number with blanks") << " 80 " << qint32(65536 * 0x80);
    QTest::newRow("number with leading zeros") << "0000080" << qint32(65536 * 0x80);
    QTest::newRow("lower case") << "ff0000" << qint32(0xFF);
    QTest::newRow("short") << "FF" << qint32(0xFF);
    QTest::newRow("unreadable pairs") << "zzFFzz" << qint32(256 * 0xFF);
    QTest::newRow("half readable pair") << "1z" << qint32(1);
    QTest::newRow("empty") << "" << qint32(0);
    QTest::newRow("full-width digits") << "ＦＦ0000" << qint32(0);
    // Each pair is read up to its first non-hex character, blanks around it ignored.
    QTest::newRow("pair with blank and letter") << "C0 1g" << qint32(0xC0 + 256 * 0x01);
}

void tst_PaletteLayout::toColour()
{
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QCOMPARE(Frm_Item_FromIniFile::FncLng_ToColour(text), value);
}

void tst_PaletteLayout::appliedColours()
{
    const QString colours = element(QStringLiteral("Base"), QStringLiteral("80")) +
                            element(QStringLiteral("Title"), QStringLiteral("FF0000")) +
                            element(QStringLiteral("Label"), QStringLiteral("00FF00")) +
                            element(QStringLiteral("Back"), QStringLiteral("FFFF00")) +
                            element(QStringLiteral("Fore"), QString());
    const QString frame = frameText(
        QStringLiteral("F"), {namedItem(QStringLiteral("a")), namedItem(QStringLiteral("b"))});
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile({}, {frame}, colours));
    QVERIFY(window);
    const QColor darkBlue(0, 0, 0x80);
    QCOMPARE(window->palette().color(QPalette::Window), darkBlue);
    QCOMPARE(child<QFrame>(window, "Fra_Bottom")->palette().color(QPalette::Window), darkBlue);
    QCOMPARE(child<QCheckBox>(window, "Chk_Most")->palette().color(QPalette::Window), darkBlue);
    auto *frameArea = child<QGroupBox>(window, "Fra_Items_0");
    QCOMPARE(frameArea->palette().color(QPalette::Window), darkBlue);
    QCOMPARE(frameArea->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(child<QLabel>(window, "Lbl_Msg")->palette().color(QPalette::WindowText),
             QColor(Qt::green));

    // After the load the items show Base under Label; the pointer brings Back and Fore,
    // and an empty Fore is the Label colour.
    const Cls_ItemButton *first = itemButton(window, 0);
    const Cls_ItemButton *second = itemButton(window, 1);
    QCOMPARE(first->backColour(), darkBlue);
    QCOMPARE(first->textColour(), QColor(Qt::green));
    QTest::mouseMove(first->area(), itemCentre(first));
    QTRY_COMPARE(first->backColour(), QColor(Qt::yellow));
    QCOMPARE(first->textColour(), QColor(Qt::green));
    QTest::mouseMove(second->area(), itemCentre(second));
    QTRY_COMPARE(second->backColour(), QColor(Qt::yellow));
    QCOMPARE(first->backColour(), darkBlue);
    QTest::mouseMove(child<QLabel>(window, "Lbl_Msg"));
    QTRY_COMPARE(second->backColour(), darkBlue);
}

void tst_PaletteLayout::oversizedValuesStayBounded()
{
    const QString common =
        element(QStringLiteral("ItemWidth"), QStringLiteral("2147483647")) +
        element(QStringLiteral("ItemHeight"), QStringLiteral("2147483647")) +
        element(QStringLiteral("PositioningLeft"), QStringLiteral("-2147483648"));
    const QString frame =
        frameText(QStringLiteral("F"), {namedItem(QStringLiteral("a"))},
                  element(QStringLiteral("LineCount"), QStringLiteral("2147483647")));
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile(common, {frame}));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->ClientTwips().height() > 0);
    QVERIFY(window->ClientTwips().width() > 0);
    QVERIFY(window->pos().x() >= 0);
}

void tst_PaletteLayout::frameBorderAroundItems()
{
    // The border's top line runs through the title, above the first row of items.
    Frm_Item_FromIniFile *window = m_fixture.open();
    QVERIFY(window);
    auto *area = child<QWidget>(window, "Fra_Items_0");
    const QImage image = area->grab().toImage();
    const QColor base = area->palette().color(QPalette::Window);
    const int x = image.width() - 4;
    int borderTop = -1;
    for (int y = 0; y < image.height() && borderTop < 0; ++y) {
        if (image.pixelColor(x, y) != base)
            borderTop = y;
    }
    QVERIFY(borderTop >= 0);
    QVERIFY2(borderTop < itemButton(window, 0)->geometry().top(),
             qPrintable(QString::number(borderTop)));
    // ... and its bottom line below the last one.
    int borderBottom = -1;
    for (int y = image.height() - 1; y >= 0 && borderBottom < 0; --y) {
        if (image.pixelColor(x, y) != base)
            borderBottom = y;
    }
    QVERIFY(borderBottom >= itemButton(window, 1)->geometry().bottom());
}

void tst_PaletteLayout::longItemNameElided()
{
    const QString name = QStringLiteral("とても長い項目の名前はボタンの幅に収まりません");
    const QString frame = frameText(QStringLiteral("F"), {namedItem(name), namedItem("ok")});
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile({}, {frame}));
    QVERIFY(window);
    const Cls_ItemButton *item = itemButton(window, 0);
    QCOMPARE(item->text(), name);
    QVERIFY(item->isElided());
    QVERIFY(item->displayedText().endsWith(QChar(0x2026)));
    QVERIFY(QFontMetrics(item->font()).horizontalAdvance(item->displayedText()) <=
            item->geometry().width());
    QVERIFY(!itemButton(window, 1)->isElided());
    // The whole name shows as a tooltip under the pointer.
    QTest::mouseMove(item->area(), itemCentre(item));
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
    QCOMPARE(QToolTip::text(), name);
}

void tst_PaletteLayout::longMessageElided()
{
    const QString name = QStringLiteral("長い名前").repeated(8);
    const QString frame =
        frameText(QStringLiteral("F"), {namedItem(name)}, element("LineCount", "3"));
    Frm_Item_FromIniFile *window = m_fixture.open(settingFile({}, {frame}));
    QVERIFY(window);
    window->ApplyOpenOptions(false, true);
    clickItem(itemButton(window, 0));
    auto *line = child<Cls_MessageLabel>(window, "Lbl_Msg");
    const QString whole = QStringLiteral("[") + name + QStringLiteral("]をｺﾋﾟｰしました");
    QCOMPARE(line->text(), whole);
    QCOMPARE(line->toolTip(), whole);
    // As many lines as the area holds, the last one cut with "…", none running under the
    // Reload and Edit labels.
    const QStringList lines = line->displayedLines();
    QCOMPARE(lines.size(), line->height() / line->fontMetrics().lineSpacing());
    QVERIFY(lines.last().endsWith(QChar(0x2026)));
    for (int n = 0; n < lines.size(); ++n) {
        const QRect room = line->lineRect(n);
        QVERIFY(room.bottom() < line->height());
        QVERIFY(line->fontMetrics().horizontalAdvance(lines.at(n)) <= room.width());
        const QRect used =
            QRect(room.topLeft(),
                  QSize(line->fontMetrics().horizontalAdvance(lines.at(n)), room.height()))
                .translated(line->pos());
        for (const char *label : {"Lbl_Reload", "Lbl_ButtonEdit"})
            QVERIFY2(!used.intersects(child<QLabel>(window, label)->geometry()), label);
    }
}

void tst_PaletteLayout::icon_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<QSize>("size");
    QTest::newRow("own icon") << "" << 0 << QSize(32, 32);
    QTest::newRow("picture") << "icon.png" << 0 << QSize(16, 16);
    QTest::newRow("missing") << "missing.png" << 53 << QSize(32, 32);
    QTest::newRow("not a picture") << "Quorvel.xml" << 481 << QSize(32, 32);
    QTest::newRow("folder") << "." << 481 << QSize(32, 32);
#ifdef Q_OS_UNIX
    QTest::newRow("pipe nobody writes to") << "fifo" << 481 << QSize(32, 32);
#endif
}

void tst_PaletteLayout::icon()
{
    QFETCH(QString, picture);
    QFETCH(int, errorNumber);
    QFETCH(QSize, size);
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(m_fixture.dir->filePath(QStringLiteral("icon.png"))));
#ifdef Q_OS_UNIX
    QCOMPARE(::mkfifo(QFile::encodeName(m_fixture.dir->filePath(QStringLiteral("fifo"))), 0600), 0);
#endif
    const QString path = picture.isEmpty() ? picture : m_fixture.dir->filePath(picture);
    Frm_Item_FromIniFile *window =
        m_fixture.open(settingFile(element(QStringLiteral("PictureName"), path), {}));
    QVERIFY(window);
    QTRY_COMPARE(window->windowIcon().availableSizes(), QList<QSize>{size});
    if (errorNumber == 0) {
        QVERIFY(m_fixture.boxes().isEmpty());
    } else {
        QCOMPARE(m_fixture.boxes().size(), 1);
        QCOMPARE(m_fixture.boxes().first().title, QStringLiteral("VB Error"));
        QVERIFY(m_fixture.boxes().first().prompt.startsWith(QString::number(errorNumber) + u' '));
    }
}

void tst_PaletteLayout::joinPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("joined");
    const QString s = QDir::separator();
    QTest::newRow("no folder") << "  "
                               << "a.xml"
                               << "a.xml";
    QTest::newRow("neither") << " " + s + "x "
                             << "a" << s + "x" + s + "a";
    QTest::newRow("folder ends") << s + "x" + s << "a" << s + "x" + s + "a";
    QTest::newRow("name starts") << s + "x" << s + "a" << s + "x" + s + "a";
    QTest::newRow("both") << s + "x" + s << s + "a" << s + "x" + s + "a";
}

void tst_PaletteLayout::joinPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, joined);
    QCOMPARE(mdl_Palette::FncStr_JoinPath(folder, name), joined);
}

QTEST_MAIN(tst_PaletteLayout)
#include "tst_palette_layout.moc"
