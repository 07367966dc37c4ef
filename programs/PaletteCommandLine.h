// The palette's command line: its options, the filter that runs an item on standard
// input without a window, and the item addressing shared with the automation hook.
#pragma once

#include "item_runner.h"

#include <QList>
#include <QString>
#include <QStringList>

class Cls_MySettingFile;
class QCommandLineParser;

namespace PaletteCommandLine {

enum ExitStatus : int
{
    ExitOk = 0,
    ExitOutputFailed = 1,
    ExitBadArgument = 2,
    ExitPatternError = 3,
    ExitOpenFailed = 4,
    // --run: the palette did nothing (busy with another item, cancelled, nothing to undo).
    ExitNotDone = 5,
};

// One item as the palette shows it: only named items have a button.
struct PaletteItem
{
    int frameIndex = 0;  // frame position from 0 among the loaded frames
    int itemIndex = 0;   // item number from 0 within the frame (Item1 is 0)
    int position = 0;    // button position from 1 within the frame
    int buttonIndex = 0; // button number from 0 over the whole window
    QString frameTitle;
    QString name;
    ItemKind kind = ItemKind::None;

    // "n/m", positions counted from 1.
    QString address() const;
};

QList<PaletteItem> ListPaletteItems(Cls_MySettingFile &model);

struct ItemLookup
{
    const PaletteItem *item = nullptr; // the one match, into the searched list
    QList<PaletteItem> candidates;     // several matches, or near misses for an unknown one
    bool ambiguous = false;
};

// "frame title/item name" (exact, then with blanks trimmed; titles and names may hold
// "/" themselves) or "n/m".
ItemLookup FindPaletteItem(const QList<PaletteItem> &items, const QString &itemPath);

QString KindName(ItemKind kind);

// The palette program's file name without ".exe".
QString ProgramName();

void AddOptions(QCommandLineParser &parser);

enum class RunMode
{
    Window,          // the palette window
    Screenshot,      // the palette window, captured into a picture
    Filter,          // --apply, --list, --help, --version: no display needed
    FilterWithShell, // --apply with --open: the shell open needs a GUI application
    Remote,          // --run, --undo: a request to the running palette
};

// What is wrong with the arguments of a window run (the program name first), or "".
// Works without an application object, so that a bad option is named even where there
// is no display.
QString CheckWindowArguments(const QStringList &arguments);

// What keeps the palette from working with a settings folder: it cannot be read, or the
// setting file is missing and cannot be written there. "" when the folder is usable.
QString SettingFolderProblem(const QString &folder, const QString &settingFile);

// Looks at the raw arguments before any application object exists.
RunMode DetectRunMode(int argc, char **argv);

// The filter run; needs only a core application (a GUI one when --open is given).
int RunFilter(const QStringList &arguments);

} // namespace PaletteCommandLine
