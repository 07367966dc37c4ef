#include "PaletteCommandLine.h"

#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "setting_values.h"
#include "settings_location.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace PaletteCommandLine {

namespace {

const QString kApply = QStringLiteral("apply");
const QString kAppend = QStringLiteral("append");
const QString kOpen = QStringLiteral("open");
const QString kList = QStringLiteral("list");
const QString kSettings = QStringLiteral("settings");
const QString kSettingsDir = QStringLiteral("settings-dir");
const QString kScreenshot = QStringLiteral("screenshot");
const QString kRun = QStringLiteral("run");
const QString kUndo = QStringLiteral("undo");

bool writeBytes(FILE *stream, const QByteArray &bytes)
{
    bool written = true;
    if (!bytes.isEmpty()) {
        written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream) ==
                  static_cast<size_t>(bytes.size());
    }
    return std::fflush(stream) == 0 && written;
}

bool writeText(FILE *stream, const QString &text)
{
    QStringEncoder encoder(QStringEncoder::Utf8);
    return writeBytes(stream, encoder.encode(text));
}

void writeError(const QString &line)
{
    writeText(stderr,
              QCoreApplication::applicationName() + QStringLiteral(": ") + line + QChar(u'\n'));
}

// A result that did not reach its reader (a full disk, a closed pipe) is no success.
int outputFailed()
{
    writeError(QStringLiteral("cannot write standard output"));
    return ExitOutputFailed;
}

ItemKind kindOf(const SettingFrameOutline::Item &item)
{
    // The precedence of a click: a pattern wins over a stored text over a link.
    if (item.hasReg) {
        return ItemKind::Edit;
    }
    if (item.hasData) {
        return ItemKind::Copy;
    }
    if (item.hasLink) {
        return ItemKind::Link;
    }
    return ItemKind::None;
}

bool sameItem(const PaletteItem &a, const PaletteItem &b)
{
    return a.frameIndex == b.frameIndex && a.itemIndex == b.itemIndex;
}

void addUnique(QList<PaletteItem> &list, const PaletteItem &item)
{
    for (const PaletteItem &present : list) {
        if (sameItem(present, item)) {
            return;
        }
    }
    list.append(item);
}

// Every way of splitting an item path at one of its slashes.
QList<std::pair<QString, QString>> splits(const QString &itemPath)
{
    QList<std::pair<QString, QString>> result;
    for (qsizetype at = itemPath.indexOf(u'/'); at >= 0; at = itemPath.indexOf(u'/', at + 1)) {
        result.append({itemPath.left(at), itemPath.mid(at + 1)});
    }
    return result;
}

QString describe(const PaletteItem &item)
{
    return item.address() + QChar(u'\t') + item.frameTitle + QChar(u'/') + item.name;
}

// Standard input as UTF-8, kept exactly: a byte-order mark stays, and text that is not
// UTF-8 is refused rather than silently turned into replacement characters.
bool readStandardInput(QString &text, QString &error)
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read standard input");
        return false;
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot read standard input");
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                     QStringDecoder::Flag::Stateless);
    text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = QStringLiteral("standard input is not UTF-8 text");
        return false;
    }
    return true;
}

struct Request
{
    QString itemSpec;
    bool list = false;
    bool append = false;
    bool open = false;
    QString settingsFile;
};

