#include "ItemRunController.h"

#include "ClipboardHistory.h"
#include "edit_task.h"
#include "item_runner.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScopedValueRollback>

#include <exception>

namespace {

QString bracketed(const QString &name)
{
    return QStringLiteral("[") + trimBlanks(name) + QStringLiteral("]");
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}

void setClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    clipboard->setText(text, QClipboard::Clipboard);
}

} // namespace

ItemRunController::ItemRunController(Hooks hooks, ClipboardHistory &history, QObject *parent)
    : QObject(parent)
    , m_hooks(std::move(hooks))
    , m_history(history)
{
    m_busyMessage.setSingleShot(true);
    m_busyMessage.setInterval(kBusyMessageDelay);
    connect(&m_busyMessage, &QTimer::timeout, this,
            [this] { m_hooks.showMessage(QStringLiteral("処理中… Escで中止")); });
    // A window closed at the end of the program may never be deleted: no worker may
    // outlive the application object.
    if (QCoreApplication *application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &ItemRunController::stopAll);
}

ItemRunController::~ItemRunController()
{
    stopAll();
}

void ItemRunController::stopAll()
{
    if (m_task) {
        m_task->cancel();
        endPending(ItemRunStatus::Cancelled);
        m_task.reset();
    }
    m_retired.clear();
}

void ItemRunController::finish(const Completion &done, ItemRunStatus status, const QString &detail)
{
    if (done)
        done(ItemRunOutcome{status, detail});
}

void ItemRunController::run(const ItemRunTarget &target, bool append, const Completion &done)
{
    if (m_task || m_completing) {
        // Not queued: a click the user has forgotten about must not change the clipboard
        // later on.
        m_hooks.showMessage(QStringLiteral("処理中のため") + bracketed(target.name) +
                            QStringLiteral("は実行しませんでした（Escで中止）"));
        finish(done, ItemRunStatus::Busy);
        return;
    }
    const QString input = clipboardText();
    ItemRunResult result;
    bool isEdit = false;
    bool opensLink = false;
    QString pattern;
    QString replacement;
    try {
        if (!gObj_Setting)
            gObj_Setting = std::make_shared<Cls_MySettingFile>();
        Cls_MySettingFile &settings = *gObj_Setting;
        settings.CurrentFrame(target.frame);
        isEdit = settings.SetDataPrepare(target.itemIndex) && settings.isReg();
        if (isEdit) {
            pattern = settings.GetReg();
            replacement = settings.GetReplaceString();
            opensLink = settings.isLink();
        } else {
            result = RunItem(settings, target.itemIndex, input, append);
            opensLink = result.found && settings.isLink();
        }
    } catch (const std::exception &error) {
        // The clipboard stays as it was: a failure must not cost the user its text.
        Sub_ShowError(
            VbError{5, QString::fromLocal8Bit(error.what()), QStringLiteral("FncStr_RunItem")});
        finish(done, ItemRunStatus::Failed);
        return;
    }

    if (!isEdit) {
        complete(target, input, result.output, append, result.kind == ItemKind::Copy, opensLink);
        finish(done, ItemRunStatus::Done);
        return;
    }
    if (input.isEmpty()) {
        // Nothing to edit (no text, or an image): the clipboard keeps what the user had.
        // Over an empty text even a faulty pattern is reported at once.
        const PatternEdit edit = FncStr_EditByPattern(pattern, replacement, input);
        if (!edit.output) {
            m_hooks.showMessage(bracketed(target.name) +
                                QStringLiteral("の正規表現に不備があります"));
            finish(done, ItemRunStatus::PatternError, edit.error.message);
            return;
        }
        m_hooks.showMessage(bracketed(target.name) + QStringLiteral("は空です"));
        finish(done, ItemRunStatus::Done);
        return;
    }

    m_pending = PendingEdit{target, input, opensLink, done};
    m_task = std::make_unique<EditTask>(pattern, replacement, input);
    if (m_task->waitFor(kQuickWait)) {
        onEditFinished();
        return;
    }
    connect(m_task.get(), &EditTask::finished, this, &ItemRunController::onEditFinished);
    m_clipboardChanged = false;
    m_clipboardWatch = connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
                               [this](QClipboard::Mode mode) {
                                   if (mode == QClipboard::Clipboard)
                                       m_clipboardChanged = true;
                               });
    m_busyMessage.start();
}

void ItemRunController::onEditFinished()
{
    if (!m_task || !m_task->isFinished())
        return;
    const std::unique_ptr<EditTask> task = std::move(m_task);
    m_busyMessage.stop();
    disconnect(m_clipboardWatch);
    const PendingEdit pending = std::exchange(m_pending, {});
    const PatternEdit &edit = task->result();
    if (!edit.output) {
        m_hooks.showMessage(bracketed(pending.target.name) +
                            QStringLiteral("の正規表現に不備があります"));
        finish(pending.done, ItemRunStatus::PatternError, edit.error.message);
        return;
    }
    if (m_clipboardChanged) {
        // The user copied something else meanwhile: overwriting it with the edit of the
        // old text would lose it.
        m_hooks.showMessage(QStringLiteral("クリップボードが変わったため") +
                            bracketed(pending.target.name) + QStringLiteral("の結果を捨てました"));
        finish(pending.done, ItemRunStatus::ClipboardChanged);
        return;
    }
    complete(pending.target, pending.input, *edit.output, false, false, pending.opensLink);
    finish(pending.done, ItemRunStatus::Done);
}

void ItemRunController::complete(const ItemRunTarget &target, const QString &input,
                                 const QString &output, bool append, bool isCopy, bool opensLink)
{
    const QScopedValueRollback completing(m_completing, true);
    m_history.push(ClipboardSnapshot::capture(input));
    // Whatever is not a copy item and has a link is handed to the shell.
    if (!isCopy && opensLink)
        m_hooks.openLink(output);
    m_hooks.reportResult(target.name, output, append, isCopy);
    setClipboardText(output);
}

void ItemRunController::endPending(ItemRunStatus status, const QString &detail)
{
    m_busyMessage.stop();
    disconnect(m_clipboardWatch);
    const PendingEdit pending = std::exchange(m_pending, {});
    finish(pending.done, status, detail);
}

bool ItemRunController::cancel()
{
    if (!m_task)
        return false;
    m_task->cancel();
    retire(std::move(m_task));
    m_hooks.showMessage(QStringLiteral("中止しました"));
    endPending(ItemRunStatus::Cancelled);
    return true;
}

void ItemRunController::retire(std::unique_ptr<EditTask> task)
{
    // Joining here could hold the window for the rest of a match attempt.
    disconnect(task.get(), nullptr, this, nullptr);
    EditTask *const raw = task.get();
    connect(raw, &EditTask::finished, this, [this, raw] {
        for (auto it = m_retired.begin(); it != m_retired.end(); ++it) {
            if (it->get() == raw) {
                it->release()->deleteLater();
                m_retired.erase(it);
                break;
            }
        }
    });
    m_retired.push_back(std::move(task));
}

ItemRunStatus ItemRunController::undo()
{
    if (m_task || m_completing) {
        m_hooks.showMessage(QStringLiteral("処理中のため元に戻せません（Escで中止）"));
        return ItemRunStatus::Busy;
    }
    if (!m_history.undo()) {
        m_hooks.showMessage(QStringLiteral("元に戻す内容がありません"));
        return ItemRunStatus::NothingToUndo;
    }
    m_hooks.showMessage(QStringLiteral("クリップボードを元に戻しました"));
    return ItemRunStatus::Done;
}
