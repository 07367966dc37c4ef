#include "Frm_Setting.h"

#include "Cls_MyTree.h"
#include "Cls_ValueCheck.h"
#include "ColorPage.h"
#include "EditTree.h"
#include "EditorState.h"
#include "ExtraPanel.h"
#include "FocusMoves.h"
#include "FramePage.h"
#include "Frm_Item_FromIniFile.h"
#include "Frm_NewName.h"
#include "ItemPage.h"
#include "PaletteModule.h"
#include "ReadBackCheck.h"
#include "WindowPage.h"
#include "file_system.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "setting_values.h"
#include "tag_document.h"
#include "text_file.h"
#include "ui_Frm_Setting.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <limits>

namespace {

QPointer<Frm_Setting> s_instance;
Frm_Setting::EndHandler s_endHandler;
Frm_Setting::NameDialogHook s_nameDialogHook;

bool isPathSeparator(QChar c)
{
    return c == QDir::separator() || c == QLatin1Char('/');
}

template<typename T> T *named(T *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}

// Opens the state's setting file into a fresh model, as the palette does but keeping the
// date placeholders, so that saving writes them back intact.
void openSetting(EditorState &state)
{
    auto model = std::make_shared<Cls_MySettingFile>();
    model->Path(state.settingFolder);
    model->Name(state.settingFile);
    model->FillDatesOnLoad(false);
    state.setting = model;
    if (model->LoadFile()) {
        return;
    }
    // Only a file that is not there is replaced by the default one: a file that exists but
    // could not be read still holds the user's settings.
    if (QFileInfo::exists(TextFile::joinPath(state.settingFolder, state.settingFile))) {
        return;
    }
    if (model->SaveFile(DefaultSettingFileText())) {
        model->LoadFile();
    }
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
    // Clicks fall through to the tree, whose first click hides the message.
    ui->Txt_Message->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->Txt_Message->setPlainText(QStringLiteral("\n\n\n\n 　設定ファイルを選択してください\n"));
    ui->Fra_Extra->hide();
    ui->Tab_Title->addTab(QStringLiteral("基本設定"));
    ui->Tab_Title->addTab(QStringLiteral("色情報"));
    ui->Tab_Title->addTab(QStringLiteral("データ設定"));
    ui->Tab_Option->addTab(QStringLiteral("データ内容"));
    ui->Tab_Option->addTab(QStringLiteral("追加設定"));
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

Frm_Setting::NameDialogHook Frm_Setting::SetNameDialogHook(NameDialogHook hook)
{
    return std::exchange(s_nameDialogHook, std::move(hook));
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
    connect(ui->Tab_Title, &QTabBar::currentChanged, this,
            [this](int) { Sub_ShowPage(Fra_Tabs, FncLng_GetSelectedTab(ui->Tab_Title)); });
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
    connect(ui->Fra_OptListArea_0, &ItemPage::updateClicked, this, [this] { Sub_StoreItemPage(); });
    connect(ui->Fra_OptListArea_1, &FramePage::updateClicked, this,
            &Frm_Setting::Cmd_FrameUpdate_Click);
    // Every edit reaches the tree as soon as the focus moves on.
    connect(ui->Fra_OptListArea_0, &ItemPage::fieldLeft, this, [this] {
        if (Sub_StoreItemPage()) {
            Sub_StoreFramePage(true);
        }
    });
    connect(ui->Fra_OptListArea_1, &FramePage::fieldLeft, this,
            [this] { Sub_StoreFramePage(true); });
    connect(ui->Fra_Tabs_1, &ColorPage::reloadRequested, this, [this] {
        if (m_state.setting) {
            ui->Fra_Tabs_1->load(*m_state.setting);
        }
    });

    ui->Trv_EditList->installEventFilter(this);
    ui->Trv_EditList->viewport()->installEventFilter(this);
    ui->Lbl_OpenOption->installEventFilter(this);
    // Reachable from the keyboard as well: Tab stops on it, Space or Enter opens it.
    ui->Lbl_OpenOption->setFocusPolicy(Qt::StrongFocus);
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
    return !m_suppressPageSwitch && !m_tree->isBusy();
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
    openSetting(m_state);
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
    field->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, this, [this, field = QPointer<QWidget>(field)] {
        m_refused = false;
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
        openSetting(state);
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
    if (m_tree->selected() != nullptr && (!Sub_StoreItemPage() || !Sub_StoreFramePage(true))) {
        return false;
    }
    ui->Fra_Tabs_1->store(model);
    ui->Fra_Tabs_0->store(model);
    model.SetLastSetting(name);
    Sub_StoreFrameOrder();
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
    const QString name = ui->Cbo_SettingFiles->currentText();
    const QString backupFolder = FncStr_JoinPath(m_state.settingFolder, QStringLiteral("_backup"));
    Cls_FileSystem fileSystem;
    bool ok = !name.isEmpty() && fileSystem.PFncBln_CreateFolder(backupFolder);
    if (ok) {
        const QString file = name + QStringLiteral(".xml");
        ok = fileSystem.PFncBln_CopyFile(FncStr_JoinPath(m_state.settingFolder, file),
                                         FncStr_JoinPath(backupFolder, file), true);
    }
    Sub_ShowStatus(ok ? QStringLiteral("バックアップを作成しました")
                      : QStringLiteral("バックアップの作成に失敗しました"));
}

// A backup cut short (a full disk) still reads, but its document never closes.
bool Frm_Setting::FncBln_BackupLoads(const QString &folder, const QString &file) const
{
    Cls_XML text;
    text.SaveFilePath_Prop(folder);
    Cls_MySettingFile backup;
    backup.Path(folder);
    backup.Name(file);
    backup.FillDatesOnLoad(false);
    return text.OnlyReadFile_bln(file) &&
           text.FileData().contains(QStringLiteral("</") + SettingFormat::SavedRoot + u'>') &&
           backup.LoadFile();
}

void Frm_Setting::Sub_RestoreBackup()
{
    const QString name = ui->Cbo_SettingFiles->currentText();
    const QString backupFolder = FncStr_JoinPath(m_state.settingFolder, QStringLiteral("_backup"));
    const QString file = name + QStringLiteral(".xml");
    const QString backup = FncStr_JoinPath(backupFolder, file);
    bool ok = !name.isEmpty();
    if (ok && QFileInfo::exists(backup) && !FncBln_BackupLoads(backupFolder, file)) {
        // It would replace the user's settings with what cannot be read back.
        FncInt_MessageBox(MsgBox::Exclamation,
                          QStringLiteral("バックアップは設定ファイルとして読み込めないため、"
                                         "戻しませんでした。\r\n『%1』")
                              .arg(backup),
                          QStringLiteral("戻せません"));
        ok = false;
    } else if (ok) {
        Cls_FileSystem fileSystem;
        ok =
            fileSystem.PFncBln_CopyFile(backup, FncStr_JoinPath(m_state.settingFolder, file), true);
    }
    if (!ok) {
        Sub_ShowStatus(QStringLiteral("バックアップからの復帰に失敗しました"));
        return;
    }
    // The restored file replaces what the form and the tree show.
    Cbo_SettingFiles_Click();
    Sub_ShowStatus(QStringLiteral("バックアップから復帰しました"));
}

// The preview is the palette's own window on the palette's own state: the editor hands it
// the setting it edits and asks for a reload explicitly; the palette's model is another
// instance than the editor's.
bool Frm_Setting::FncBln_ShowPreview()
{
    const QString name = ui->Cbo_SettingFiles->currentText();
    gStr_SettingFolder = m_state.settingFolder;
    gStr_ProgramName = m_state.programName;
    gStr_SettingFile = name.isEmpty() ? m_state.settingFile : name + QStringLiteral(".xml");
    Frm_Item_FromIniFile *preview = mdl_Palette::CurrentWindow();
    if (m_preview && preview != nullptr) {
        preview->Lbl_Reload_Click();
        preview = mdl_Palette::CurrentWindow();
    }
    if (preview == nullptr) {
        // The preview acts as the palette does, on the file with the dates filled. Before a
        // setting is chosen there is no file to load (nor a default one to write).
        if (!name.isEmpty()) {
            OpenSettingFile(true);
        } else if (!gObj_Setting) {
            gObj_Setting = std::make_shared<Cls_MySettingFile>();
        }
        preview = new Frm_Item_FromIniFile;
        mdl_Palette::SetCurrentWindow(preview);
    }
    preview->show();
    preview->SetMode(true);
    m_preview = true;
    return true;
}

// ---------------------------------------------------------------------------------------
// The tree and the pages

bool Frm_Setting::FncBln_BuildTree()
{
    m_copyKey.clear();
    m_copyFlag = false;
    Sub_ShowFramePage(nullptr);
    Sub_ShowItemPage(nullptr);
    return m_state.setting && m_tree->build(*m_state.setting);
}

// Step F1: the model applies the frame defaults (fonts, one item per line).
void Frm_Setting::Sub_ShowFramePage(QTreeWidgetItem *frame)
{
    if (!m_state.setting) {
        return;
    }
    Cls_MySettingFile &model = *m_state.setting;
    model.SetCurrentFrame(frame != nullptr ? Cls_MyTree::NodeTag(frame) : QString());
    ui->Fra_OptListArea_1->showFrame(frame != nullptr ? Cls_MyTree::NodeKey(frame) : QString(),
                                     model.GetFrameTitle(), model.GetFont(), model.GetItemFont(),
                                     model.GetLineCount());
}

// The page goes back into the frame it was read from, wherever the selection is by now.
bool Frm_Setting::Sub_StoreFramePage(bool loadFirst)
{
    FramePage *page = ui->Fra_OptListArea_1;
    QTreeWidgetItem *frameNode = m_tree->find(page->boundKey());
    if (frameNode == nullptr) {
        return false;
    }
    // A frame whose items were never loaded holds only its dummy: gathering the children
    // then would drop every item, so they are loaded first whatever the caller asked.
    Q_UNUSED(loadFirst)
    m_tree->loadIfUnloaded(frameNode);
    SettingFrame frame = page->frame();
    frame.items = ReadBackCheck::childItems(frameNode);
    const PageFields fields = page->fields();
    const auto readsBack = [&](const QStringList &values) {
        SettingFrame tried = frame;
        tried.title = values.at(0);
        tried.font = values.at(1);
        tried.itemFont = values.at(2);
        tried.lineCount = values.at(3);
        return m_check->frameReadsBack(frameNode, tried);
    };
    if (!m_check->FncBln_CheckFields(fields, readsBack)) {
        return false;
    }
    Cls_MyTree::SetNodeTag(frameNode, frame.compose());
    frameNode->setText(0, frame.title);
    return true;
}

void Frm_Setting::Sub_ShowItemPage(QTreeWidgetItem *node)
{
    ui->Fra_OptListArea_0->showItem(node != nullptr ? Cls_MyTree::NodeKey(node) : QString(),
                                    node != nullptr ? SettingItem::parse(Cls_MyTree::NodeTag(node))
                                                    : SettingItem());
}

// The page goes back into the item it was read from; with none, it is only checked.
bool Frm_Setting::Sub_StoreItemPage()
{
    ItemPage *page = ui->Fra_OptListArea_0;
    QTreeWidgetItem *node = m_tree->find(page->boundKey());
    if (node != nullptr && node->parent() == nullptr) {
        node = nullptr;
    }
    const SettingItem item = page->item();
    const PageFields fields = page->fields();
    const auto readsBack = [&](const QStringList &values) {
        SettingItem tried = item;
        tried.name = values.at(0);
        QString *kindValues[2] = {&tried.data, nullptr};
        if (item.kind == SettingItem::Kind::Link) {
            kindValues[0] = &tried.link;
        } else if (item.kind == SettingItem::Kind::Edit) {
            kindValues[0] = &tried.reg;
            kindValues[1] = &tried.replace;
        }
        for (qsizetype k = 1; k < values.size(); ++k) {
            *kindValues[k - 1] = values.at(k);
        }
        return m_check->itemReadsBack(node, tried);
    };
    if (!m_check->FncBln_CheckFields(fields, readsBack)) {
        return false;
    }
    if (node != nullptr) {
        node->setText(0, item.name);
        Cls_MyTree::SetNodeTag(node, item.compose());
    }
    return true;
}

void Frm_Setting::Sub_StoreFrameOrder()
{
    Cls_MySettingFile &model = *m_state.setting;
    model.SetCurrentFrame(QString());
    model.DataSet().InitItem_bln();
    for (const QString &frame : m_tree->frameTexts()) {
        model.AddDataSetFrame(frame);
    }
}

bool Frm_Setting::FncBln_AddNode(bool isFrame, const QString &text, const QString &tag, bool select,
                                 int hourOffset)
{
    const QString key = m_tree->addNode(isFrame, text, tag, hourOffset);
    if (key.isEmpty()) {
        return false;
    }
    if (select) {
        m_tree->select(key);
        // The pages follow the new selection, so that what is stored next belongs to it.
        Sub_PageSwitch();
    }
    return true;
}

bool Frm_Setting::FncBln_DeleteSelected()
{
    QTreeWidgetItem *node = m_tree->selected();
    if (node == nullptr) {
        m_tree->tree()->IsNodeSelect(false);
        return false;
    }
    const QString frameKey =
        node->parent() != nullptr ? Cls_MyTree::NodeKey(node->parent()) : QString();
    {
        const QScopedValueRollback<bool> suppress(m_suppressPageSwitch, true);
        if (!m_tree->tree()->RemoveNode_Selected(false)) {
            return false;
        }
        m_copyKey.clear();
        m_copyFlag = false;
        // The frame's text still lists a removed item until the frame is stored again.
        if (QTreeWidgetItem *frame = m_tree->find(frameKey)) {
            if (ui->Fra_OptListArea_1->boundKey() != frameKey) {
                Sub_ShowFramePage(frame);
            }
            Sub_StoreFramePage(true);
        }
        ui->Trv_EditList->clearSelection();
        ui->Trv_EditList->setCurrentItem(nullptr);
    }
    // Nothing is selected now: the pages show, and store into, nothing.
    Sub_ShowFramePage(nullptr);
    Sub_ShowItemPage(nullptr);
    return true;
}

bool Frm_Setting::FncBln_AskName(QString &name)
{
    Frm_NewName dialog(this);
    dialog.Set_DefaultString(name);
    if (s_nameDialogHook) {
        s_nameDialogHook(dialog);
    } else {
        dialog.exec();
    }
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
                             m_copyFlag};
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
            Sub_ShowFramePage(node->parent());
            Sub_ShowItemPage(node);
            ui->Tab_Option->setCurrentIndex(0);
        } else {
            Sub_ShowFramePage(node);
            Sub_ShowItemPage(nullptr);
            ui->Tab_Option->setCurrentIndex(1);
        }
        Sub_ShowPage(Fra_OptListArea, FncLng_GetSelectedTab(ui->Tab_Option));
    }
    ui->Trv_EditList->setVisible(true);
}

