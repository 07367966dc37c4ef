// Frm_Setting: the settings editor's main form. The tree is the working copy of the
// setting: each frame node's tag holds the frame's element text and each item node's
// tag the item's; the pages write their fields into the tags, and saving rebuilds the
// model from them.
#pragma once

#include "Cls_ValueCheck.h"
#include <QList>

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class Cls_MyTree;
class Frm_NewName;
class QAction;
class QComboBox;
class QDateTime;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class Frm_Setting;
}

class Frm_Setting final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Frm_Setting)

public:
    // preferredSetting: the setting to select first (the file chosen by Open), ahead of
    // the command-line argument.
    explicit Frm_Setting(const QString &preferredSetting = {}, QWidget *parent = nullptr);
    ~Frm_Setting() override;

    // The main form now shown (Open replaces it with a new instance), or null.
    static Frm_Setting *Instance();
    // Brings the main form to the front (the "activate" request of a later start).
    static void Sub_Activate();

    // What ends the program when the form unloads; tests observe it.
    using EndHandler = std::function<void()>;
    static EndHandler SetEndHandler(EndHandler handler);
    // Replaces the name dialog's modal run: the hook drives the real dialog instead.
    using NameDialogHook = std::function<void(Frm_NewName &dialog)>;
    static NameDialogHook SetNameDialogHook(NameDialogHook hook);
    // Replaces the open-file dialog; returns the chosen path or an empty text.
    using FileChooser = std::function<QString(QWidget *owner)>;
    static FileChooser SetFileChooser(FileChooser chooser);

    // Start-up and file commands.
    void Sub_ShowStatus(const QString &text);
    void Sub_ListSettingFiles(QComboBox *combo);
    static void Sub_ListFonts(QComboBox *combo);
    bool FncBln_SelectInitialSetting();
    void Sub_LoadSettingToForm();
    void Cbo_SettingFiles_Click();
    bool FncBln_OpenSettingFile();
    bool FncBln_OpenSettingPath(const QString &path);
    bool FncBln_SaveSetting();
    void mnu_Save_Click();
    void Sub_CreateBackup();
    void Sub_RestoreBackup();
    bool FncBln_ShowPreview();
    static QString FncStr_JoinPath(const QString &folder, const QString &name);
    static QString FncStr_GetFolderPath(const QString &path);
    static int FncLng_GetSelectedTab(const QTabBar *tabs);
    static void Sub_ShowPage(const QList<QFrame *> &frames, int page);
    void Sub_ShowTypeFrame(int index);
    void Sub_AlignTabFrames();
    static void Sub_SetTabStops(QPlainTextEdit *box, int characters);

    // Colour and whole-window fields.
    void Sub_LoadColorFields();
    void Sub_LoadCommonFields();
    void Sub_ShowColorRow(int index);

    // Editing commands and pages.
    bool FncBln_CreateRootNode();
    bool FncBln_CreateChildNode();
    bool FncBln_CopyNode();
    bool FncBln_PasteNode();
    bool FncBln_BuildTree();
    bool Sub_LoadFrameItems(QTreeWidgetItem *frame);
    void Sub_ShowFramePage(QTreeWidgetItem *frame);
    bool Sub_StoreFramePage(bool loadFirst);
    void Sub_ShowItemPage(QTreeWidgetItem *node);
    bool Sub_StoreItemPage();
    void Sub_StoreFrameOrder();
    bool FncBln_AddNode(bool isFrame, const QString &text, const QString &tag, bool select,
                        int hourOffset);
    bool FncBln_IsNodeSelected() const;
    bool FncBln_IsFrameSelected() const;
    bool FncBln_DeleteSelected();
    bool FncBln_AskName(QString &name);
    void Sub_UpdateEditMenu(bool allOff);
    void Sub_ResetPageLook();
    bool FncBln_CreateSettingGrid();
    void Sub_ShowEditPopup(const QPoint &globalPos);
    void mnu_EditListItem_Click(int index);
    void Cmd_CreateNewNodes_Click();

    Cls_MyTree *Tree() const { return mTree.get(); }
    // "Root" + day, hour, minute and second of now plus the hours, read as a number.
    static QString FncStr_TimeStampKey(const QDateTime &now, int hourOffset);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct PageField;

    void buildForm();
    void buildMenus();
    void connectEvents();
    void Form_Load();
    void Form_FirstActivate();
    void Trv_EditList_Click();
    void Sub_PageSwitch();
    void onNodeExpanded(QTreeWidgetItem *node);
    void onTreeKey(int key);
    void onItemFieldLeft(QWidget *field);
    void onFrameFieldLeft(QWidget *field);
    void Cmd_FrameUpdate_Click();
    void Lbl_OpenOption_Click();
    void Sub_SelectSettingEntry(int index);
    void Sub_TargetOwnSettingFile();
    QTreeWidgetItem *selectedFrameNode() const;
    QTreeWidgetItem *pageFrame() const;
    QTreeWidgetItem *pageItem() const;
    QPoint editPopupPosition() const;
    static void moveFocusOn(QWidget *from, bool forward);
    QString FncStr_FreeKey(const QString &key) const;
    QString itemPageText(QPlainTextEdit *box) const;
    using ValuesCheck = std::function<bool(const QStringList &values)>;
    bool FncBln_CheckFields(const QList<PageField> &fields, const ValuesCheck &readsBack);
    void Sub_RefuseField(QWidget *field, const QString &label, const QString &piece);
    Cls_ValueCheck::Document currentDocument(const QTreeWidgetItem *frame = nullptr,
                                             const QString &frameText = {}) const;
    bool FncBln_FrameReadsBack(const QTreeWidgetItem *frame,
                               const Cls_ValueCheck::Elements &elements) const;
    bool FncBln_ItemReadsBack(const QTreeWidgetItem *node, const QList<PageField> &fields,
                              const QStringList &values) const;
    QList<PageField> FncLst_ColorFields() const;
    QList<PageField> FncLst_CommonFields() const;
    bool FncBln_CheckDocument();
    bool FncBln_CheckEncodable();
    void Sub_StoreCommonFields();
    QString FncStr_BooleanText(const QRadioButton *trueOption) const;
    void Sub_SetBooleanOptions(QRadioButton *trueOption, QRadioButton *falseOption,
                               const QString &value);

    std::unique_ptr<Ui::Frm_Setting> ui;
    // Control arrays: element k is the control "Name_k".
    QList<QLabel *> Lbl_Box[3];
    QList<QFrame *> Fra_Tabs;
    QList<QFrame *> Fra_OptListArea;
    QList<QFrame *> Fra_Type;
    QList<QRadioButton *> Opt_ItemType;
    QList<QLineEdit *> Txt_Color;
    QList<QLabel *> Lbl_Color;
    QList<QPushButton *> Cmd_ShowColor;
    QList<QPushButton *> Cmd_ColorPreView;
    QList<QRadioButton *> Opt_Version;
    QList<QRadioButton *> Opt_TopMost;
    QList<QRadioButton *> Opt_Selecter;
    QMenu *mnu_File = nullptr;
    QMenu *mnu_EditList = nullptr;
    QMenu *mnu_Help = nullptr;
    QAction *mnu_Reload = nullptr;
    QAction *mnu_Open = nullptr;
    QAction *mnu_Save = nullptr;
    QAction *mnu_End = nullptr;
    QList<QAction *> mnu_EditListItem;

    // State.
    std::unique_ptr<Cls_MyTree> mTree;
    QString mPreferredSetting;
    QString mBaseCaption;
    bool mFirstActivate = false;
    bool mReopen = false;
    bool mPreview = false;
    int mLabelFontSize = 9;
    int mCellFontSize = 14;
    QString mCopyKey;
    QString mCopyText;
    QString mCopyTag;
    bool mCopyFlag = false;
    bool mSkipLoad = false;
    // The nodes the pages were read from, by key: a store writes there and nowhere else.
    QString mFramePageKey;
    QString mItemPageKey;
    QList<QObject *> mTabLeaves;
    // Selecting by code is not a click: it must not refill the pages.
    bool mSuppressPageSwitch = false;
    // A field whose value was refused keeps the focus; the click that took it is dropped.
    bool mRefused = false;
    // The selected setting file is there but could not be read: nothing may replace it.
    bool mUnreadable = false;
};
