#include "PaletteRemote.h"

#include "Frm_Item_FromIniFile.h"
#include "ItemRunController.h"
#include "PaletteCommandLine.h"
#include "PaletteModule.h"
#include "program_state.h"
#include "remote_request.h"
#include "setting_model.h"
#include "single_instance.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace PaletteCommandLine;

namespace PaletteRemote {
namespace {

constexpr int kConnectTimeoutMs = 2000;
// An edit runs until its pattern's time limit at most (about 12 s on 100 MB); the user
// may also take a while to decide on Esc.
constexpr int kAnswerTimeoutMs = 10 * 60 * 1000;

void writeError(const QString &line)
{
    const QByteArray bytes = (QStringLiteral("Quorvel: ") + line + QChar(u'\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void answer(const InstanceReply &reply, int status, const QString &message = {})
{
    reply.send(RemoteReply{status, message}.encode());
}

QString describe(const PaletteItem &item)
{
    return item.address() + QChar(u'\t') + item.frameTitle + QChar(u'/') + item.name;
}

int statusOf(const ItemRunOutcome &outcome, QString &message, const QString &itemPath)
{
    switch (outcome.status) {
    case ItemRunStatus::Done:
        return ExitOk;
    case ItemRunStatus::PatternError:
        message = QStringLiteral("pattern error in \"%1\": %2").arg(itemPath, outcome.detail);
        return ExitPatternError;
    case ItemRunStatus::Busy:
        message = QStringLiteral("the palette is still running another item; nothing done");
        break;
    case ItemRunStatus::Cancelled:
        message = QStringLiteral("cancelled; the clipboard is unchanged");
        break;
    case ItemRunStatus::ClipboardChanged:
        message = QStringLiteral("the clipboard changed while the item ran; result dropped");
        break;
    case ItemRunStatus::Failed:
        message = QStringLiteral("the palette reported an error");
        break;
    case ItemRunStatus::NothingToUndo:
        message = QStringLiteral("nothing to undo");
        break;
    }
    return ExitNotDone;
}

void handle(const QByteArray &payload, const InstanceReply &reply)
{
    const std::optional<RemoteRequest> request = RemoteRequest::decode(payload);
    if (!request) {
        answer(reply, ExitBadArgument,
               QStringLiteral("the palette did not understand the request"));
        return;
    }
    Frm_Item_FromIniFile *window = mdl_Palette::CurrentWindow();
    if (window == nullptr || window->Runner() == nullptr || gObj_Setting == nullptr) {
        answer(reply, ExitOutputFailed, QStringLiteral("the palette has no window"));
        return;
    }
    if (request->action == RemoteRequest::Action::Undo) {
        QString message;
        const int status = statusOf({window->Runner()->undo(), {}}, message, {});
        answer(reply, status, message);
        return;
    }

    const QList<PaletteItem> items = ListPaletteItems(*gObj_Setting);
    const ItemLookup lookup = FindPaletteItem(items, request->item);
    if (lookup.item == nullptr) {
        QString message =
            lookup.ambiguous ? QStringLiteral("item \"%1\" is ambiguous; use its number:")
            : lookup.candidates.isEmpty() ? QStringLiteral("no item \"%1\" in the running palette")
                                          : QStringLiteral("no item \"%1\"; items of that name:");
        message = message.arg(request->item);
        for (const PaletteItem &candidate : lookup.candidates)
            message += QStringLiteral("\n  ") + describe(candidate);
        answer(reply, ExitBadArgument, message);
        return;
    }
    const PaletteItem item = *lookup.item;
    window->Runner()->run({item.frameIndex, item.itemIndex, item.name}, request->append,
                          [reply, path = request->item](const ItemRunOutcome &outcome) {
                              QString message;
                              const int status = statusOf(outcome, message, path);
                              answer(reply, status, message);
                          });
}

} // namespace

void Serve(SingleInstance &instance)
{
    QObject::connect(&instance, &SingleInstance::callReceived, &instance, &handle);
}

int RunClient(const QStringList &arguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(arguments)) {
        writeError(parser.errorText());
        return ExitBadArgument;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(ExitOk);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    const bool undo = parser.isSet(QStringLiteral("undo"));
    if (!parser.isSet(QStringLiteral("run"))) {
        writeError(QStringLiteral("--undo goes with --run"));
        return ExitBadArgument;
    }
    for (const QString &other : {QStringLiteral("apply"), QStringLiteral("list"),
                                 QStringLiteral("open"), QStringLiteral("settings"),
                                 QStringLiteral("settings-dir"), QStringLiteral("screenshot")}) {
        if (parser.isSet(other)) {
            writeError(QStringLiteral("--%1 does not go with --run").arg(other));
            return ExitBadArgument;
        }
    }
    RemoteRequest request;
    if (undo) {
        if (!positional.isEmpty() || parser.isSet(QStringLiteral("append"))) {
            writeError(QStringLiteral("--run --undo takes no item"));
            return ExitBadArgument;
        }
        request.action = RemoteRequest::Action::Undo;
    } else {
        if (positional.size() != 1 || positional.first().isEmpty()) {
            writeError(QStringLiteral("--run needs one item: \"frame title/item name\" or "
                                      "\"n/m\" (or --undo)"));
            return ExitBadArgument;
        }
        request.item = positional.first();
        request.append = parser.isSet(QStringLiteral("append"));
    }

    const SingleInstance::CallResult result =
        SingleInstance::call(QCoreApplication::applicationFilePath(), request.encode(),
                             kConnectTimeoutMs, kAnswerTimeoutMs);
    if (!result.reached) {
        writeError(QStringLiteral("no palette is running; start Quorvel first"));
        return ExitOutputFailed;
    }
    const std::optional<RemoteReply> reply =
        result.answer ? RemoteReply::decode(*result.answer) : std::nullopt;
    if (!reply) {
        writeError(QStringLiteral("the running palette gave no answer"));
        return ExitOutputFailed;
    }
    if (!reply->message.isEmpty())
        writeError(reply->message);
    return reply->status;
}

} // namespace PaletteRemote
