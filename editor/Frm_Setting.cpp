#include "Frm_Setting.h"

#include "Cls_Effect.h"
#include "Cls_InputLimitation.h"
#include "Cls_ValueCheck.h"
#include "ColorPage.h"
#include "EditTree.h"
#include "EditorState.h"
#include "ExtraPanel.h"
#include "FramePage.h"
#include "Frm_Item_FromIniFile.h"
#include "Frm_NewName.h"
#include "ItemPage.h"
#include "LiveTestBench.h"
#include "PaletteModule.h"
#include "ReadBackCheck.h"
#include "SettingFiles.h"
#include "TreePages.h"
#include "WindowPage.h"
#include "platform_wrappers.h"
#include "setting_catalog.h"
#include "setting_model.h"
#include "text_file.h"
#include "ui_Frm_Setting.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <limits>

namespace {

QPointer<Frm_Setting> s_instance;
Frm_Setting::EndHandler s_endHandler;

bool isPathSeparator(QChar c)
{
    return c == QDir::separator() || c == QLatin1Char('/');
}

template<typename T> T *named(T *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Construction, load, activation, unload

Frm_Setting::Frm_Setting(EditorState &state, const QString &preferredSetting, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , ui(std::make_unique<Ui::Frm_Setting>())
    , m_preferredSetting(preferredSetting)
{
    s_instance = this;
    ui->setupUi(this);
    // A line edit cuts text at 32767 characters by default: a longer loaded value would be
    // saved shortened without a word.
    for (QLineEdit *field : findChildren<QLineEdit *>()) {
        field->setMaxLength(std::numeric_limits<int>::max());
    }
    m_baseCaption = windowTitle();
    Fra_Tabs = {ui->Fra_Tabs_0, ui->Fra_Tabs_1, ui->Fra_Tabs_2};
    Fra_OptListArea = {ui->Fra_OptListArea_0, ui->Fra_OptListArea_1};
    m_tree = std::make_unique<EditTree>(ui->Trv_EditList);
    m_check = std::make_unique<ReadBackCheck>(
        ui->Trv_EditList, ui->Fra_Tabs_0, ui->Fra_Tabs_1,
        [this](QWidget *field, const QString &label, const QString &piece) {
            Sub_RefuseField(field, label, piece);
        });
    m_pages = std::make_unique<TreePages>(
        m_state, *m_tree, *m_check,
        TreePages::Pages{ui->Fra_OptListArea_0, ui->Fra_OptListArea_1, ui->Fra_Tabs_0,
                         ui->Fra_Extra},
        [this](QString &name) { return FncBln_AskName(name); }, [this] { Sub_PageSwitch(); });
    // Clicks fall through to the tree, whose first click hides the message.
    ui->Txt_Message->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->Txt_Message->setPlainText(QStringLiteral("\n\n\n\n 　設定ファイルを選択してください\n"));
    ui->Fra_Extra->hide();
    ui->Tab_Title->addTab(QStringLiteral("基本設定"));
    ui->Tab_Title->addTab(QStringLiteral("色情報"));
    ui->Tab_Title->addTab(QStringLiteral("データ設定"));
    ui->Tab_Option->addTab(QStringLiteral("データ内容"));
    ui->Tab_Option->addTab(QStringLiteral("追加設定"));
    m_inputLimitation = new Cls_InputLimitation(this);
    m_inputLimitation->watchEditorFields(this);
    m_effect = new Cls_Effect(this);
    m_effect->watchEditorLabels(this);
    m_effect->watchEditorTextBoxes(this);
    buildMenus();
    connectEvents();
    Form_Load();
}

Frm_Setting::~Frm_Setting()
{
    if (s_instance == this) {
        s_instance = nullptr;
    }
}

Frm_Setting *Frm_Setting::Instance()
{
    return s_instance;
}

void Frm_Setting::Sub_Activate()
{
    Frm_Setting *form = s_instance;
    if (form == nullptr) {
        return;
    }
    if (form->isMinimized()) {
        form->showNormal();
    }
    form->show();
    form->raise();
    form->activateWindow();
}

Frm_Setting::EndHandler Frm_Setting::SetEndHandler(EndHandler handler)
{
    return std::exchange(s_endHandler, std::move(handler));
}

void Frm_Setting::buildMenus()
{
    mnu_File =
        named(menuBar()->addMenu(QStringLiteral("ファイル(&F)")), QStringLiteral("mnu_File"));
    mnu_Reload = named(mnu_File->addAction(QStringLiteral("現在の設定で表示(&R)")),
                       QStringLiteral("mnu_Reload"));
    named(mnu_File->addSeparator(), QStringLiteral("mnu_FileListItem01"));
    mnu_Open = named(mnu_File->addAction(QStringLiteral("開く(&O)")), QStringLiteral("mnu_Open"));
    mnu_Save =
        named(mnu_File->addAction(QStringLiteral("上書き保存(&S)")), QStringLiteral("mnu_Save"));
    mnu_Save->setShortcut(QKeySequence::Save);
    named(mnu_File->addSeparator(), QStringLiteral("mnu_FileListItem02"));
    mnu_End = named(mnu_File->addAction(QStringLiteral("終了(&X)")), QStringLiteral("mnu_End"));

    mnu_EditList =
        named(menuBar()->addMenu(QStringLiteral("設定一覧(&E)")), QStringLiteral("mnu_EditList"));
    const QStringList editCaptions = {
        QStringLiteral("カテゴリ作成(&N)"), QStringLiteral("-"),
        QStringLiteral("項目作成(&I)"),     QStringLiteral("-"),
        QStringLiteral("削除(&D)"),         QStringLiteral("-"),
        QStringLiteral("コピー(&C)"),       QStringLiteral("貼り付け(&V)")};
    for (int k = 0; k < editCaptions.size(); ++k) {
        QAction *action = editCaptions.at(k) == QStringLiteral("-")
                              ? mnu_EditList->addSeparator()
                              : mnu_EditList->addAction(editCaptions.at(k));
        action->setObjectName(QStringLiteral("mnu_EditListItem_%1").arg(k));
        if (!action->isSeparator()) {
            connect(action, &QAction::triggered, this, [this, k] { mnu_EditListItem_Click(k); });
        }
        mnu_EditListItem.append(action);
    }

    mnu_Help = named(menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)")), QStringLiteral("mnu_Help"));
    named(mnu_Help->addAction(QStringLiteral("簡単説明")), QStringLiteral("mnu_HelpItem_0"));
    named(mnu_Help->addAction(QStringLiteral("使い方説明")), QStringLiteral("mnu_HelpItem_1"));
    named(mnu_Help->addSeparator(), QStringLiteral("mnu_HelpItem_2"));
    named(mnu_Help->addAction(QStringLiteral("特殊文字設定について")),
          QStringLiteral("mnu_HelpItem_3"));
}

void Frm_Setting::connectEvents()
{
    connect(ui->Cbo_SettingFiles, &QComboBox::activated, this,
            [this](int) { Cbo_SettingFiles_Click(); });
    connect(ui->Tab_Title, &QTabBar::currentChanged, this, [this](int) {
        ui->Fra_OptListArea_0->closeTestArea();
        Sub_ShowPage(Fra_Tabs, FncLng_GetSelectedTab(ui->Tab_Title));
    });
    connect(ui->Tab_Option, &QTabBar::currentChanged, this,
            [this](int) { Sub_ShowPage(Fra_OptListArea, FncLng_GetSelectedTab(ui->Tab_Option)); });
    connect(mnu_Reload, &QAction::triggered, this, [this] { FncBln_ShowPreview(); });
    connect(ui->Cmd_Preview, &QPushButton::clicked, this, [this] { FncBln_ShowPreview(); });
    connect(mnu_Open, &QAction::triggered, this, [this] { FncBln_OpenSettingFile(); });
    connect(mnu_Save, &QAction::triggered, this, &Frm_Setting::mnu_Save_Click);
    connect(ui->Cmd_Save, &QPushButton::clicked, this, &Frm_Setting::mnu_Save_Click);
    connect(mnu_End, &QAction::triggered, this, &QWidget::close);
    connect(ui->Cmd_Close, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->Cmd_CreateBackup, &QPushButton::clicked, this, &Frm_Setting::Sub_CreateBackup);
    connect(ui->Cmd_復活, &QPushButton::clicked, this, &Frm_Setting::Sub_RestoreBackup);
    connect(ui->Fra_Extra, &ExtraPanel::createRequested, this,
            &Frm_Setting::Cmd_CreateNewNodes_Click);
    connect(ui->Fra_OptListArea_0, &ItemPage::updateClicked, this,
            [this] { m_pages->Sub_StoreItemPage(); });
    connect(ui->Fra_OptListArea_0, &ItemPage::statusMessage, this, &Frm_Setting::Sub_ShowStatus);
    connect(ui->Fra_OptListArea_0, &ItemPage::testRequested, this, &Frm_Setting::Cmd_RegTest_Click);
    connect(ui->Fra_Tabs_1, &ColorPage::statusMessage, this, &Frm_Setting::Sub_ShowStatus);
    connect(ui->Fra_Extra, &ExtraPanel::catalogChosen, this,
            &Frm_Setting::Lbl_DefaultSetting_Click);
    connect(ui->Fra_OptListArea_1, &FramePage::updateClicked, this,
            &Frm_Setting::Cmd_FrameUpdate_Click);
    // Every edit reaches the tree as soon as the focus moves on.
    connect(ui->Fra_OptListArea_0, &ItemPage::fieldLeft, this, [this] {
        if (m_pages->Sub_StoreItemPage()) {
            m_pages->Sub_StoreFramePage(true);
        }
    });
    connect(ui->Fra_OptListArea_1, &FramePage::fieldLeft, this,
            [this] { m_pages->Sub_StoreFramePage(true); });
    connect(ui->Fra_Tabs_1, &ColorPage::reloadRequested, this, [this] {
        if (m_state.setting) {
            ui->Fra_Tabs_1->load(*m_state.setting);
        }
    });

    connect(m_tree.get(), &EditTree::pressed, this, [this] { ui->StatusBar_View->clearMessage(); });
    connect(m_tree.get(), &EditTree::clickedBeside, this, &Frm_Setting::Trv_EditList_Click);
    connect(m_tree.get(), &EditTree::contextMenuRequested, this, &Frm_Setting::Sub_ShowEditPopup);
    connect(m_tree.get(), &EditTree::focusChanged, this,
            [this](bool entered) { Sub_UpdateEditMenu(!entered); });
    // A collapse would otherwise forget the new item order.
    connect(m_tree.get(), &EditTree::itemMoved, this,
            [this] { m_pages->Sub_StoreFramePage(true); });
    ui->Lbl_OpenOption->installEventFilter(this);
    // Reachable from the keyboard as well: Tab stops on it, Space or Enter opens it.
    ui->Lbl_OpenOption->setFocusPolicy(Qt::StrongFocus);
    ui->Lbl_OpenOption->setStyleSheet(QStringLiteral(
        "QLabel:focus { background: palette(highlight); color: palette(highlighted-text); }"));
    connect(ui->Trv_EditList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) {
                if (pageSwitchAllowed() && current != nullptr && ui->Trv_EditList->hasFocus()) {
                    Trv_EditList_Click();
                }
            });
    connect(ui->Trv_EditList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *, int) { Trv_EditList_Click(); });
    connect(ui->Trv_EditList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *, int) { Sub_PageSwitch(); });
}

