// The test bench's fixed texts and its preset panels: whole items, replacement directives
// and search patterns, each with its caption and status text.
#pragma once

#include <QList>
#include <QString>

namespace RegExpPresets {

// A whole-item preset: its caption becomes the item's name.
struct ItemPreset
{
    QString caption, pattern, replacement;
};

struct DirectivePreset
{
    QString caption, directive, status;
};

struct SearchPreset
{
    QString caption, pattern;
};

// Lbl_RegSet 0–7, Lbl_RegSetEtc 0–5 and Lbl_RegSearchEtc 0–8, in index order.
const QList<ItemPreset> &itemPresets();
const QList<DirectivePreset> &directivePresets();
const QList<SearchPreset> &searchPresets();

// Status texts after a click.
QString itemPresetStatus(const QString &caption);
QString searchPresetStatus(const QString &caption);

// Txt_TestBase's first text: four CR LF-ended lines, the third empty.
QString initialSample();

QString testRunStatus();
QString testAreaStatus(bool opened);

inline const QString ClipboardMarker = QStringLiteral("@@@@@@@@");
QString clearStatus();
QString copyStatus();
QString selectStatus();

} // namespace RegExpPresets
