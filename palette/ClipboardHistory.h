// What the clipboard held before each item run, so that an unwanted transformation can be
// taken back. Memory only; the most recent runs, newest last.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <utility>

class QMimeData;

// One clipboard content: its text, or when it held no text, every format it offered.
class ClipboardSnapshot final
{
public:
    ClipboardSnapshot() = default;

    // The clipboard as it is now. knownText is its text when the caller has just read
    // it (a text clipboard is kept as that text alone, without reading it again).
    static ClipboardSnapshot capture(const QString &knownText);
    static ClipboardSnapshot fromText(const QString &text);
    static ClipboardSnapshot fromMimeData(const QMimeData *data);

    // Puts the content back on the clipboard (emptied when nothing was on it).
    void restore() const;
    QMimeData *toMimeData() const;

    bool hasText() const { return m_hasText; }
    QString text() const { return m_text; }
    QList<std::pair<QString, QByteArray>> formats() const { return m_formats; }
    // What the snapshot holds, for the history's memory budget.
    qsizetype byteSize() const;

private:
    bool m_hasText = false;
    QString m_text;
    QList<std::pair<QString, QByteArray>> m_formats;
    QImage m_image; // an image offered without an encoded format of its own
};

class ClipboardHistory final
{
public:
    static constexpr int kMaxEntries = 10;
    // Beyond this the oldest entries go first, so that a few runs over huge texts do not
    // hold gigabytes; the newest entry is always kept.
    static constexpr qsizetype kMaxBytes = qsizetype(512) * 1024 * 1024;

    explicit ClipboardHistory(qsizetype maxBytes = kMaxBytes)
        : m_maxBytes(maxBytes)
    {
    }

    // The one history of the program, shared by the windows a reload creates.
    static ClipboardHistory &instance();

    void push(ClipboardSnapshot snapshot);
    // Restores the newest snapshot and forgets it; false when there is none.
    bool undo();
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    void clear() { m_entries.clear(); }

private:
    qsizetype m_maxBytes;
    QList<ClipboardSnapshot> m_entries;
};