bool Frm_Setting::pageSwitchAllowed() const
{
    return !m_tree->isBusy() && !m_pages->isBusy();
}

void Frm_Setting::Form_Load()
{
    m_firstActivate = true;
    Sub_ListSettingFiles(ui->Cbo_SettingFiles);
    ui->Tab_Title->setCurrentIndex(2);
    Sub_ShowPage(Fra_Tabs, 3);
    Sub_ShowPage(Fra_OptListArea, 1);
    for (const char *name : {"Cbo_Fonts", "Cbo_FrameFont", "Cbo_ItemFont"}) {
        Sub_ListFonts(findChild<QComboBox *>(QLatin1String(name)));
    }
    Sub_AlignTabFrames();
    if (m_state.setting) {
        ui->Fra_Tabs_0->load(*m_state.setting);
    }
    ui->Fra_Base->setEnabled(false);
    for (QFrame *area : Fra_OptListArea) {
        area->setEnabled(false);
    }
    if (!FncBln_SelectInitialSetting()) {
        if (ui->Cbo_SettingFiles->count() > 0) {
            Sub_SelectSettingEntry(0);
        } else {
            Sub_ShowStatus(QStringLiteral("設定ファイルを選択してください"));
        }
    }
}

void Frm_Setting::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_firstActivate) {
        Form_FirstActivate();
    }
}