void Frm_Setting::onTreeKey(int key)
{
    const bool frame = m_tree->isFrameSelected();
    // A collapse would otherwise forget the new item order.
    if (m_tree->moveSelected(key == Qt::Key_Up) && !frame) {
        Sub_StoreFramePage(true);
    }
}

// Under the current node, or at the tree's corner when there is none.
QPoint Frm_Setting::editPopupPosition() const
{
    QTreeWidget *tree = ui->Trv_EditList;
    QTreeWidgetItem *current = tree->currentItem();
    const QRect rect = current != nullptr ? tree->visualItemRect(current) : QRect();
    return tree->viewport()->mapToGlobal(rect.isValid() ? rect.bottomLeft() : QPoint(0, 0));
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
    QString status;
    switch (index) {
    case 0:
        status = FncBln_CreateRootNode() && Sub_StoreFramePage(false)
                     ? QStringLiteral("新規カテゴリを追加しました。")
                     : QStringLiteral("新規カテゴリを追加をやめました。");
        break;
    case 2:
        status = FncBln_CreateChildNode() && (Sub_StoreFramePage(false), true)
                     ? QStringLiteral("新規項目を作成しました。")
                     : QStringLiteral("新規項目を作成しませんでした。");
        break;
    case 4:
        status = FncBln_DeleteSelected() ? QStringLiteral("選択していた個所を削除しました。")
                                         : QStringLiteral("削除しませんでした。");
        break;
    case 6:
        if (FncBln_CopyNode()) {
            status = QStringLiteral("選択していた個所をコピーしました。");
        }
        break;
    case 7:
        status = FncBln_PasteNode() && (Sub_StoreFramePage(true), true)
                     ? QStringLiteral("コピー内容を登録しました。")
                     : QStringLiteral("キャンセルしました。");
        break;
    default:
        return;
    }
    // The menu was opened from the tree: its entries follow what the command left.
    Sub_UpdateEditMenu(false);
    Sub_ShowStatus(status);
}

