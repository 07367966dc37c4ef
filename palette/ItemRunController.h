// Runs the palette's items on the clipboard: copy and link items at once, edit items on a
// worker thread that Esc can cancel, with a history of what each run replaced.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class ClipboardHistory;
class EditTask;

struct ItemRunTarget
{
    int frame = 0;     // frame position from 0 among the loaded frames
    int itemIndex = 0; // item number from 0 within the frame
    QString name;      // the button's caption
};

enum class ItemRunStatus
{
    Done,             // ran as a click does (this includes "は空です" and a kept clipboard)
    PatternError,     // the pattern could not run; the clipboard is unchanged
    Busy,             // refused: another run is still going
    Cancelled,        // stopped by the user (or the window closed); the clipboard is unchanged
    ClipboardChanged, // the clipboard changed while the edit ran; its result was dropped
    Failed,           // an error box was shown
    NothingToUndo,
};

struct ItemRunOutcome
{
    ItemRunStatus status = ItemRunStatus::Done;
    QString detail; // the pattern error, for callers that report it
};

class ItemRunController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ItemRunController)

public:
    using Completion = std::function<void(const ItemRunOutcome &)>;
    // What the window does for a run: its message line, the report of a result, and the
    // shell open of a link.
    struct Hooks
    {
        std::function<void(const QString &)> showMessage;
        std::function<void(const QString &name, const QString &output, bool append, bool isCopy)>
            reportResult;
        std::function<void(const QString &)> openLink;
    };

    static constexpr std::chrono::milliseconds kQuickWait{40};
    static constexpr std::chrono::milliseconds kBusyMessageDelay{300};

    ItemRunController(Hooks hooks, ClipboardHistory &history, QObject *parent = nullptr);
    // A run still going ends as cancelled; its worker is stopped and joined.
    ~ItemRunController() override;

    // Runs the item of gObj_Setting on the clipboard text. done is called once, on this
    // thread, when the run has ended (at once for all but a slow edit).
    void run(const ItemRunTarget &target, bool append, const Completion &done = {});
    bool isRunning() const { return m_task != nullptr; }
    // Stops the edit in progress and leaves the clipboard; false when none runs.
    bool cancel();
    // Puts back what the most recent run replaced.
    ItemRunStatus undo();

private:
    struct PendingEdit
    {
        ItemRunTarget target;
        QString input;
        bool opensLink = false;
        Completion done;
    };

    void onEditFinished();
    // Cancels everything and waits for the workers.
    void stopAll();
    void complete(const ItemRunTarget &target, const QString &input, const QString &output,
                  bool append, bool isCopy, bool opensLink);
    void endPending(ItemRunStatus status, const QString &detail = {});
    void retire(std::unique_ptr<EditTask> task);
    static void finish(const Completion &done, ItemRunStatus status, const QString &detail = {});

    Hooks m_hooks;
    ClipboardHistory &m_history;
    std::unique_ptr<EditTask> m_task;
    PendingEdit m_pending;
    // Cancelled tasks wind down on their own and are deleted when they report back.
    std::vector<std::unique_ptr<EditTask>> m_retired;
    QTimer m_busyMessage;
    QMetaObject::Connection m_clipboardWatch;
    bool m_clipboardChanged = false;
    // Set while a run changes the clipboard: a box it shows (a link that cannot be
    // opened) runs events, and a request arriving then must not start another run.
    bool m_completing = false;
};