void Frm_Setting::Form_FirstActivate()
{
    m_firstActivate = false;
    m_baseCaption += QStringLiteral(" ver%1.%2.%3")
                         .arg(QUORVEL_VERSION_MAJOR)
                         .arg(QUORVEL_VERSION_MINOR)
                         .arg(QUORVEL_VERSION_PATCH);
    setWindowTitle(m_baseCaption);
    Sub_UpdateEditMenu(true);
    Sub_ShowPage(Fra_OptListArea, 1);
    Sub_ShowTypeFrame(0);
}

void Frm_Setting::closeEvent(QCloseEvent *event)
{
    if (m_preview) {
        if (Frm_Item_FromIniFile *preview = mdl_Palette::CurrentWindow()) {
            preview->close();
        }
        m_preview = false;
    }
    if (s_instance == this) {
        s_instance = nullptr;
    }
    event->accept();
    if (!m_reopen) {
        m_state.setting.reset();
        if (s_endHandler) {
            s_endHandler();
        } else {
            QCoreApplication::quit();
        }
    }
}

// ---------------------------------------------------------------------------------------
// Helpers of the form

void Frm_Setting::Sub_ShowStatus(const QString &text)
{
    if (text.isEmpty()) {
        ui->StatusBar_View->clearMessage();
    } else {
        ui->StatusBar_View->showMessage(text);
    }
    // Shown at once, also when long work follows; pending input waits for the loop.
    ui->StatusBar_View->repaint();
}

