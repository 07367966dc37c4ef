// Runs one item of the current frame on a text, exactly as a click on its button does,
// without touching the clipboard or the shell.
#pragma once

#include "ecma_regexp.h"

#include <QString>

class Cls_MySettingFile;

enum class ItemKind
{
    None,
    Edit,
    Copy,
    Link
};

struct ItemRunResult
{
    ItemKind kind = ItemKind::None;
    QString output;
    RegExpError patternError; // set when an edit item's pattern could not run
    bool found = false;       // the item exists in the current frame
};

// The model's current frame must already be selected. Edit items replace over
// clipboardText; copy items return their text (after clipboardText when append), with
// the clipboard marker filled; link items return their link.
ItemRunResult RunItem(Cls_MySettingFile &model, int itemIndex, const QString &clipboardText,
                      bool append);