// Digits written straight into a buffer: ten thousand lines are listed in a moment.
char16_t *writeNumber(char16_t *out, int number)
{
    char16_t digits[12];
    int count = 0;
    unsigned value = number < 0 ? 0u - unsigned(number) : unsigned(number);
    do {
        digits[count++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (number < 0)
        *out++ = u'-';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

int listItems(const QList<PaletteItem> &items, Cls_MySettingFile &model)
{
    QString text;
    text.reserve(items.size() * 24 + 64);
    int shownFrame = -1;
    auto frameLine = [&](int frame, const PaletteItem *first) {
        // A frame's items carry its title; only a frame without items is read again.
        QString title;
        if (first != nullptr && first->frameIndex == frame) {
            title = first->frameTitle;
        } else {
            model.CurrentFrame(frame);
            title = model.GetFrameTitle();
        }
        char16_t head[16];
        char16_t *end = writeNumber(head, frame + 1);
        *end++ = u'\t';
        text += QStringView(head, end);
        text += title;
        text += QChar(u'\n');
    };
    for (const PaletteItem &item : items) {
        while (shownFrame < item.frameIndex) {
            ++shownFrame;
            frameLine(shownFrame, &item);
        }
        char16_t head[48];
        char16_t *end = writeNumber(head, item.frameIndex + 1);
        *end++ = u'/';
        end = writeNumber(end, item.position);
        *end++ = u'\t';
        const QString kind = KindName(item.kind);
        end = std::copy_n(reinterpret_cast<const char16_t *>(kind.constData()), kind.size(), end);
        *end++ = u'\t';
        text += QStringView(head, end);
        text += item.name;
        text += QChar(u'\n');
    }
    while (shownFrame < model.GetCount() - 1) {
        ++shownFrame;
        frameLine(shownFrame, nullptr);
    }
    if (!writeText(stdout, text)) {
        return outputFailed();
    }
    return ExitOk;
}

int applyItem(const Request &request, const QList<PaletteItem> &items, Cls_MySettingFile &model)
{
    const ItemLookup lookup = FindPaletteItem(items, request.itemSpec);
    if (lookup.item == nullptr) {
        if (lookup.ambiguous) {
            writeError(
                QStringLiteral("item \"%1\" is ambiguous; use its number:").arg(request.itemSpec));
        } else if (lookup.candidates.isEmpty()) {
            writeError(
                QStringLiteral("no item \"%1\"; --list shows the items").arg(request.itemSpec));
        } else {
            writeError(QStringLiteral("no item \"%1\"; items of that name:").arg(request.itemSpec));
        }
        for (const PaletteItem &candidate : lookup.candidates) {
            writeText(stderr, QStringLiteral("  ") + describe(candidate) + QChar(u'\n'));
        }
        return ExitBadArgument;
    }

    QString input;
    QString inputError;
    if (!readStandardInput(input, inputError)) {
        writeError(inputError);
        return ExitBadArgument;
    }

    const PaletteItem &item = *lookup.item;
    model.CurrentFrame(item.frameIndex);
    const ItemRunResult result = RunItem(model, item.itemIndex, input, request.append);
    if (!result.found) {
        writeError(QStringLiteral("item \"%1\" disappeared").arg(request.itemSpec));
        return ExitBadArgument;
    }
    if (result.patternError.isSet()) {
        QString where;
        if (result.patternError.offset >= 0) {
            where = QStringLiteral(" at character %1").arg(result.patternError.offset + 1);
        }
        writeError(QStringLiteral("pattern error in \"%1/%2\" (%3)%4: %5")
                       .arg(item.frameTitle, item.name, item.address(), where,
                            result.patternError.message));
        writeText(stderr, QStringLiteral("  pattern: ") + model.GetReg() + QChar(u'\n'));
        return ExitPatternError;
    }

    QStringEncoder encoder(QStringEncoder::Utf8);
    if (!writeBytes(stdout, encoder.encode(result.output))) {
        return outputFailed();
    }

    // As a click does: whatever is not a copy item and has a link is handed to the shell.
    if (request.open && result.kind != ItemKind::Copy && model.isLink()) {
        if (!FncBln_ShellOpen(nullptr, result.output)) {
            return ExitOpenFailed;
        }
    }
    return ExitOk;
}

} // namespace

QString PaletteItem::address() const
{
    return QString::number(frameIndex + 1) + QChar(u'/') + QString::number(position);
}

QList<PaletteItem> ListPaletteItems(Cls_MySettingFile &model)
{
    QList<PaletteItem> items;
    int buttonIndex = 0;
    const int count = model.GetCount();
    for (int frame = 0; frame < count; ++frame) {
        // One reading of the frame gives its title and its items.
        const SettingFrameOutline outline = SettingFrameOutline::read(model.FrameData(frame));
        int position = 0;
        for (const SettingFrameOutline::Item &value : outline.namedItems) {
            PaletteItem item;
            item.frameIndex = frame;
            item.itemIndex = value.index;
            item.position = ++position;
            item.buttonIndex = buttonIndex++;
            item.frameTitle = outline.title;
            item.name = value.name;
            item.kind = kindOf(value);
            items.append(std::move(item));
        }
    }
    // The model is left on the last frame, as reading each in turn leaves it.
    if (count > 0)
        model.CurrentFrame(count - 1);
    return items;
}

ItemLookup FindPaletteItem(const QList<PaletteItem> &items, const QString &itemPath)
{
    ItemLookup lookup;
    const auto parts = splits(itemPath);

    const auto search = [&](bool trimmed) {
        QList<const PaletteItem *> found;
        for (const PaletteItem &item : items) {
            for (const auto &[frame, name] : parts) {
                const bool match = trimmed ? (item.frameTitle.trimmed() == frame.trimmed() &&
                                              item.name.trimmed() == name.trimmed())
                                           : (item.frameTitle == frame && item.name == name);
                if (match) {
                    found.append(&item);
                    break;
                }
            }
        }
        return found;
    };

    for (const bool trimmed : {false, true}) {
        const QList<const PaletteItem *> found = search(trimmed);
        if (found.size() == 1) {
            lookup.item = found.first();
            return lookup;
        }
        if (found.size() > 1) {
            for (const PaletteItem *item : found) {
                lookup.candidates.append(*item);
            }
            lookup.ambiguous = true;
            return lookup;
        }
    }

    static const QRegularExpression numbers(
        QStringLiteral("^\\s*([0-9]{1,9})\\s*/\\s*([0-9]{1,9})\\s*$"));
    const QRegularExpressionMatch match = numbers.match(itemPath);
    if (match.hasMatch()) {
        const int frame = match.captured(1).toInt() - 1;
        const int position = match.captured(2).toInt();
        for (const PaletteItem &item : items) {
            if (item.frameIndex == frame && item.position == position) {
                lookup.item = &item;
                return lookup;
            }
        }
    }

    // Near misses: the same item name in any frame.
    for (const PaletteItem &item : items) {
        for (const auto &[frame, name] : parts) {
            if (item.name.trimmed() == name.trimmed()) {
                addUnique(lookup.candidates, item);
            }
        }
        if (parts.isEmpty() && item.name.trimmed() == itemPath.trimmed()) {
            addUnique(lookup.candidates, item);
        }
    }
    return lookup;
}

QString KindName(ItemKind kind)
{
    switch (kind) {
    case ItemKind::Edit:
        return QStringLiteral("edit");
    case ItemKind::Copy:
        return QStringLiteral("copy");
    case ItemKind::Link:
        return QStringLiteral("link");
    case ItemKind::None:
        break;
    }
    return QStringLiteral("none");
}

QString ProgramName()
{
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) {
        name.chop(4);
    }
    return name;
}

void AddOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("The palette. Without --apply, --list or --run it shows its window.\n"
                       "  Quorvel --apply ITEM [--append] < in > out\n"
                       "  Quorvel --run ITEM [--append]    (the running palette runs ITEM)\n"
                       "  Quorvel --run --undo             (it undoes its last item run)\n"
                       "Exit status: 0 success, 1 the result could not be written (--run: no "
                       "palette runs), 2 bad argument or unknown item, 3 pattern error, 4 the "
                       "link could not be opened, 5 the palette did nothing (busy, cancelled, "
                       "nothing to undo)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {kApply,
         QStringLiteral("Runs ITEM (\"frame title/item name\" or \"n/m\") on standard input "
                        "and writes the result to standard output."),
         QStringLiteral("ITEM")},
        {kAppend, QStringLiteral("Puts the input in front of a copy item's text, as Shift "
                                 "does.")},
        {kOpen, QStringLiteral("Also opens a link with the desktop's default program.")},
        {kList, QStringLiteral("Lists the frames and items with their kinds.")},
        {kSettings,
         QStringLiteral("The setting file for --apply and --list (default: the "
                        "palette's own)."),
         QStringLiteral("FILE")},
        {kSettingsDir, QStringLiteral("The folder of the setting files."), QStringLiteral("DIR")},
        {kRun, QStringLiteral("Asks the running palette to run ITEM, given as an argument, "
                              "on the clipboard, as a click does.")},
        {kUndo, QStringLiteral("With --run: puts back the clipboard from before the "
                               "palette's last item run.")},
        {kScreenshot,
         QStringLiteral("Shows the palette, saves a PNG picture of its window "
                        "and exits."),
         QStringLiteral("FILE")},
    });
}