void Frm_Setting::Sub_ListSettingFiles(QComboBox *combo)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(SettingFileNames(m_state.settingFolder));
    // Nothing is chosen until the load sequence chooses.
    combo->setCurrentIndex(-1);
}

void Frm_Setting::Sub_ListFonts(QComboBox *combo)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItem(QString());
    combo->addItems(QFontDatabase::families());
}

bool Frm_Setting::FncBln_SelectInitialSetting()
{
    const auto select = [this](const QString &name) {
        const int index =
            ui->Cbo_SettingFiles->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) {
            return false;
        }
        Sub_SelectSettingEntry(index);
        return true;
    };
    if (!m_preferredSetting.isEmpty() && select(m_preferredSetting)) {
        return true;
    }
    QString name = m_state.argumentSetting;
    if (name.isEmpty()) {
        name = m_state.setting ? m_state.setting->GetLastSetting() : QString();
        if (name.isEmpty()) {
            return false;
        }
    }
    return select(name);
}

void Frm_Setting::Sub_SelectSettingEntry(int index)
{
    ui->Cbo_SettingFiles->setCurrentIndex(index);
    Cbo_SettingFiles_Click();
}

void Frm_Setting::Cbo_SettingFiles_Click()
{
    const QString name = ui->Cbo_SettingFiles->currentText();
    if (name.isEmpty()) {
        return;
    }
    m_state.settingFile = name + QStringLiteral(".xml");
    SettingFiles::open(m_state);
    Sub_LoadSettingToForm();
    // A file that exists but could not be read still holds the user's settings: the empty
    // form must not be saved over them.
    m_unreadable = m_state.setting->LastError().isSet();
    if (m_unreadable) {
        ui->Fra_Base->setEnabled(false);
        Sub_ShowStatus(QStringLiteral("設定ファイルを読み込めませんでした。"));
        FncInt_MessageBox(MsgBox::Exclamation,
                          QStringLiteral("設定ファイルを読み込めませんでした。\r\n『%1』")
                              .arg(m_state.settingFile),
                          QStringLiteral("読み込みエラー"));
        return;
    }
    ui->Fra_Base->setEnabled(true);
    Sub_ShowStatus(QStringLiteral("対象設定を選択しました。"));
}

void Frm_Setting::Sub_LoadSettingToForm()
{
    ui->Fra_Tabs_1->load(*m_state.setting);
    ui->Fra_Tabs_0->load(*m_state.setting);
    FncBln_BuildTree();
}

