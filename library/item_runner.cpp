#include "item_runner.h"

#include "setting_model.h"
#include "text_transformation.h"

ItemRunResult RunItem(Cls_MySettingFile &model, int itemIndex, const QString &clipboardText,
                      bool append)
{
    ItemRunResult result;
    const QString output = model.DataGet(itemIndex, clipboardText);
    result.found = model.IsPrepare();
    if (!result.found) {
        return result;
    }
    // The kind comes from the item itself: the model's kind flags keep the previous
    // item's kind when this one has nothing to run, and Shift would then append.
    if (model.isReg()) {
        result.kind = ItemKind::Edit;
        result.patternError = model.LastPatternError();
        result.output = output;
    } else if (model.isData()) {
        result.kind = ItemKind::Copy;
        // The marker is filled in the stored text only: the clipboard text put in
        // front is the user's own and stays as it is, markers included.
        const QString filled = FncStr_FillClipboardPlaceholder(output, clipboardText);
        result.output = append ? clipboardText + filled : filled;
    } else if (model.isLink()) {
        result.kind = ItemKind::Link;
        result.output = output;
    }
    return result;
}
