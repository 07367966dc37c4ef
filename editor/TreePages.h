// TreePages: keeps the edit tree and the frame and item pages in step. It shows a node in
// its page, stores a page back into the node it was read from, and carries out the edit
// menu's commands and the grid creation on the tree.
#pragma once

#include <QList>
#include <QString>
#include <functional>

struct EditorState;
struct SettingFrame;
class EditTree;
class ExtraPanel;
class FramePage;
class ItemPage;
class QTreeWidgetItem;
struct RegExpError;
class ReadBackCheck;
class WindowPage;

class TreePages final
{
public:
    struct Pages
    {
        ItemPage *item = nullptr;
        FramePage *frame = nullptr;
        WindowPage *window = nullptr;
        ExtraPanel *extra = nullptr;
    };
    // Asks for a name with the name dialog; false when cancelled.
    using AskName = std::function<bool(QString &name)>;
    // Shows the selection in the pages.
    using PageSwitch = std::function<void()>;

    TreePages(EditorState &state, EditTree &tree, const ReadBackCheck &check, Pages pages,
              AskName askName, PageSwitch pageSwitch);
    Q_DISABLE_COPY_MOVE(TreePages)

    void Sub_ShowFramePage(QTreeWidgetItem *frame);
    bool Sub_StoreFramePage(bool loadFirst);
    void Sub_ShowItemPage(QTreeWidgetItem *node);
    bool Sub_StoreItemPage();
    void Sub_StoreFrameOrder();
    bool FncBln_AddNode(bool isFrame, const QString &text, const QString &tag, bool select,
                        int hourOffset);
    bool FncBln_DeleteSelected();
    bool FncBln_CreateRootNode();
    bool FncBln_CreateChildNode();
    bool FncBln_CopyNode();
    bool FncBln_PasteNode();
    bool FncBln_CreateSettingGrid();
    // Stores the item page, then runs the selected item over the sample as the palette runs
    // it. False, with nothing changed, when no item is selected or the page was refused.
    bool runItemTest(const QString &sample, QString &output, RegExpError &error);
    // Appends the frames of a catalogue, each with its named items, and selects the last.
    bool insertCatalog(const QList<SettingFrame> &frames);

    // Runs entry index of the edit menu and gives the status text to show.
    QString runEditCommand(int index);

    bool hasCopy() const { return m_copyFlag; }
    // A new tree: the copy buffer goes with the old one.
    void forgetCopy();
    // True while a command changes the selection itself.
    bool isBusy() const { return m_busy; }

private:
    EditorState &m_state;
    EditTree &m_tree;
    const ReadBackCheck &m_check;
    Pages m_pages;
    AskName m_askName;
    PageSwitch m_pageSwitch;
    QString m_copyKey;
    QString m_copyText;
    QString m_copyTag;
    bool m_copyFlag = false;
    bool m_busy = false;
};