bool Frm_Setting::FncBln_CreateRootNode()
{
    QString name;
    if (!FncBln_AskName(name)) {
        return false;
    }
    SettingFrame frame;
    frame.title = name;
    frame.font = ui->Fra_Tabs_0->commonFont();
    frame.itemFont = frame.font;
    frame.lineCount = QStringLiteral("1");
    const PageField nameField{nullptr, QStringLiteral("名称"), SettingFormat::Title, name};
    if (!m_check->FncBln_CheckFields({nameField}, [&](const QStringList &values) {
            SettingFrame tried = frame;
            tried.title = values.at(0);
            return m_check->frameReadsBack(nullptr, tried);
        })) {
        return false;
    }
    if (!FncBln_AddNode(true, name, frame.compose(), false, 0)) {
        return false;
    }
    // The frame of the selection, also when an item is selected.
    if (QTreeWidgetItem *selectedFrame = m_tree->selectedFrame()) {
        Sub_ShowFramePage(selectedFrame);
    }
    return true;
}

bool Frm_Setting::FncBln_CreateChildNode()
{
    if (!m_tree->tree() || !m_tree->tree()->IsNodeSelect(false)) {
        return false;
    }
    SettingItem item;
    item.kind = SettingItem::Kind::Data;
    if (!FncBln_AskName(item.name)) {
        return false;
    }
    const PageField nameField{nullptr, QStringLiteral("名称"), SettingFormat::Name, item.name};
    if (!m_check->FncBln_CheckFields({nameField}, [&](const QStringList &values) {
            SettingItem tried = item;
            tried.name = values.at(0);
            return m_check->itemReadsBack(nullptr, tried);
        })) {
        return false;
    }
    return FncBln_AddNode(false, item.name, item.compose(), false, 0);
}

