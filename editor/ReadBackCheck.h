// ReadBackCheck: whether what the pages and the tree hold comes back unchanged from the
// setting file the save would write (the file has no escaping), and which field and which
// piece of it to name when it does not.
#pragma once

#include "Cls_ValueCheck.h"
#include "PageField.h"
#include "setting_values.h"

#include <QStringList>
#include <functional>

class ColorPage;
class QTreeWidget;
class QTreeWidgetItem;
class WindowPage;

class ReadBackCheck final
{
public:
    // Shows the refusal and puts the focus into the field.
    using Refuse = std::function<void(QWidget *field, const QString &label, const QString &piece)>;
    // Whether everything reads back with these values in the fields, in field order.
    using ValuesCheck = std::function<bool(const QStringList &values)>;

    ReadBackCheck(const QTreeWidget *tree, const WindowPage *window, const ColorPage *colors,
                  Refuse refuse);

    // True when the fields read back; otherwise refuses, naming the field that fails with
    // the others emptied and the piece of it that fails on its own.
    bool FncBln_CheckFields(const PageFields &fields, const ValuesCheck &readsBack) const;

    // The file as the save would write it now, with one frame's text in place of its
    // node's tag when given.
    Cls_ValueCheck::Document document(const QTreeWidgetItem *frameNode = nullptr,
                                      const QString &frameText = {}) const;
    // The frame comes back from its text, and (with a node) its text from the whole file.
    bool frameReadsBack(const QTreeWidgetItem *frameNode, const SettingFrame &frame) const;
    // The item comes back from its text, and (with a node) from its frame and the file.
    bool itemReadsBack(const QTreeWidgetItem *node, const SettingItem &item) const;
    // The items of a frame node as the tree holds them, in order.
    static QList<SettingItem> childItems(const QTreeWidgetItem *frameNode,
                                         const QTreeWidgetItem *replaced = nullptr,
                                         const SettingItem &replacement = {});

    // The whole file; names the window field, or the frame, to blame. page receives the
    // window page (0) or colour page (1) that holds the refused field.
    bool FncBln_CheckDocument(int *page) const;
    // Names the first character that code page 932 cannot hold and where it stands.
    bool FncBln_CheckEncodable() const;

private:
    const QTreeWidget *m_tree;
    const WindowPage *m_window;
    const ColorPage *m_colors;
    Refuse m_refuse;
};
