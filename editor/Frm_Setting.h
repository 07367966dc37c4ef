// Frm_Setting: the settings editor's main form. It coordinates the edit tree, the pages,
// the file commands and the status line. The tree is the working copy of the setting:
// each frame node's tag holds the frame's element text and each item node's tag the
// item's; the pages write their fields into the tags, and saving rebuilds the model from
// them.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

struct EditorState;
class Cls_Effect;
class Cls_InputLimitation;
class EditTree;
class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QTabBar;
class QTreeWidgetItem;
class ReadBackCheck;
class TreePages;

namespace Ui {
class Frm_Setting;
}

class Frm_Setting final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Frm_Setting)

public:
    // preferredSetting: the setting to select first (the file chosen by Open), ahead of
    // the command-line argument. The state outlives every form.
    explicit Frm_Setting(EditorState &state, const QString &preferredSetting = {},
                         QWidget *parent = nullptr);
    ~Frm_Setting() override;

    // The main form now shown (Open replaces it with a new instance), or null.
    static Frm_Setting *Instance();
    // Brings the main form to the front (the "activate" request of a later start).
    static void Sub_Activate();

    // What ends the program when the form unloads; tests observe it.
    using EndHandler = std::function<void()>;
    static EndHandler SetEndHandler(EndHandler handler);

    // Start-up and file commands.
    void Sub_ShowStatus(const QString &text);
    void Sub_ListSettingFiles(QComboBox *combo);
    static void Sub_ListFonts(QComboBox *combo);
    bool FncBln_SelectInitialSetting();
    void Sub_LoadSettingToForm();
    bool FncBln_OpenSettingFile();
    bool FncBln_SaveSetting();
    void Sub_CreateBackup();
    void Sub_RestoreBackup();
    bool FncBln_ShowPreview();
    static QString FncStr_JoinPath(const QString &folder, const QString &name);
    static QString FncStr_GetFolderPath(const QString &path);
    static int FncLng_GetSelectedTab(const QTabBar *tabs);
    static void Sub_ShowPage(const QList<QFrame *> &frames, int page);
    void Sub_ShowTypeFrame(int index);
    void Sub_AlignTabFrames();

    // Editing commands.
    bool FncBln_CreateRootNode();
    bool FncBln_CreateChildNode();
    bool FncBln_CopyNode();
    bool FncBln_PasteNode();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void connectEvents();
    void Form_Load();
    void Form_FirstActivate();
    void Cbo_SettingFiles_Click();
    void Sub_SelectSettingEntry(int index);
    void mnu_Save_Click();
    bool FncBln_OpenSettingPath(const QString &path);
    void Sub_RefuseField(QWidget *field, const QString &label, const QString &piece);

    // The tree and the pages.
    bool FncBln_BuildTree();
    bool FncBln_AskName(QString &name);
    void Sub_UpdateEditMenu(bool allOff);
    void Sub_ResetPageLook();
    void Sub_ShowEditPopup(const QPoint &globalPos);
    void mnu_EditListItem_Click(int index);
    void Cmd_CreateNewNodes_Click();
    void Cmd_FrameUpdate_Click();
    void Lbl_OpenOption_Click();
    void Cmd_RegTest_Click(const QString &sample);
    void Lbl_DefaultSetting_Click(int index);
    void Trv_EditList_Click();
    void Sub_PageSwitch();
    bool pageSwitchAllowed() const;

    EditorState &m_state;
    std::unique_ptr<Ui::Frm_Setting> ui;
    std::unique_ptr<EditTree> m_tree;
    std::unique_ptr<ReadBackCheck> m_check;
    std::unique_ptr<TreePages> m_pages;
    // What may be typed into the number fields, and the press look of the clickable labels.
    Cls_InputLimitation *m_inputLimitation = nullptr;
    Cls_Effect *m_effect = nullptr;
    // Control arrays: element k is the control "Name_k".
    QList<QFrame *> Fra_Tabs;
    QList<QFrame *> Fra_OptListArea;
    QMenu *mnu_File = nullptr;
    QMenu *mnu_EditList = nullptr;
    QMenu *mnu_Help = nullptr;
    QAction *mnu_Reload = nullptr;
    QAction *mnu_Open = nullptr;
    QAction *mnu_Save = nullptr;
    QAction *mnu_End = nullptr;
    QList<QAction *> mnu_EditListItem;

    QString m_preferredSetting;
    QString m_baseCaption;
    bool m_firstActivate = false;
    bool m_reopen = false;
    bool m_preview = false;
    // A field whose value was refused keeps the focus; the click that took it is dropped.
    bool m_refused = false;
    // The selected setting file is there but could not be read: nothing may replace it.
    bool m_unreadable = false;
};