QString CheckWindowArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(arguments))
        return parser.errorText();
    for (const QString &filterOnly : {kAppend, kOpen, kSettings}) {
        if (parser.isSet(filterOnly))
            return QStringLiteral("--%1 goes with --apply").arg(filterOnly);
    }
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument \"%1\"")
            .arg(parser.positionalArguments().first());
    if (parser.isSet(kSettingsDir)) {
        const QString folder = parser.value(kSettingsDir);
        const QFileInfo info(folder);
        if (folder.trimmed().isEmpty())
            return QStringLiteral("--settings-dir needs a folder");
        if (info.exists() && !info.isDir())
            return QStringLiteral("--settings-dir \"%1\" is no folder")
                .arg(QDir::toNativeSeparators(info.absoluteFilePath()));
    }
    return {};
}

QString SettingFolderProblem(const QString &folder, const QString &settingFile)
{
    const QFileInfo info(folder);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isDir())
        return QStringLiteral("the settings folder \"%1\" cannot be made").arg(shown);
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("the settings folder \"%1\" cannot be read").arg(shown);
    const QFileInfo file(QDir(folder).filePath(settingFile));
    if (file.exists()) {
        if (!file.isFile() || !file.isReadable())
            return QStringLiteral("the setting file \"%1\" cannot be read")
                .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
        return {};
    }
    // The first start writes the default setting file there.
    if (!FncBln_IsFolderWritable(folder))
        return QStringLiteral("the settings folder \"%1\" cannot be written").arg(shown);
    return {};
}

