#include "ClipboardHistory.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// Qt's own name for a decoded image: no bytes of the clipboard stand behind it.
const QString kQtImage = QStringLiteral("application/x-qt-image");

} // namespace

ClipboardSnapshot ClipboardSnapshot::capture(const QString &knownText)
{
    if (!knownText.isEmpty())
        return fromText(knownText);
    return fromMimeData(QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard));
}

ClipboardSnapshot ClipboardSnapshot::fromText(const QString &text)
{
    ClipboardSnapshot snapshot;
    snapshot.m_hasText = true;
    snapshot.m_text = text;
    return snapshot;
}

ClipboardSnapshot ClipboardSnapshot::fromMimeData(const QMimeData *data)
{
    ClipboardSnapshot snapshot;
    if (data == nullptr)
        return snapshot;
    if (data->hasText()) {
        const QString text = data->text();
        if (!text.isEmpty())
            return fromText(text);
    }
    bool encodedImage = false;
    for (const QString &format : data->formats()) {
        if (format == kQtImage)
            continue;
        // The bytes as the owner offered them: an image comes back byte for byte.
        snapshot.m_formats.append({format, data->data(format)});
        encodedImage = encodedImage || format.startsWith(QStringLiteral("image/"));
    }
    if (!encodedImage && data->hasImage())
        snapshot.m_image = qvariant_cast<QImage>(data->imageData());
    return snapshot;
}

QMimeData *ClipboardSnapshot::toMimeData() const
{
    auto *data = new QMimeData;
    if (m_hasText) {
        data->setText(m_text);
        return data;
    }
    for (const auto &[format, bytes] : m_formats)
        data->setData(format, bytes);
    if (!m_image.isNull())
        data->setImageData(m_image);
    return data;
}

void ClipboardSnapshot::restore() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Clipboard);
    if (m_hasText) {
        clipboard->setText(m_text, QClipboard::Clipboard);
    } else if (!m_formats.isEmpty() || !m_image.isNull()) {
        // The clipboard takes ownership of the data.
        clipboard->setMimeData(toMimeData(), QClipboard::Clipboard);
    }
}

qsizetype ClipboardSnapshot::byteSize() const
{
    qsizetype size = m_text.size() * qsizetype(sizeof(QChar)) + m_image.sizeInBytes();
    for (const auto &[format, bytes] : m_formats)
        size += format.size() * qsizetype(sizeof(QChar)) + bytes.size();
    return size;
}

ClipboardHistory &ClipboardHistory::instance()
{
    static ClipboardHistory history;
    return history;
}

void ClipboardHistory::push(ClipboardSnapshot snapshot)
{
    m_entries.append(std::move(snapshot));
    while (m_entries.size() > kMaxEntries)
        m_entries.removeFirst();
    qsizetype total = 0;
    for (const ClipboardSnapshot &entry : std::as_const(m_entries))
        total += entry.byteSize();
    while (m_entries.size() > 1 && total > m_maxBytes) {
        total -= m_entries.first().byteSize();
        m_entries.removeFirst();
    }
}

bool ClipboardHistory::undo()
{
    if (m_entries.isEmpty())
        return false;
    const ClipboardSnapshot snapshot = m_entries.takeLast();
    snapshot.restore();
    return true;
}