bool Frm_Setting::FncBln_CopyNode()
{
    if (!m_tree->tree() || !m_tree->tree()->IsNodeSelect(false)) {
        return false;
    }
    const QTreeWidgetItem *node = m_tree->selected();
    m_copyKey = Cls_MyTree::NodeKey(node);
    // Kept as well: a collapse removes the item node that the key names.
    m_copyText = node->text(0);
    m_copyTag = Cls_MyTree::NodeTag(node);
    m_copyFlag = true;
    return true;
}

bool Frm_Setting::FncBln_PasteNode()
{
    if (!m_tree->tree() || !m_tree->tree()->IsNodeSelect(false) || !m_copyFlag) {
        return false;
    }
    QString name = m_copyText;
    QString tag = m_copyTag;
    if (const QTreeWidgetItem *copied = m_tree->find(m_copyKey)) {
        name = copied->text(0);
        tag = Cls_MyTree::NodeTag(copied);
    }
    if (!FncBln_AskName(name)) {
        return false;
    }
    // Always an item, also when a frame was copied: its values, every one of them.
    SettingItem item = SettingItem::parse(tag);
    item.source.clear();
    item.name = name;
    const PageField nameField{nullptr, QStringLiteral("名称"), SettingFormat::Name, name};
    if (!m_check->FncBln_CheckFields({nameField}, [&](const QStringList &values) {
            SettingItem tried = item;
            tried.name = values.at(0);
            return m_check->itemReadsBack(nullptr, tried);
        })) {
        return false;
    }
    return FncBln_AddNode(false, name, item.compose(), false, 0);
}

