// Case and width directives, and the placeholders filled into item output.
#pragma once

#include "ecma_regexp.h"

#include <QString>
#include <QStringView>

#include <atomic>
#include <optional>

class Cls_RegExpExtraString final
{
public:
    Cls_RegExpExtraString() = default;

    QString LowerCase() const { return QStringLiteral("/LowerCase"); }
    QString UpperCase() const { return QStringLiteral("/UpperCase"); }
    QString TrimLowerCase() const { return QStringLiteral("/TrimLowerCase"); }
    QString TrimUpperCase() const { return QStringLiteral("/TrimUpperCase"); }
    QString Narrow() const { return QStringLiteral("/Narrow"); }
    QString Wide() const { return QStringLiteral("/Wide"); }

    bool IsMatching(const QString &strA_Item) const;
    QString MatchingEdit(const QString &strA_Value, const QString &strA_Item) const;
};

// Full-width and half-width forms (Japanese double-byte set, katakana voiced marks).
QString FncStr_ToWide(const QString &text);
QString FncStr_ToNarrow(const QString &text);
// The same conversions appended to out, so that a directive can convert match after
// match without a temporary string for each.
void FncStr_AppendWide(QString &out, QStringView text);
void FncStr_AppendNarrow(QString &out, QStringView text);

// Every "@@@@@@@@" becomes the clipboard text.
QString FncStr_FillClipboardPlaceholder(const QString &output, const QString &clipboardText);

// An edit item's work on a text: the pattern replaced (or a directive applied) over the
// whole input. Safe on any thread: it shows nothing and touches no setting model.
struct PatternEdit
{
    std::optional<QString> output; // empty when the pattern could not run
    RegExpError error;
    bool cancelled = false;            // stopped through the cancel flag
    bool directiveOutOfMemory = false; // a directive ran out of memory part way
};
PatternEdit FncStr_EditByPattern(const QString &pattern, const QString &replacement,
                                 const QString &input, const std::atomic<bool> *cancel = nullptr);