QString Frm_Setting::FncStr_JoinPath(const QString &folder, const QString &name)
{
    return TextFile::joinPath(folder, name);
}

QString Frm_Setting::FncStr_GetFolderPath(const QString &path)
{
    qsizetype last = -1;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isPathSeparator(path.at(i))) {
            last = i;
            break;
        }
    }
    if (last < 0) {
        return {};
    }
    // The root keeps its separator: "/a.xml" lies in "/", not in "".
    return last == 0 ? path.left(1) : path.left(last);
}

int Frm_Setting::FncLng_GetSelectedTab(const QTabBar *tabs)
{
    const int index = tabs->currentIndex();
    return index < 0 ? tabs->count() + 1 : index + 1;
}

void Frm_Setting::Sub_ShowPage(const QList<QFrame *> &frames, int page)
{
    for (QFrame *frame : frames) {
        frame->hide();
    }
    if (page >= 1 && page <= frames.size()) {
        frames.at(page - 1)->show();
    }
}

void Frm_Setting::Sub_ShowTypeFrame(int index)
{
    ui->Fra_OptListArea_0->Sub_ShowTypeFrame(index);
}

void Frm_Setting::Sub_AlignTabFrames()
{
    // The pages share one grid cell, so only the look is copied.
    for (int k = 1; k < Fra_Tabs.size(); ++k) {
        Fra_Tabs[k]->setPalette(Fra_Tabs[0]->palette());
        Fra_Tabs[k]->setAutoFillBackground(Fra_Tabs[0]->autoFillBackground());
    }
}

void Frm_Setting::Sub_RefuseField(QWidget *field, const QString &label, const QString &piece)
{
    FncInt_MessageBox(MsgBox::Exclamation,
                      QStringLiteral("「%1」の内容は、保存すると同じ内容で読み込めません。\r\n"
                                     "次の文字列を取り除くか書き換えてください。\r\n『%2』")
                          .arg(label, piece),
                      QStringLiteral("入力内容の確認"));
    if (field == nullptr) {
        return;
    }
    m_refused = true;
    m_tree->setBlocked(true);
    field->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, this, [this, field = QPointer<QWidget>(field)] {
        m_refused = false;
        m_tree->setBlocked(false);
        if (field != nullptr) {
            field->setFocus(Qt::OtherFocusReason);
        }
    });
}

// ---------------------------------------------------------------------------------------
// Open, save, backup, preview

bool Frm_Setting::FncBln_OpenSettingFile()
{
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("設定ファイルを選択"), m_state.settingFolder, QStringLiteral("*.xml"),
        nullptr, QFileDialog::ReadOnly);
    if (path.isEmpty()) {
        return false;
    }
    return FncBln_OpenSettingPath(path);
}

bool Frm_Setting::FncBln_OpenSettingPath(const QString &path)
{
    const QString folder = FncStr_GetFolderPath(path);
    QString file = path.mid(folder.size());
    file.remove(QDir::separator());
    file.remove(QLatin1Char('/'));
    if (file.isEmpty()) {
        return false;
    }
    m_state.settingFolder = folder;
    m_state.settingFile = file;
    m_reopen = true;
    QString chosen = file;
    if (chosen.endsWith(QStringLiteral(".xml"))) {
        chosen.chop(4);
    }
    // This form and the menu that runs this command are still on the stack: the new form
    // comes once they have returned to the event loop.
    EditorState &state = m_state;
    QTimer::singleShot(0, qApp, [&state, chosen] {
        SettingFiles::open(state);
        auto *form = new Frm_Setting(state, chosen);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    });
    close();
    return true;
}

