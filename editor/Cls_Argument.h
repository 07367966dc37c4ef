// Cls_Argument: the command-line text split into lines and space-separated words.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class Cls_Argument final
{
public:
    Cls_Argument() = default;

    void SetBaseData(const QString &strA_Data);
    QVariant GetItemCount() const;
    bool MoveFirst();
    bool MoveNext();
    QString GetCurrentData() const;
    QString GetItem(int lngA_Index) const;

    void MsgDisplayFlg_Prop(bool value) { m_msgDisplay = value; }
    bool MsgDisplayFlg_Prop() const { return m_msgDisplay; }

private:
    QString m_baseData;
    QStringList m_lines;
    int m_index = -1;
    QString m_current;
    int m_wordCount = 0;
    QString m_separator = QStringLiteral(" ");
    bool m_msgDisplay = false;
};

// What the editor takes from its arguments (program name excluded).
struct EditorArguments
{
    QString settingName;    // first word, every ".xml" removed; empty when none
    QString settingsFolder; // from "--settings-dir DIR"; empty when not given
};

// "--settings-dir DIR" is taken out first; the remaining arguments form the command-line
// text whose first word names the setting. A first argument with a path separator is a
// setting file's path instead: its folder and its name without ".xml".
EditorArguments FncArg_ParseEditorArguments(const QStringList &arguments);
// The setting name of a whole command-line text (trimmed, first word, ".xml" removed).
QString FncStr_SettingNameFromCommandLine(const QString &commandLine);