RunMode DetectRunMode(int argc, char **argv)
{
    static const QStringList filterWords = {
        QStringLiteral("apply"),    QStringLiteral("list"), QStringLiteral("help"),
        QStringLiteral("help-all"), QStringLiteral("h"),    QStringLiteral("?"),
        QStringLiteral("version"),  QStringLiteral("v"),
    };
    bool filter = false;
    bool open = false;
    bool screenshot = false;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QStringLiteral("--")) {
            break;
        }
        if (!argument.startsWith(u'-')) {
            continue;
        }
        QString word = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
        word = word.section(u'=', 0, 0);
        if (word == kRun || word == kUndo) {
            return RunMode::Remote;
        }
        if (filterWords.contains(word)) {
            filter = true;
        } else if (word == kOpen) {
            open = true;
        } else if (word == kScreenshot) {
            screenshot = true;
        }
    }
    if (!filter) {
        return screenshot ? RunMode::Screenshot : RunMode::Window;
    }
    return open ? RunMode::FilterWithShell : RunMode::Filter;
}

int RunFilter(const QStringList &arguments)
{
#ifdef Q_OS_WIN
    // The result must reach standard output byte for byte, without CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(arguments)) {
        writeError(parser.errorText());
        return ExitBadArgument;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        // The usage line names the program, not the path it was started by.
        QString help = parser.helpText();
        const QString started = arguments.isEmpty() ? QString() : arguments.constFirst();
        const QString usage = QStringLiteral("Usage: ");
        if (!started.isEmpty() && help.startsWith(usage + started))
            help.replace(usage.size(), started.size(), ProgramName());
        return writeText(stdout, help) ? int(ExitOk) : outputFailed();
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }

    Request request;
    request.list = parser.isSet(kList);
    request.append = parser.isSet(kAppend);
    request.open = parser.isSet(kOpen);
    request.settingsFile = parser.value(kSettings);
    const bool apply = parser.isSet(kApply);
    if (apply) {
        request.itemSpec = parser.value(kApply);
    }

    if (!parser.positionalArguments().isEmpty()) {
        writeError(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
        return ExitBadArgument;
    }
    if (apply == request.list) {
        writeError(QStringLiteral("give either --apply ITEM or --list"));
        return ExitBadArgument;
    }
    if ((request.append || request.open) && !apply) {
        writeError(QStringLiteral("--append and --open go with --apply"));
        return ExitBadArgument;
    }
    if (parser.isSet(kScreenshot)) {
        writeError(QStringLiteral("--screenshot shows the window; it does not go with --apply "
                                  "or --list"));
        return ExitBadArgument;
    }
    if (apply && request.itemSpec.isEmpty()) {
        writeError(QStringLiteral("--apply needs an item"));
        return ExitBadArgument;
    }

    gStr_ProgramName = ProgramName();
    QString settingPath = request.settingsFile;
    if (settingPath.isEmpty()) {
        // The filter only reads: it neither creates the folder nor the default file.
        const QString folder = FncStr_SettingFolder(parser.value(kSettingsDir), false);
        settingPath = QDir(folder).filePath(gStr_ProgramName + QStringLiteral(".xml"));
    }
    const QFileInfo settingInfo(settingPath);
    if (!settingInfo.isFile()) {
        writeError(QStringLiteral("setting file \"%1\" not found")
                       .arg(QDir::toNativeSeparators(settingInfo.absoluteFilePath())));
        return ExitBadArgument;
    }
    gStr_SettingFolder = settingInfo.absolutePath();
    gStr_SettingFile = settingInfo.fileName();

    auto model = std::make_shared<Cls_MySettingFile>();
    model->Path(gStr_SettingFolder);
    model->Name(gStr_SettingFile);
    if (!model->LoadFile()) {
        QString detail;
        if (model->LastError().isSet()) {
            detail = QStringLiteral(": ") + model->LastError().description;
        }
        writeError(QStringLiteral("cannot read setting file \"%1\"%2")
                       .arg(QDir::toNativeSeparators(settingInfo.absoluteFilePath()), detail));
        return ExitBadArgument;
    }
    gObj_Setting = model;
    // Any readable text loads; one without frames is no setting file to work with.
    if (model->GetCount() == 0) {
        writeError(QStringLiteral("\"%1\" has no frames: it is no setting file")
                       .arg(QDir::toNativeSeparators(settingInfo.absoluteFilePath())));
        return ExitBadArgument;
    }

    try {
        const QList<PaletteItem> items = ListPaletteItems(*model);
        return request.list ? listItems(items, *model) : applyItem(request, items, *model);
    } catch (const std::exception &error) {
        writeError(QString::fromLocal8Bit(error.what()));
        return ExitBadArgument;
    }
}

} // namespace PaletteCommandLine
