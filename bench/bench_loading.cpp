// Times loading a setting file that carries many distinct comments (64,000 comments make
// 1.3 MB), as the palette and the filter load it at start. With --reference it also times
// the round-by-round comment removal (one rescan and rebuild of the text per comment) on
// the same texts and prints the ratio.
// Usage: bench_loading [--reference]
#include "CommentRemovalReference.h"
#include "setting_model.h"
#include "tag_document.h"
#include "text_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QString settingText(int comments)
{
    QString text = u"<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                   u"\t<ColorSetting><FrameBackColor>FFFFFF</FrameBackColor></ColorSetting>\r\n"
                   u"\t<CommonSetting><Title>many notes</Title></CommonSetting>\r\n"
                   u"\t<DataSetting>\r\n\t<Frame1><Title>frame</Title>\r\n"_s;
    for (int i = 0; i < comments; ++i) {
        if (i % 1000 == 0)
            text +=
                u"\t<Item%1><Name>item %1</Name><Data>%1</Data></Item%1>\r\n"_s.arg(i / 1000 + 1);
        text += u"<!-- note %1 -->\r\n"_s.arg(i);
    }
    text += u"\t</Frame1>\r\n\t</DataSetting>\r\n\r\n</myItem>"_s;
    return text;
}

double bestMs(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool reference = app.arguments().contains(u"--reference"_s);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    std::printf("%-9s %9s %12s %12s %14s %8s\n", "comments", "file KB", "load ms", "remove ms",
                "by rounds ms", "ratio");
    for (const int comments : {16000, 32000, 64000}) {
        const QString text = settingText(comments);
        const QString name = u"Many%1.xml"_s.arg(comments);
        if (!TextFile::write(dir.filePath(name), text))
            return 1;
        const qint64 bytes = QFileInfo(dir.filePath(name)).size();

        int frames = 0;
        const double loadMs = bestMs(3, [&] {
            Cls_MySettingFile model;
            model.Path(dir.path());
            model.Name(name);
            model.LoadFile();
            frames = model.GetCount();
        });
        if (frames != 1)
            return 1;
        const QString normalised = TextFile::normaliseLineEnds(text);
        QString once;
        const double removeMs = bestMs(3, [&] { once = Cls_XML::RemoveComments(normalised); });
        if (!reference) {
            std::printf("%-9d %9lld %12.1f %12.1f %14s %8s\n", comments, bytes / 1024, loadMs,
                        removeMs, "-", "-");
            continue;
        }
        QString rounds;
        const double roundsMs = bestMs(1, [&] { rounds = removeCommentsByRounds(normalised); });
        std::printf("%-9d %9lld %12.1f %12.1f %14.1f %7.0fx%s\n", comments, bytes / 1024, loadMs,
                    removeMs, roundsMs, roundsMs / removeMs, rounds == once ? "" : "  DIFFERS");
    }
    return 0;
}
