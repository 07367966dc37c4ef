// Times the editor showing an item page whose value is one long run without blanks (a
// pasted blob), as a click in the tree shows it: item, its frame, the item again. Each
// field is timed with a 400,000-character value and with a short one; the ratio says what
// the long value costs. Runs on the offscreen platform unless another is set.
// Usage: bench_editor_pages [characters]
#include "EditorState.h"
#include "Frm_Setting.h"
#include "cp932_codec.h"
#include "setting_model.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool writeSetting(const QString &path, const QString &body)
{
    const QString text = u"<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                         u"<ColorSetting><Base>C0C0FF</Base></ColorSetting>\r\n"
                         u"<CommonSetting><Title>T</Title></CommonSetting>\r\n"
                         u"<DataSetting><Frame1><Title>F</Title><Item1><Name>I</Name>"_s +
                         body + u"</Item1></Frame1></DataSetting>\r\n</myItem>\r\n"_s;
    QFile file(path);
    const std::optional<QByteArray> bytes = Cp932Codec::encode(text);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size();
}

void clickNode(QTreeWidget *tree, QTreeWidgetItem *node)
{
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

// Milliseconds for the three clicks, best of runs.
double showMs(const QString &body, int runs)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !writeSetting(QDir(dir.path()).filePath(u"s.xml"_s), body))
        return -1;
    EditorState state{dir.path(), u"QuorvelMate"_s, u"QuorvelMate.xml"_s, QString(),
                      std::make_shared<Cls_MySettingFile>()};
    Frm_Setting form(state);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return -1;
    auto *tree = form.findChild<QTreeWidget *>(u"Trv_EditList"_s);
    QTreeWidgetItem *frame = tree != nullptr ? tree->topLevelItem(0) : nullptr;
    if (frame == nullptr)
        return -1;
    frame->setExpanded(true);
    QTest::qWait(0);
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        // Start from the frame, so that every run shows the item afresh.
        clickNode(tree, frame);
        QElapsedTimer timer;
        timer.start();
        clickNode(tree, frame->child(0));
        clickNode(tree, frame);
        clickNode(tree, frame->child(0));
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    form.close();
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Frm_Setting::SetEndHandler([] {});
    const QStringList arguments = QCoreApplication::arguments();
    const int length = arguments.size() > 1 ? arguments.at(1).toInt() : 400'000;
    if (length <= 0) {
        std::fprintf(stderr, "usage: bench_editor_pages [characters]\n");
        return 2;
    }
    const QString blob(length, u'x');
    const QString word = u"short value"_s;
    struct Field
    {
        const char *name;
        QString (*body)(const QString &);
    };
    const Field fields[] = {
        {"data", [](const QString &v) { return u"<Data>"_s + v + u"</Data>"_s; }},
        {"pattern", [](const QString &v) { return u"<Reg>"_s + v + u"</Reg>"_s; }},
        {"replacement",
         [](const QString &v) { return u"<Reg>a</Reg><Replace>"_s + v + u"</Replace>"_s; }},
    };
    std::printf("item page with a %d-character value without blanks: item, frame, item "
                "(best of 3)\n",
                length);
    int status = 0;
    for (const Field &field : fields) {
        const double shortMs = showMs(field.body(word), 3);
        const double longMs = showMs(field.body(blob), 3);
        if (shortMs < 0 || longMs < 0) {
            std::fprintf(stderr, "%s: the form could not be shown\n", field.name);
            status = 1;
            continue;
        }
        std::printf("  %-12s short %8.1f ms   long %8.1f ms   ratio %6.1f\n", field.name, shortMs,
                    longMs, longMs / std::max(shortMs, 0.001));
    }
    return status;
}