void Frm_Setting::Lbl_OpenOption_Click()
{
    ui->Fra_Extra->setVisible(!ui->Fra_Extra->isVisible());
}

bool Frm_Setting::FncBln_CreateSettingGrid()
{
    const qint64 cols = ui->Fra_Extra->columns().trimmed().toInt();
    const qint64 rows = ui->Fra_Extra->rows().trimmed().toInt();
    const qint64 count = cols * rows;
    if (count - 1 >= SettingFormat::MaxItems) {
        FncInt_MessageBox(MsgBox::Critical,
                          QStringLiteral("100以上の設定を作成することはできません。"),
                          QStringLiteral("設定不可"));
        return false;
    }
    if (count <= 0) {
        return false;
    }
    Lbl_OpenOption_Click();
    if (!FncBln_AddNode(true, QStringLiteral("New Item"), QString(), true, 0)) {
        return false;
    }
    QTreeWidgetItem *frame = m_tree->selectedFrame();
    FramePage *framePage = ui->Fra_OptListArea_1;
    framePage->setTitle(QStringLiteral("New Item"));
    framePage->setLineCount(ui->Fra_Extra->columns());
    if (!Sub_StoreFramePage(true)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Item%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        SettingItem item;
        item.name = name;
        item.kind = SettingItem::Kind::Data;
        if (!FncBln_AddNode(false, name, item.compose(), true, i)) {
            return false;
        }
    }
    const QString frameKey = Cls_MyTree::NodeKey(frame);
    m_tree->select(frameKey);
    Sub_PageSwitch();
    framePage->setFont(QStringLiteral("Times New Roman"));
    framePage->setLineCount(ui->Fra_Extra->columns());
    Sub_StoreFramePage(true);
    frame->setExpanded(true);
    return true;
}