void Frm_Setting::mnu_Save_Click()
{
    // The click that took the focus from a refused field saves nothing.
    if (m_refused) {
        Sub_ShowStatus(QStringLiteral("設定の保存に失敗しました。"));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = FncBln_SaveSetting();
    QApplication::restoreOverrideCursor();
    Sub_ShowStatus(saved ? QStringLiteral("設定を保存しました。")
                         : QStringLiteral("設定の保存に失敗しました。"));
}

bool Frm_Setting::FncBln_SaveSetting()
{
    if (!m_state.setting || !m_tree->tree() || m_unreadable) {
        return false;
    }
    Cls_MySettingFile &model = *m_state.setting;
    const QString name = ui->Cbo_SettingFiles->currentText();
    model.Path(m_state.settingFolder);
    model.Name(name.isEmpty() ? m_state.settingFile : name + QStringLiteral(".xml"));
    if (m_tree->selected() != nullptr &&
        (!m_pages->Sub_StoreItemPage() || !m_pages->Sub_StoreFramePage(true))) {
        return false;
    }
    ui->Fra_Tabs_1->store(model);
    ui->Fra_Tabs_0->store(model);
    model.SetLastSetting(name);
    m_pages->Sub_StoreFrameOrder();
    int page = 0;
    if (!m_check->FncBln_CheckDocument(&page)) {
        ui->Tab_Title->setCurrentIndex(page);
        return false;
    }
    if (!m_check->FncBln_CheckEncodable()) {
        return false;
    }
    if (model.SaveFileAllItems()) {
        return true;
    }
    const Cp932Unencodable failure = model.LastUnencodable();
    if (failure.isSet()) {
        FncInt_MessageBox(MsgBox::Exclamation,
                          QStringLiteral("設定ファイルに保存できない文字が含まれています。\r\n"
                                         "『%1』(%2)")
                              .arg(QString::fromUcs4(&failure.codePoint, 1),
                                   Cls_ValueCheck::FncStr_CodePoint(failure.codePoint)),
                          QStringLiteral("保存できません"));
    }
    return false;
}

void Frm_Setting::Sub_CreateBackup()
{
    Sub_ShowStatus(
        SettingFiles::createBackup(m_state.settingFolder, ui->Cbo_SettingFiles->currentText())
            ? QStringLiteral("バックアップを作成しました")
            : QStringLiteral("バックアップの作成に失敗しました"));
}

void Frm_Setting::Sub_RestoreBackup()
{
    const QString name = ui->Cbo_SettingFiles->currentText();
    const SettingFiles::RestoreResult result =
        SettingFiles::restoreBackup(m_state.settingFolder, name);
    if (result == SettingFiles::RestoreResult::Refused) {
        // It would replace the user's settings with what cannot be read back.
        FncInt_MessageBox(
            MsgBox::Exclamation,
            QStringLiteral("バックアップは設定ファイルとして読み込めないため、"
                           "戻しませんでした。\r\n『%1』")
                .arg(FncStr_JoinPath(QStringLiteral("_backup"), name + QStringLiteral(".xml"))),
            QStringLiteral("戻せません"));
    }
    if (result != SettingFiles::RestoreResult::Done) {
        Sub_ShowStatus(QStringLiteral("バックアップからの復帰に失敗しました"));
        return;
    }
    // The restored file replaces what the form and the tree show.
    Cbo_SettingFiles_Click();
    Sub_ShowStatus(QStringLiteral("バックアップから復帰しました"));
}

bool Frm_Setting::FncBln_ShowPreview()
{
    SettingFiles::showPreview(m_state, ui->Cbo_SettingFiles->currentText(), m_preview);
    m_preview = true;
    return true;
}

// ---------------------------------------------------------------------------------------
// The tree and the pages

bool Frm_Setting::FncBln_BuildTree()
{
    m_pages->forgetCopy();
    m_pages->Sub_ShowFramePage(nullptr);
    m_pages->Sub_ShowItemPage(nullptr);
    return m_state.setting && m_tree->build(*m_state.setting);
}

bool Frm_Setting::FncBln_AskName(QString &name)
{
    Frm_NewName dialog(this);
    dialog.Set_DefaultString(name);
    dialog.exec();
    name = dialog.EnteredName();
    return dialog.IsAccepted();
}

void Frm_Setting::Sub_UpdateEditMenu(bool allOff)
{
    const bool selected = m_tree->selected() != nullptr;
    const bool frame = m_tree->isFrameSelected();
    const bool enabled[8] = {!allOff,
                             false,
                             !allOff && selected,
                             false,
                             !allOff && selected,
                             false,
                             !allOff && selected && !frame,
                             m_pages->hasCopy()};
    for (int k = 0; k < mnu_EditListItem.size(); ++k) {
        if (!mnu_EditListItem[k]->isSeparator()) {
            mnu_EditListItem[k]->setEnabled(enabled[k]);
        }
    }
}

void Frm_Setting::Sub_ResetPageLook()
{
    ui->Txt_Message->hide();
    for (QFrame *area : Fra_OptListArea) {
        area->setEnabled(true);
    }
    ui->Fra_OptListArea_0->resetLook();
    ui->Fra_OptListArea_1->resetLook();
}

void Frm_Setting::Trv_EditList_Click()
{
    Sub_ResetPageLook();
    Sub_ShowStatus(QStringLiteral("CTRL＋↑↓で順番を入れ替える事ができます。"));
    Sub_PageSwitch();
    Sub_UpdateEditMenu(false);
}

// The pages always show the selection as it is now.
void Frm_Setting::Sub_PageSwitch()
{
    QTreeWidgetItem *node = m_tree->selected();
    if (node != nullptr && m_state.setting) {
        if (node->parent() != nullptr) {
            m_pages->Sub_ShowFramePage(node->parent());
            m_pages->Sub_ShowItemPage(node);
            ui->Tab_Option->setCurrentIndex(0);
        } else {
            m_pages->Sub_ShowFramePage(node);
            m_pages->Sub_ShowItemPage(nullptr);
            ui->Tab_Option->setCurrentIndex(1);
        }
        Sub_ShowPage(Fra_OptListArea, FncLng_GetSelectedTab(ui->Tab_Option));
    }
    ui->Trv_EditList->setVisible(true);
}

void Frm_Setting::Sub_ShowEditPopup(const QPoint &globalPos)
{
    Sub_UpdateEditMenu(false);
    mnu_EditList->popup(globalPos);
}

// ---------------------------------------------------------------------------------------
// Editing commands

void Frm_Setting::mnu_EditListItem_Click(int index)
{
    const QString status = m_pages->runEditCommand(index);
    // The menu was opened from the tree: its entries follow what the command left.
    Sub_UpdateEditMenu(false);
    Sub_ShowStatus(status);
}

bool Frm_Setting::FncBln_CreateRootNode()
{
    return m_pages->FncBln_CreateRootNode();
}

bool Frm_Setting::FncBln_CreateChildNode()
{
    return m_pages->FncBln_CreateChildNode();
}

bool Frm_Setting::FncBln_CopyNode()
{
    return m_pages->FncBln_CopyNode();
}

bool Frm_Setting::FncBln_PasteNode()
{
    return m_pages->FncBln_PasteNode();
}

void Frm_Setting::Lbl_OpenOption_Click()
{
    ui->Fra_Extra->setVisible(!ui->Fra_Extra->isVisible());
}

void Frm_Setting::Cmd_RegTest_Click(const QString &sample)
{
    QString output;
    RegExpError error;
    if (!m_pages->runItemTest(sample, output, error)) {
        return;
    }
    // A refused pattern leaves the result empty and says why instead of "replaced".
    ui->Fra_OptListArea_0->showTestResult(output, LiveTestBench::testRunStatus(error));
}

void Frm_Setting::Lbl_DefaultSetting_Click(int index)
{
    if (!m_state.setting) {
        return;
    }
    ui->Fra_Extra->hide();
    m_pages->insertCatalog(SettingCatalog::frames(index));
}

void Frm_Setting::Cmd_CreateNewNodes_Click()
{
    if (m_pages->FncBln_CreateSettingGrid()) {
        Sub_ShowStatus(QStringLiteral("設定を作成しました"));
    }
}

void Frm_Setting::Cmd_FrameUpdate_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui->Trv_EditList->setUpdatesEnabled(false);
    if (m_pages->Sub_StoreItemPage()) {
        m_pages->Sub_StoreFramePage(true);
    }
    ui->Trv_EditList->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

// ---------------------------------------------------------------------------------------
// Events of the tree and of "Option"

bool Frm_Setting::eventFilter(QObject *watched, QEvent *event)
{
    // "Option" opens with a click, or with Space or Enter once Tab has reached it.
    const QEvent::Type type = event->type();
    if (watched == ui->Lbl_OpenOption &&
        (type == QEvent::MouseButtonRelease ||
         (type == QEvent::KeyPress &&
          QList<int>{Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}.contains(
              static_cast<QKeyEvent *>(event)->key())))) {
        Lbl_OpenOption_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
