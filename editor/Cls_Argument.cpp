#include "Cls_Argument.h"

#include "cp932_codec.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// Length as the setting files' code page counts it; unencodable text still counts.
qsizetype ansiLength(const QString &text)
{
    const std::optional<QByteArray> bytes = Cp932Codec::encode(text);
    return bytes ? bytes->size() : text.size();
}

} // namespace

void Cls_Argument::SetBaseData(const QString &strA_Data)
{
    m_baseData = strA_Data;
    m_lines.clear();
    m_index = -1;
    m_current.clear();

    qsizetype start = 0;
    while (start < m_baseData.size()) {
        qsizetype end = m_baseData.indexOf(kLineBreak, start);
        if (end < 0) {
            end = m_baseData.size();
        }
        const QString line = m_baseData.mid(start, end - start);
        if (ansiLength(line) > 0) {
            m_lines.append(line);
        }
        start = end + kLineBreak.size();
    }

    m_wordCount = 0;
    if (!m_lines.isEmpty()) {
        const QString &first = m_lines.first();
        m_wordCount = 1;
        qsizetype from = 0;
        while (true) {
            const qsizetype found = first.indexOf(m_separator, from);
            if (found < 0) {
                break;
            }
            ++m_wordCount;
            from = found + m_separator.size();
        }
    }
}

QVariant Cls_Argument::GetItemCount() const
{
    return QVariant(m_wordCount);
}

bool Cls_Argument::MoveFirst()
{
    if (m_lines.isEmpty()) {
        return false;
    }
    m_index = 0;
    m_current = m_lines.first();
    return true;
}

bool Cls_Argument::MoveNext()
{
    ++m_index;
    if (m_index >= 0 && m_index < m_lines.size()) {
        m_current = m_lines.at(m_index);
        return true;
    }
    return false;
}

QString Cls_Argument::GetCurrentData() const
{
    return m_current;
}

QString Cls_Argument::GetItem(int lngA_Index) const
{
    if (m_current.isEmpty() || lngA_Index < 0) {
        return {};
    }
    // Empty words between doubled separators count, as in the line's own split.
    const QStringList words = m_current.split(m_separator);
    return lngA_Index < words.size() ? words.at(lngA_Index) : QString();
}

QString FncStr_SettingNameFromCommandLine(const QString &commandLine)
{
    const QString text = commandLine.trimmed();
    if (text.isEmpty()) {
        return {};
    }
    Cls_Argument argument;
    argument.SetBaseData(text);
    if (!argument.MoveFirst()) {
        return {};
    }
    QString name = argument.GetItem(0);
    name.remove(QStringLiteral(".xml"), Qt::CaseSensitive);
    return name;
}

EditorArguments FncArg_ParseEditorArguments(const QStringList &arguments)
{
    EditorArguments result;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QStringLiteral("--settings-dir")) {
            if (i + 1 < arguments.size()) {
                result.settingsFolder = arguments.at(i + 1);
                ++i;
            }
            continue;
        }
        if (argument.startsWith(QStringLiteral("--settings-dir="))) {
            result.settingsFolder = argument.mid(qsizetype(sizeof("--settings-dir=")) - 1);
            continue;
        }
        rest.append(argument);
    }
    // A file handed over by the desktop (its menu entry's %f): the file's own folder and
    // name, blanks and all, whatever --settings-dir said.
    if (!rest.isEmpty() &&
        (rest.first().contains(u'/') || rest.first().contains(QDir::separator()))) {
        const QFileInfo file(rest.first());
        result.settingsFolder = QDir::cleanPath(file.absolutePath());
        result.settingName = file.fileName();
        if (result.settingName.endsWith(QStringLiteral(".xml"))) {
            result.settingName.chop(4);
        }
        return result;
    }
    result.settingName = FncStr_SettingNameFromCommandLine(rest.join(QLatin1Char(' ')));
    return result;
}