void Frm_Setting::Cmd_CreateNewNodes_Click()
{
    if (FncBln_CreateSettingGrid()) {
        Sub_ShowStatus(QStringLiteral("設定を作成しました"));
    }
}

void Frm_Setting::Cmd_FrameUpdate_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui->Trv_EditList->setUpdatesEnabled(false);
    if (Sub_StoreItemPage()) {
        Sub_StoreFramePage(true);
    }
    ui->Trv_EditList->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

// ---------------------------------------------------------------------------------------
// Events of the tree and of "Option"

bool Frm_Setting::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    QWidget *viewport = ui->Trv_EditList->viewport();
    if (watched == viewport && type == QEvent::MouseButtonPress) {
        if (m_refused) {
            return true;
        }
        auto *mouse = static_cast<QMouseEvent *>(event);
        ui->StatusBar_View->clearMessage();
        if (mouse->button() == Qt::RightButton) {
            Sub_ShowEditPopup(mouse->globalPosition().toPoint());
            return true;
        }
    } else if (watched == viewport && type == QEvent::MouseButtonRelease) {
        // A click beside the nodes is a click in the tree too: an empty tree must still
        // hide the message and offer a new frame in the menu.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_refused && mouse->button() == Qt::LeftButton &&
            ui->Trv_EditList->itemAt(mouse->position().toPoint()) == nullptr) {
            Trv_EditList_Click();
        }
    } else if (watched == ui->Trv_EditList && type == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            Sub_ShowEditPopup(editPopupPosition());
            return true;
        }
        if (key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            onTreeKey(key->key());
            return true;
        }
    } else if (watched == ui->Trv_EditList &&
               (type == QEvent::FocusIn || type == QEvent::FocusOut)) {
        // Leaving the tree switches the edit menu off; the menu bar or a menu taking the
        // focus for a moment is not leaving it.
        if (FocusMoves::FncBln_LeavesField(*static_cast<QFocusEvent *>(event))) {
            Sub_UpdateEditMenu(type == QEvent::FocusOut);
        }
    } else if (watched == ui->Lbl_OpenOption) {
        const bool clicked = type == QEvent::MouseButtonRelease;
        const bool pressed = type == QEvent::KeyPress &&
                             QList<int>{Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}.contains(
                                 static_cast<QKeyEvent *>(event)->key());
        if (clicked || pressed) {
            Lbl_OpenOption_Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
