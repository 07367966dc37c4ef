#include "Frm_Setting.h"

#include "Cls_MyTree.h"
#include "Cls_ValueCheck.h"
#include "Frm_Item_FromIniFile.h"
#include "Frm_NewName.h"
#include "PaletteModule.h"
#include "cp932_codec.h"
#include "file_system.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "tag_document.h"
#include "text_file.h"
#include "ui_Frm_Setting.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace {

QPointer<Frm_Setting> s_instance;
Frm_Setting::EndHandler s_endHandler;
Frm_Setting::NameDialogHook s_nameDialogHook;
Frm_Setting::FileChooser s_fileChooser;

const QString kRootPrefix = QStringLiteral("Root");
const QStringList kColorKeys = {QStringLiteral("Base"), QStringLiteral("Title"),
                                QStringLiteral("Label"), QStringLiteral("Back"),
                                QStringLiteral("Fore")};
const QStringList kColorLabels = {
    QStringLiteral("背景色"), QStringLiteral("タイトル項目"), QStringLiteral("各項目のタイトル"),
    QStringLiteral("選択時の背景色"), QStringLiteral("選択時の前景色")};
const QStringList kFrameKeys = {QStringLiteral("Title"), QStringLiteral("Font"),
                                QStringLiteral("ItemFont"), QStringLiteral("LineCount")};
constexpr int kMaxItems = 100;
constexpr int kMaxFrames = 99;

bool isPathSeparator(QChar c)
{
    return c == QDir::separator() || c == QLatin1Char('/');
}

// Multi-line boxes show LF; the setting files hold CR LF.
QString toDisplay(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Word wrap looks for a break point again for each screen line of a word, so a pasted blob
// without blanks took minutes to show; such a text wraps anywhere instead.
void setPageText(QPlainTextEdit *box, const QString &text)
{
    constexpr qsizetype kLongestWord = 10000;
    qsizetype run = 0;
    bool longRun = false;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord) {
            longRun = true;
            break;
        }
    }
    // Emptied first: a new mode lays out the text that is still there.
    box->clear();
    box->setWordWrapMode(longRun ? QTextOption::WrapAnywhere
                                 : QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(text);
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

// Each pair of digits read as hexadecimal up to its first non-digit; none reads as 0.
QColor colourOfText(const QString &text)
{
    const auto pair = [&text](int start) {
        int value = 0;
        for (int i = start; i < start + 2 && i < text.size(); ++i) {
            const int digit = hexDigit(text.at(i));
            if (digit < 0) {
                break;
            }
            value = value * 16 + digit;
        }
        return value;
    };
    return QColor(pair(0), pair(2), pair(4));
}

} // namespace

struct Frm_Setting::PageField
{
    QWidget *field = nullptr;
    QString label;
    QString key;
    QString value;
};

// ---------------------------------------------------------------------------------------
// Construction and layout

Frm_Setting::Frm_Setting(const QString &preferredSetting, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::Frm_Setting>())
    , mPreferredSetting(preferredSetting)
{
    s_instance = this;
    buildForm();
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

Frm_Setting::FileChooser Frm_Setting::SetFileChooser(FileChooser chooser)
{
    return std::exchange(s_fileChooser, std::move(chooser));
}

namespace {

template<typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

void Frm_Setting::buildForm()
{
    ui->setupUi(this);
    // A line edit cuts text at 32767 characters by default: a longer loaded value would be
    // saved shortened without a word.
    for (QLineEdit *field : findChildren<QLineEdit *>()) {
        field->setMaxLength(std::numeric_limits<int>::max());
    }
    mBaseCaption = windowTitle();
    for (QLabel *cell : findChildren<QLabel *>()) {
        const QString name = cell->objectName();
        if (name.startsWith(QStringLiteral("Lbl_Box0"))) {
            cell->installEventFilter(this);
        }
    }
    Lbl_Box[0] = {ui->Lbl_Box01_0, ui->Lbl_Box01_1, ui->Lbl_Box01_2, ui->Lbl_Box01_3,
                  ui->Lbl_Box01_4};
    Lbl_Box[1] = {ui->Lbl_Box02_0, ui->Lbl_Box02_1, ui->Lbl_Box02_2, ui->Lbl_Box02_3,
                  ui->Lbl_Box02_4};
    Lbl_Box[2] = {ui->Lbl_Box03_0, ui->Lbl_Box03_1, ui->Lbl_Box03_2, ui->Lbl_Box03_3,
                  ui->Lbl_Box03_4};
    Fra_Tabs = {ui->Fra_Tabs_0, ui->Fra_Tabs_1, ui->Fra_Tabs_2};
    Fra_OptListArea = {ui->Fra_OptListArea_0, ui->Fra_OptListArea_1};
    Fra_Type = {ui->Fra_Type_0, ui->Fra_Type_1, ui->Fra_Type_2};
    Opt_ItemType = {ui->Opt_ItemType_0, ui->Opt_ItemType_1, ui->Opt_ItemType_2};
    Txt_Color = {ui->Txt_Color_0, ui->Txt_Color_1, ui->Txt_Color_2, ui->Txt_Color_3,
                 ui->Txt_Color_4};
    Lbl_Color = {ui->Lbl_Color_0, ui->Lbl_Color_1, ui->Lbl_Color_2, ui->Lbl_Color_3,
                 ui->Lbl_Color_4};
    Cmd_ShowColor = {ui->Cmd_ShowColor_0, ui->Cmd_ShowColor_1, ui->Cmd_ShowColor_2,
                     ui->Cmd_ShowColor_3, ui->Cmd_ShowColor_4};
    Cmd_ColorPreView = {ui->Cmd_ColorPreView_0, ui->Cmd_ColorPreView_1, ui->Cmd_ColorPreView_2,
                        ui->Cmd_ColorPreView_3, ui->Cmd_ColorPreView_4};
    Opt_Version = {ui->Opt_Version_0, ui->Opt_Version_1};
    Opt_TopMost = {ui->Opt_TopMost_0, ui->Opt_TopMost_1};
    Opt_Selecter = {ui->Opt_Selecter_0, ui->Opt_Selecter_1};

    // Clicks fall through to the tree, whose first click hides the message.
    ui->Txt_Message->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->Txt_Message->setPlainText(
        toDisplay(QStringLiteral("\r\n\r\n\r\n\r\n 　設定ファイルを選択してください\r\n")));
    ui->Fra_Extra->hide();
    ui->Tab_Title->addTab(QStringLiteral("基本設定"));
    ui->Tab_Title->addTab(QStringLiteral("色情報"));
    ui->Tab_Title->addTab(QStringLiteral("データ設定"));
    ui->Tab_Option->addTab(QStringLiteral("データ内容"));
    ui->Tab_Option->addTab(QStringLiteral("追加設定"));
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
    for (int k = 0; k < Opt_ItemType.size(); ++k) {
        connect(Opt_ItemType[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on) {
                Sub_ShowTypeFrame(k);
            }
        });
    }
    connect(mnu_Reload, &QAction::triggered, this, [this] { FncBln_ShowPreview(); });
    connect(ui->Cmd_Preview, &QPushButton::clicked, this, [this] { FncBln_ShowPreview(); });
    connect(mnu_Open, &QAction::triggered, this, [this] { FncBln_OpenSettingFile(); });
    connect(mnu_Save, &QAction::triggered, this, &Frm_Setting::mnu_Save_Click);
    connect(ui->Cmd_Save, &QPushButton::clicked, this, &Frm_Setting::mnu_Save_Click);
    connect(mnu_End, &QAction::triggered, this, &QWidget::close);
    connect(ui->Cmd_Close, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->Cmd_CreateBackup, &QPushButton::clicked, this, &Frm_Setting::Sub_CreateBackup);
    connect(ui->Cmd_復活, &QPushButton::clicked, this, &Frm_Setting::Sub_RestoreBackup);
    connect(ui->Cmd_CreateNewNodes, &QPushButton::clicked, this,
            &Frm_Setting::Cmd_CreateNewNodes_Click);
    connect(ui->Cmd_ItemUpdate, &QPushButton::clicked, this, [this] { Sub_StoreItemPage(); });
    connect(ui->Cmd_FrameUpdate, &QPushButton::clicked, this, &Frm_Setting::Cmd_FrameUpdate_Click);
    for (int k = 0; k < 5; ++k) {
        connect(Cmd_ColorPreView[k], &QPushButton::clicked, this,
                [this, k] { Sub_ShowColorRow(k); });
        connect(Cmd_ShowColor[k], &QPushButton::clicked, this, [this, k] {
            const QColor chosen = QColorDialog::getColor(colourOfText(Txt_Color[k]->text()), this);
            if (!chosen.isValid()) {
                return;
            }
            Txt_Color[k]->setText(QStringLiteral("%1%2%3")
                                      .arg(chosen.red(), 2, 16, QLatin1Char('0'))
                                      .arg(chosen.green(), 2, 16, QLatin1Char('0'))
                                      .arg(chosen.blue(), 2, 16, QLatin1Char('0'))
                                      .toUpper());
            Sub_ShowColorRow(k);
        });
    }
    connect(ui->Cmd_ColorShow, &QPushButton::clicked, this, [this] {
        for (int k = 0; k < 5; ++k) {
            Sub_ShowColorRow(k);
        }
    });
    connect(ui->Cmd_DefaultColorReading, &QPushButton::clicked, this,
            &Frm_Setting::Sub_LoadColorFields);

    ui->Trv_EditList->installEventFilter(this);
    ui->Trv_EditList->viewport()->installEventFilter(this);
    ui->Lbl_OpenOption->installEventFilter(this);
    // Reachable from the keyboard as well: Tab stops on it, Space or Enter opens it.
    ui->Lbl_OpenOption->setFocusPolicy(Qt::StrongFocus);
    // Tab and Ctrl+Tab move on from the multi-line boxes as from every other field; a tab
    // character comes in by pasting.
    mTabLeaves = {ui->Txt_Data, ui->Txt_Reg, ui->Txt_Replace};
    for (QObject *box : mTabLeaves) {
        box->installEventFilter(this);
    }
    for (QWidget *field : std::initializer_list<QWidget *>{
             ui->Txt_ItemTitle, ui->Txt_Data, ui->Txt_Reg, ui->Txt_Replace, ui->Txt_Link,
             ui->Txt_FrameTitle, ui->Cbo_FrameFont, ui->Cbo_ItemFont, ui->Txt_LineCount}) {
        field->installEventFilter(this);
    }
    connect(ui->Trv_EditList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) {
                if (!mSuppressPageSwitch && current != nullptr && ui->Trv_EditList->hasFocus()) {
                    Trv_EditList_Click();
                }
            });
    connect(ui->Trv_EditList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *, int) { Sub_PageSwitch(); });
}

// ---------------------------------------------------------------------------------------
// Load, activation, unload

void Frm_Setting::Form_Load()
{
    mFirstActivate = true;
    Sub_ListSettingFiles(ui->Cbo_SettingFiles);
    mLabelFontSize = 9;
    mCellFontSize = 14;
    ui->Tab_Title->setCurrentIndex(2);
    Sub_ShowPage(Fra_Tabs, 3);
    Sub_ShowPage(Fra_OptListArea, 1);
    Sub_ListFonts(ui->Cbo_Fonts);
    Sub_ListFonts(ui->Cbo_FrameFont);
    Sub_ListFonts(ui->Cbo_ItemFont);
    Sub_AlignTabFrames();
    if (gObj_Setting) {
        Sub_LoadCommonFields();
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
    if (mFirstActivate) {
        Form_FirstActivate();
    }
}

void Frm_Setting::Form_FirstActivate()
{
    mFirstActivate = false;
    mBaseCaption += QStringLiteral(" ver%1.%2.%3")
                        .arg(QUORVEL_VERSION_MAJOR)
                        .arg(QUORVEL_VERSION_MINOR)
                        .arg(QUORVEL_VERSION_PATCH);
    setWindowTitle(mBaseCaption);
    Sub_UpdateEditMenu(true);
    Sub_ShowPage(Fra_OptListArea, 1);
    Sub_ShowTypeFrame(0);
}

void Frm_Setting::closeEvent(QCloseEvent *event)
{
    if (mPreview) {
        if (Frm_Item_FromIniFile *preview = mdl_Palette::CurrentWindow()) {
            preview->close();
        }
        mPreview = false;
    }
    mTree.reset();
    if (s_instance == this) {
        s_instance = nullptr;
    }
    event->accept();
    if (!mReopen) {
        gObj_Setting.reset();
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
    combo->addItems(SettingFileNames(gStr_SettingFolder));
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
    if (!mPreferredSetting.isEmpty() && select(mPreferredSetting)) {
        return true;
    }
    QString name = gStr_ArgumentSetting;
    if (name.isEmpty()) {
        name = gObj_Setting ? gObj_Setting->GetLastSetting() : QString();
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
    gStr_SettingFile = name + QStringLiteral(".xml");
    // The editor keeps the date placeholders so that saving writes them back intact.
    OpenSettingFile(false);
    Sub_LoadSettingToForm();
    // A file that exists but could not be read still holds the user's settings: the empty
    // form must not be saved over them.
    mUnreadable = gObj_Setting && gObj_Setting->LastError().isSet();
    if (mUnreadable) {
        ui->Fra_Base->setEnabled(false);
        Sub_ShowStatus(QStringLiteral("設定ファイルを読み込めませんでした。"));
        FncInt_MessageBox(
            MsgBox::Exclamation,
            QStringLiteral("設定ファイルを読み込めませんでした。\r\n『%1』").arg(gStr_SettingFile),
            QStringLiteral("読み込みエラー"));
        return;
    }
    ui->Fra_Base->setEnabled(true);
    Sub_ShowStatus(QStringLiteral("対象設定を選択しました。"));
}

void Frm_Setting::Sub_LoadSettingToForm()
{
    Sub_LoadColorFields();
    Sub_LoadCommonFields();
    for (QPlainTextEdit *box : findChildren<QPlainTextEdit *>()) {
        Sub_SetTabStops(box, 4);
    }
    FncBln_BuildTree();
}

void Frm_Setting::Sub_SetTabStops(QPlainTextEdit *box, int characters)
{
    // A character is the font's average width, as dialog units count it; a space is
    // narrower than that in a proportional font.
    box->setTabStopDistance(characters * QFontMetricsF(box->font()).averageCharWidth());
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
    for (int k = 0; k < Fra_Type.size(); ++k) {
        Fra_Type[k]->setVisible(k == index);
    }
}

void Frm_Setting::Sub_AlignTabFrames()
{
    // The pages share one grid cell, so only the look is copied.
    for (int k = 1; k < Fra_Tabs.size(); ++k) {
        Fra_Tabs[k]->setPalette(Fra_Tabs[0]->palette());
        Fra_Tabs[k]->setAutoFillBackground(Fra_Tabs[0]->autoFillBackground());
    }
}

// ---------------------------------------------------------------------------------------
// Colour and whole-window fields

void Frm_Setting::Sub_LoadColorFields()
{
    if (!gObj_Setting) {
        return;
    }
    for (int k = 0; k < 5; ++k) {
        Txt_Color[k]->setText(gObj_Setting->Color().Gets(kColorKeys.at(k)).trimmed());
        Sub_ShowColorRow(k);
    }
}

void Frm_Setting::Sub_ShowColorRow(int index)
{
    QString text = Txt_Color[index]->text();
    QLabel *swatch = Lbl_Color[index];
    // An empty colour means "as the label colour" to the palette: padding it would turn it
    // into black.
    if (text.isEmpty()) {
        swatch->setPalette(QPalette());
        return;
    }
    text = (QStringLiteral("000000") + text).right(6);
    Txt_Color[index]->setText(text);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colourOfText(text));
    swatch->setPalette(palette);
}

void Frm_Setting::Sub_SetBooleanOptions(QRadioButton *trueOption, QRadioButton *falseOption,
                                        const QString &value)
{
    trueOption->setAutoExclusive(false);
    falseOption->setAutoExclusive(false);
    trueOption->setChecked(false);
    falseOption->setChecked(false);
    trueOption->setAutoExclusive(true);
    falseOption->setAutoExclusive(true);
    if (value.toLower() == QStringLiteral("true")) {
        trueOption->setChecked(true);
    } else {
        falseOption->setChecked(true);
    }
}

QString Frm_Setting::FncStr_BooleanText(const QRadioButton *trueOption) const
{
    return trueOption->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
}

void Frm_Setting::Sub_LoadCommonFields()
{
    if (!gObj_Setting) {
        return;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    ui->Txt_Title->setText(model.GetTitle());
    Sub_SetBooleanOptions(Opt_Version[0], Opt_Version[1], model.GetVersion());
    Sub_SetBooleanOptions(Opt_TopMost[0], Opt_TopMost[1], model.GetTopMost());
    Sub_SetBooleanOptions(Opt_Selecter[0], Opt_Selecter[1], model.GetModeSelecter());
    ui->Txt_PictureName->setText(model.GetPictureName());
    ui->Cbo_Align->setCurrentText(model.GetAlign());
    ui->Cbo_Valign->setCurrentText(model.GetValign());
    ui->Txt_PositioningTop->setText(QString::number(model.GetPositioningTop()));
    ui->Txt_PositioningLeft->setText(QString::number(model.GetPositioningLeft()));
    // The common font itself: the model's GetFont answers for the current frame.
    const QString font = model.Common().Gets(QStringLiteral("Font"));
    ui->Cbo_Fonts->setCurrentText(font.isEmpty() ? QStringLiteral("ＭＳ ゴシック") : font);
    ui->Txt_FontSize->setText(QString::number(model.GetFontSize()));
    ui->Txt_ItemHeight->setText(QString::number(model.GetItemHeight()));
    ui->Txt_ItemWidth->setText(QString::number(model.GetItemWidth()));
    ui->Txt_MarginTop->setText(QString::number(model.GetMarginTop()));
    ui->Txt_MarginBottom->setText(QString::number(model.GetMarginBottom()));
}

void Frm_Setting::Sub_StoreCommonFields()
{
    Cls_MySettingFile &model = *gObj_Setting;
    model.SetTitle(ui->Txt_Title->text());
    model.SetVersion(FncStr_BooleanText(Opt_Version[0]));
    model.SetTopMost(FncStr_BooleanText(Opt_TopMost[0]));
    model.SetModeSelecter(FncStr_BooleanText(Opt_Selecter[0]));
    model.SetPictureName(ui->Txt_PictureName->text());
    model.SetAlign(ui->Cbo_Align->currentText());
    model.SetValign(ui->Cbo_Valign->currentText());
    model.SetPositioningTop(ui->Txt_PositioningTop->text());
    model.SetPositioningLeft(ui->Txt_PositioningLeft->text());
    // SetFont writes the frame document, whose write side the frame rebuild empties: the
    // default font goes to the common section, where the reader looks for it.
    model.Common().SetItem_bln(QStringLiteral("Font"), ui->Cbo_Fonts->currentText());
    model.SetFontSize(ui->Txt_FontSize->text());
    model.SetItemHeight(ui->Txt_ItemHeight->text());
    model.SetItemWidth(ui->Txt_ItemWidth->text());
    model.SetMarginTop(ui->Txt_MarginTop->text());
    model.SetMarginBottom(ui->Txt_MarginBottom->text());
    model.SetLastSetting(ui->Cbo_SettingFiles->currentText());
}

// ---------------------------------------------------------------------------------------
// Open, save, backup, preview

bool Frm_Setting::FncBln_OpenSettingFile()
{
    QString path;
    if (s_fileChooser) {
        path = s_fileChooser(this);
    } else {
        path = QFileDialog::getOpenFileName(this, QStringLiteral("設定ファイルを選択"),
                                            gStr_SettingFolder, QStringLiteral("*.xml"), nullptr,
                                            QFileDialog::ReadOnly);
    }
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
    gStr_SettingFolder = folder;
    gStr_SettingFile = file;
    mReopen = true;
    QString chosen = file;
    if (chosen.endsWith(QStringLiteral(".xml"))) {
        chosen.chop(4);
    }
    // This form and the menu that runs this command are still on the stack: the new form
    // comes once they have returned to the event loop.
    QTimer::singleShot(0, qApp, [chosen] {
        OpenSettingFile(false);
        auto *form = new Frm_Setting(chosen);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    });
    close();
    return true;
}

void Frm_Setting::mnu_Save_Click()
{
    // The click that took the focus from a refused field saves nothing.
    if (mRefused) {
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
    if (!gObj_Setting || !mTree || mUnreadable) {
        return false;
    }
    Sub_TargetOwnSettingFile();
    gObj_Setting->Path(gStr_SettingFolder);
    gObj_Setting->Name(gStr_SettingFile);
    if (FncBln_IsNodeSelected()) {
        if (!Sub_StoreItemPage() || !Sub_StoreFramePage(true)) {
            return false;
        }
    }
    Cls_MySettingFile &model = *gObj_Setting;
    for (int k = 0; k < 5; ++k) {
        model.Color().SetItem_bln(kColorKeys.at(k), Txt_Color[k]->text());
    }
    Sub_StoreCommonFields();
    Sub_StoreFrameOrder();
    if (!FncBln_CheckDocument() || !FncBln_CheckEncodable()) {
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
    const QString backupFolder = FncStr_JoinPath(gStr_SettingFolder, QStringLiteral("_backup"));
    Cls_FileSystem fileSystem;
    bool ok = !name.isEmpty() && fileSystem.PFncBln_CreateFolder(backupFolder);
    if (ok) {
        const QString file = name + QStringLiteral(".xml");
        ok = fileSystem.PFncBln_CopyFile(FncStr_JoinPath(gStr_SettingFolder, file),
                                         FncStr_JoinPath(backupFolder, file), true);
    }
    Sub_ShowStatus(ok ? QStringLiteral("バックアップを作成しました")
                      : QStringLiteral("バックアップの作成に失敗しました"));
}

void Frm_Setting::Sub_RestoreBackup()
{
    const QString name = ui->Cbo_SettingFiles->currentText();
    const QString backupFolder = FncStr_JoinPath(gStr_SettingFolder, QStringLiteral("_backup"));
    Cls_FileSystem fileSystem;
    bool ok = !name.isEmpty();
    const QString file = name + QStringLiteral(".xml");
    if (ok && QFileInfo::exists(FncStr_JoinPath(backupFolder, file))) {
        // A backup that is no setting file would replace the user's settings with nothing.
        // A backup cut short (a full disk) still reads, but its document never closes.
        Cls_XML backupText;
        backupText.SaveFilePath_Prop(backupFolder);
        Cls_MySettingFile backup;
        backup.Path(backupFolder);
        backup.Name(file);
        backup.FillDatesOnLoad(false);
        if (!backupText.OnlyReadFile_bln(file) ||
            !backupText.FileData().contains(QStringLiteral("</myItem>")) || !backup.LoadFile()) {
            FncInt_MessageBox(MsgBox::Exclamation,
                              QStringLiteral("バックアップは設定ファイルとして読み込めないため、"
                                             "戻しませんでした。\r\n『%1』")
                                  .arg(FncStr_JoinPath(backupFolder, file)),
                              QStringLiteral("戻せません"));
            Sub_ShowStatus(QStringLiteral("バックアップからの復帰に失敗しました"));
            return;
        }
    }
    if (ok) {
        ok = fileSystem.PFncBln_CopyFile(FncStr_JoinPath(backupFolder, file),
                                         FncStr_JoinPath(gStr_SettingFolder, file), true);
    }
    if (!ok) {
        Sub_ShowStatus(QStringLiteral("バックアップからの復帰に失敗しました"));
        return;
    }
    // The restored file replaces what the form and the tree show.
    Cbo_SettingFiles_Click();
    Sub_ShowStatus(QStringLiteral("バックアップから復帰しました"));
}

// The preview's own setting selector changes the shared file name: what the editor
// previews and saves is still the setting chosen in its list.
void Frm_Setting::Sub_TargetOwnSettingFile()
{
    const QString name = ui->Cbo_SettingFiles->currentText();
    if (!name.isEmpty()) {
        gStr_SettingFile = name + QStringLiteral(".xml");
    }
}

bool Frm_Setting::FncBln_ShowPreview()
{
    Sub_TargetOwnSettingFile();
    Frm_Item_FromIniFile *preview = mdl_Palette::CurrentWindow();
    if (mPreview && preview != nullptr) {
        preview->Lbl_Reload_Click();
        preview = mdl_Palette::CurrentWindow();
    }
    if (preview == nullptr) {
        if (!gObj_Setting) {
            return false;
        }
        // The editor's model keeps the date placeholders; the preview acts as the palette
        // does, on the file with the dates filled, as its reload would load it. Before a
        // setting is chosen there is no file to load (nor a default one to write).
        if (!ui->Cbo_SettingFiles->currentText().isEmpty()) {
            OpenSettingFile(true);
        }
        preview = new Frm_Item_FromIniFile;
        mdl_Palette::SetCurrentWindow(preview);
    }
    preview->show();
    preview->SetMode(true);
    mPreview = true;
    return true;
}

// ---------------------------------------------------------------------------------------
// The tree

QString Frm_Setting::FncStr_TimeStampKey(const QDateTime &now, int hourOffset)
{
    const QDateTime stamp = now.addSecs(qint64(hourOffset) * 3600);
    return kRootPrefix + QString::number(stamp.toString(QStringLiteral("ddhhmmss")).toLongLong());
}

QString Frm_Setting::FncStr_FreeKey(const QString &key) const
{
    // Keys made by concatenation can meet ("Root1" + "0" and "Root10"), and two commands
    // in the same second make the same time stamp: the later node gets a suffix.
    if (mTree->FindNode(key) == nullptr) {
        return key;
    }
    for (int n = 2;; ++n) {
        const QString candidate = key + QStringLiteral("_%1").arg(n);
        if (mTree->FindNode(candidate) == nullptr) {
            return candidate;
        }
    }
}

bool Frm_Setting::FncBln_BuildTree()
{
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    mTree = std::make_unique<Cls_MyTree>();
    mTree->Set_Init(ui->Trv_EditList);
    mTree->Set_ImageListNo(2, 1, 3);
    mTree->ImageList_Prop({style()->standardIcon(QStyle::SP_DirClosedIcon),
                           style()->standardIcon(QStyle::SP_DirOpenIcon),
                           style()->standardIcon(QStyle::SP_FileIcon)});
    mTree->ControlWithSave_Prop(false);
    mTree->ExpandWithSort_Prop(false);
    connect(mTree.get(), &Cls_MyTree::NodeExpanded, this, &Frm_Setting::onNodeExpanded);
    connect(mTree.get(), &Cls_MyTree::NodeClicked, this,
            [this](QTreeWidgetItem *) { Trv_EditList_Click(); });
    mCopyKey.clear();
    mCopyFlag = false;
    mSkipLoad = false;
    Sub_ShowFramePage(nullptr);
    Sub_ShowItemPage(nullptr);
    if (!gObj_Setting) {
        return false;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    bool ok = true;
    for (int i = 0; i < model.GetCount(); ++i) {
        model.CurrentFrame(i);
        ok = mTree->AddRootNode(model.GetFrameTitle(), kRootPrefix + QString::number(i),
                                model.CurrentFrameData()) &&
             ok;
    }
    return ok;
}

void Frm_Setting::onNodeExpanded(QTreeWidgetItem *node)
{
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    ui->Trv_EditList->setUpdatesEnabled(false);
    // Items loaded before (a store loads a collapsed frame) are not loaded twice. A frame
    // without them is always loaded, skip flag or not: shown empty, its next store would
    // drop every item.
    const bool loaded = node->childCount() > 0 && !Cls_MyTree::IsDummyNode(node->child(0));
    if (!loaded) {
        Sub_LoadFrameItems(node);
    }
    mSkipLoad = false;
    ui->Trv_EditList->setUpdatesEnabled(true);
}

bool Frm_Setting::Sub_LoadFrameItems(QTreeWidgetItem *frame)
{
    if (frame == nullptr || !gObj_Setting) {
        return false;
    }
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    Cls_MySettingFile &model = *gObj_Setting;
    // Only the model's frame: the page may be showing (and holding edits of) another frame.
    model.SetCurrentFrame(Cls_MyTree::NodeTag(frame));
    const QString frameKey = Cls_MyTree::NodeKey(frame);
    bool ok = true;
    for (int i = 0; i < kMaxItems; ++i) {
        if (!model.SetDataPrepare(i)) {
            continue;
        }
        const QString name = model.GetName();
        if (name.isEmpty()) {
            continue;
        }
        ok = mTree->AddChild(frameKey, name, FncStr_FreeKey(frameKey + QString::number(i)),
                             model.CurrentItemData()) &&
             ok;
    }
    return ok;
}

void Frm_Setting::Sub_ShowFramePage(QTreeWidgetItem *frame)
{
    if (!gObj_Setting) {
        return;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    mFramePageKey = frame != nullptr ? Cls_MyTree::NodeKey(frame) : QString();
    model.SetCurrentFrame(frame != nullptr ? Cls_MyTree::NodeTag(frame) : QString());
    ui->Txt_FrameTitle->setText(model.GetFrameTitle());
    ui->Cbo_FrameFont->setCurrentText(model.GetFont());
    ui->Cbo_ItemFont->setCurrentText(model.GetItemFont());
    ui->Txt_LineCount->setText(QString::number(model.GetLineCount()));
}

QTreeWidgetItem *Frm_Setting::selectedFrameNode() const
{
    if (!mTree) {
        return nullptr;
    }
    QTreeWidgetItem *node = mTree->SelectedNode();
    if (node == nullptr) {
        return nullptr;
    }
    return node->parent() != nullptr ? node->parent() : node;
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
    mRefused = true;
    field->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, this, [this, field = QPointer<QWidget>(field)] {
        mRefused = false;
        if (field != nullptr) {
            field->setFocus(Qt::OtherFocusReason);
        }
    });
}

bool Frm_Setting::FncBln_CheckFields(const QList<PageField> &fields, const ValuesCheck &readsBack)
{
    QStringList values;
    for (const PageField &field : fields) {
        values.append(field.value);
    }
    if (readsBack(values)) {
        return true;
    }
    // The field that fails with the others emptied is the one to name, with the piece of
    // it that fails on its own.
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QStringList alone(fields.size());
        alone[i] = values.at(i);
        if (readsBack(alone)) {
            continue;
        }
        const QString piece =
            Cls_ValueCheck::FncStr_Culprit(values.at(i), [&](const QString &candidate) {
                QStringList tried(fields.size());
                tried[i] = candidate;
                return readsBack(tried);
            });
        Sub_RefuseField(fields.at(i).field, fields.at(i).label, piece);
        return false;
    }
    // Only together: the first field that holds a tag or a comment mark.
    for (const PageField &field : fields) {
        const QString piece = Cls_ValueCheck::FncStr_OffendingText(field.value);
        if (!piece.isEmpty()) {
            Sub_RefuseField(field.field, field.label, piece);
            return false;
        }
    }
    if (!fields.isEmpty()) {
        Sub_RefuseField(fields.first().field, fields.first().label, fields.first().value.left(40));
    }
    return false;
}

// The setting file as the save would write it now, with one frame's text in place of its
// node's tag when given.
Cls_ValueCheck::Document Frm_Setting::currentDocument(const QTreeWidgetItem *frame,
                                                      const QString &frameText) const
{
    Cls_ValueCheck::Document document;
    for (const PageField &field : FncLst_ColorFields()) {
        document.colors.append({field.key, field.value});
    }
    for (const PageField &field : FncLst_CommonFields()) {
        document.common.append({field.key, field.value});
    }
    QTreeWidget *tree = ui->Trv_EditList;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *node = tree->topLevelItem(i);
        document.frames.append({QStringLiteral("Frame%1").arg(i + 1),
                                node == frame ? frameText : Cls_MyTree::NodeTag(node)});
    }
    return document;
}

// A frame's elements come back from its text, and its text from the whole file.
bool Frm_Setting::FncBln_FrameReadsBack(const QTreeWidgetItem *frame,
                                        const Cls_ValueCheck::Elements &elements) const
{
    const QString text = Cls_ValueCheck::FncStr_Compose(elements);
    return Cls_ValueCheck::FncBln_ReadsBack(text, elements) &&
           (frame == nullptr ||
            Cls_ValueCheck::FncBln_DocumentReadsBack(currentDocument(frame, text)));
}

QTreeWidgetItem *Frm_Setting::pageFrame() const
{
    return mTree && !mFramePageKey.isEmpty() ? mTree->FindNode(mFramePageKey) : nullptr;
}

QTreeWidgetItem *Frm_Setting::pageItem() const
{
    return mTree && !mItemPageKey.isEmpty() ? mTree->FindNode(mItemPageKey) : nullptr;
}

// The page goes back into the frame it was read from, wherever the selection is by now.
bool Frm_Setting::Sub_StoreFramePage(bool loadFirst)
{
    QTreeWidgetItem *frame = pageFrame();
    if (frame == nullptr || !gObj_Setting) {
        return false;
    }
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    Cls_MySettingFile &model = *gObj_Setting;
    model.SetCurrentFrame(QString());
    model.DataSet().InitItem_bln();
    const QString title = ui->Txt_FrameTitle->text();
    const QList<PageField> fields = {
        {ui->Txt_FrameTitle, QStringLiteral("タイトル"), kFrameKeys.at(0), title},
        {ui->Cbo_FrameFont, QStringLiteral("タイトルのフォント"), kFrameKeys.at(1),
         ui->Cbo_FrameFont->currentText()},
        {ui->Cbo_ItemFont, QStringLiteral("項目のフォント"), kFrameKeys.at(2),
         ui->Cbo_ItemFont->currentText()},
        {ui->Txt_LineCount, QStringLiteral("1行の項目数"), kFrameKeys.at(3),
         ui->Txt_LineCount->text()}};
    model.SetFrameTitle(fields[0].value);
    model.SetFont(fields[1].value);
    model.SetItemFont(fields[2].value);
    model.SetLineCount(fields[3].value);

    // A frame whose items were never loaded holds only its dummy: gathering the children
    // then would drop every item, so they are loaded first whatever the caller asked.
    Q_UNUSED(loadFirst)
    const bool unloaded = frame->childCount() > 0 && Cls_MyTree::IsDummyNode(frame->child(0));
    if (unloaded) {
        Sub_LoadFrameItems(frame);
        mTree->RemoveDummyNode(frame);
    }
    Cls_ValueCheck::Elements elements;
    for (const PageField &field : fields) {
        elements.append({field.key, field.value});
    }
    const QString frameKey = Cls_MyTree::NodeKey(frame);
    int itemNumber = 0;
    for (int i = 0; i < frame->childCount(); ++i) {
        QTreeWidgetItem *child = frame->child(i);
        if (Cls_MyTree::IsDummyNode(child)) {
            continue;
        }
        model.AddDataSetItem(Cls_MyTree::NodeTag(child));
        elements.append({QStringLiteral("Item%1").arg(++itemNumber), Cls_MyTree::NodeTag(child)});
    }
    const QString text = model.DataSet().GetItemAll_str(QString());
    const auto readsBack = [&](const QStringList &values) {
        Cls_ValueCheck::Elements tried = elements;
        for (qsizetype k = 0; k < values.size(); ++k) {
            tried[k].second = values.at(k);
        }
        return FncBln_FrameReadsBack(frame, tried);
    };
    if (!FncBln_CheckFields(fields, readsBack)) {
        return false;
    }
    Cls_MyTree::SetNodeTag(frame, text);
    frame->setText(0, title);
    return true;
}

void Frm_Setting::Sub_ShowItemPage(QTreeWidgetItem *node)
{
    if (!gObj_Setting) {
        return;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    mItemPageKey = node != nullptr ? Cls_MyTree::NodeKey(node) : QString();
    model.SetFileItem(node != nullptr ? Cls_MyTree::NodeTag(node) : QString());
    ui->Txt_ItemTitle->setText(model.GetName());
    int type = 1;
    if (model.isData()) {
        type = 0;
    } else if (model.isLink()) {
        type = 2;
    }
    setPageText(ui->Txt_Data, toDisplay(model.GetData()));
    setPageText(ui->Txt_Reg, toDisplay(model.GetReg()));
    setPageText(ui->Txt_Replace, toDisplay(model.GetReplaceString()));
    ui->Txt_Link->setText(model.GetLink());
    if (model.GetData().isEmpty() && model.GetReg().isEmpty() &&
        model.GetReplaceString().isEmpty() && model.GetLink().isEmpty()) {
        type = 0;
    }
    Opt_ItemType[type]->setChecked(true);
    Sub_ShowTypeFrame(type);
}

QString Frm_Setting::itemPageText(QPlainTextEdit *box) const
{
    QString text = box->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

bool Frm_Setting::Sub_StoreItemPage()
{
    if (!gObj_Setting) {
        return false;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    model.SetFileItem(QString());
    model.Tmp().InitItem_bln();
    QList<PageField> fields = {{ui->Txt_ItemTitle, QStringLiteral("表示名"), QStringLiteral("Name"),
                                ui->Txt_ItemTitle->text()}};
    if (Opt_ItemType[0]->isChecked()) {
        fields.append({ui->Txt_Data, QStringLiteral("データ"), QStringLiteral("Data"),
                       itemPageText(ui->Txt_Data)});
    } else if (Opt_ItemType[2]->isChecked()) {
        fields.append(
            {ui->Txt_Link, QStringLiteral("リンク"), QStringLiteral("Link"), ui->Txt_Link->text()});
    } else {
        fields.append({ui->Txt_Reg, QStringLiteral("検索対象"), QStringLiteral("Reg"),
                       itemPageText(ui->Txt_Reg)});
        fields.append({ui->Txt_Replace, QStringLiteral("置換内容"), QStringLiteral("Replace"),
                       itemPageText(ui->Txt_Replace)});
    }
    model.SetName(fields[0].value);
    if (Opt_ItemType[0]->isChecked()) {
        model.SetData(fields[1].value);
    } else if (Opt_ItemType[2]->isChecked()) {
        model.SetLink(fields[1].value);
    } else {
        model.SetReg(fields[1].value);
        model.SetReplaceString(fields[2].value);
    }
    const QString text = model.Tmp().GetItemAll_str(QString());
    QTreeWidgetItem *node = pageItem();
    if (node != nullptr && (node->parent() == nullptr || Cls_MyTree::IsDummyNode(node))) {
        node = nullptr;
    }
    if (!FncBln_CheckFields(fields, [&](const QStringList &values) {
            return FncBln_ItemReadsBack(node, fields, values);
        })) {
        return false;
    }
    if (node == nullptr) {
        return true;
    }
    node->setText(0, fields[0].value);
    Cls_MyTree::SetNodeTag(node, text);
    return true;
}

// The item's fields come back from its text, the item from its frame's text, and the frame
// from the whole file; without a node only the first.
bool Frm_Setting::FncBln_ItemReadsBack(const QTreeWidgetItem *node, const QList<PageField> &fields,
                                       const QStringList &values) const
{
    Cls_ValueCheck::Elements item;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        item.append({fields.at(k).key, values.at(k)});
    }
    const QString itemText = Cls_ValueCheck::FncStr_Compose(item);
    if (!Cls_ValueCheck::FncBln_ReadsBack(itemText, item)) {
        return false;
    }
    if (node == nullptr) {
        return true;
    }
    const QTreeWidgetItem *frame = node->parent();
    Cls_XML frameReader;
    frameReader.SetFileItem(Cls_MyTree::NodeTag(frame), QString());
    Cls_ValueCheck::Elements elements;
    for (const QString &key : kFrameKeys) {
        elements.append({key, frameReader.Gets(key)});
    }
    int itemNumber = 0;
    for (int i = 0; i < frame->childCount(); ++i) {
        const QTreeWidgetItem *child = frame->child(i);
        if (!Cls_MyTree::IsDummyNode(child)) {
            elements.append({QStringLiteral("Item%1").arg(++itemNumber),
                             child == node ? itemText : Cls_MyTree::NodeTag(child)});
        }
    }
    return FncBln_FrameReadsBack(frame, elements);
}

void Frm_Setting::Sub_StoreFrameOrder()
{
    Cls_MySettingFile &model = *gObj_Setting;
    model.SetCurrentFrame(QString());
    model.DataSet().InitItem_bln();
    for (int i = 0; i < ui->Trv_EditList->topLevelItemCount(); ++i) {
        model.AddDataSetFrame(Cls_MyTree::NodeTag(ui->Trv_EditList->topLevelItem(i)));
    }
}

QList<Frm_Setting::PageField> Frm_Setting::FncLst_ColorFields() const
{
    QList<PageField> fields;
    for (int k = 0; k < 5; ++k) {
        fields.append({Txt_Color[k], kColorLabels.at(k), kColorKeys.at(k), Txt_Color[k]->text()});
    }
    return fields;
}

QList<Frm_Setting::PageField> Frm_Setting::FncLst_CommonFields() const
{
    return {
        {ui->Txt_Title, QStringLiteral("タイトル"), QStringLiteral("Title"), ui->Txt_Title->text()},
        {Opt_Version[0], QStringLiteral("バージョン表示"), QStringLiteral("Version"),
         FncStr_BooleanText(Opt_Version[0])},
        {Opt_TopMost[0], QStringLiteral("最前面表示"), QStringLiteral("TopMost"),
         FncStr_BooleanText(Opt_TopMost[0])},
        {Opt_Selecter[0], QStringLiteral("設定の選択"), QStringLiteral("ModeSelecter"),
         FncStr_BooleanText(Opt_Selecter[0])},
        {ui->Txt_PictureName, QStringLiteral("アイコン"), QStringLiteral("PictureName"),
         ui->Txt_PictureName->text()},
        {ui->Cbo_Align, QStringLiteral("横位置"), QStringLiteral("Align"),
         ui->Cbo_Align->currentText()},
        {ui->Cbo_Valign, QStringLiteral("縦位置"), QStringLiteral("Valign"),
         ui->Cbo_Valign->currentText()},
        {ui->Txt_PositioningTop, QStringLiteral("縦位置の調整"), QStringLiteral("PositioningTop"),
         ui->Txt_PositioningTop->text()},
        {ui->Txt_PositioningLeft, QStringLiteral("横位置の調整"), QStringLiteral("PositioningLeft"),
         ui->Txt_PositioningLeft->text()},
        {ui->Cbo_Fonts, QStringLiteral("フォント"), QStringLiteral("Font"),
         ui->Cbo_Fonts->currentText()},
        {ui->Txt_FontSize, QStringLiteral("フォントサイズ"), QStringLiteral("FontSize"),
         ui->Txt_FontSize->text()},
        {ui->Txt_ItemHeight, QStringLiteral("項目の高さ"), QStringLiteral("ItemHeight"),
         ui->Txt_ItemHeight->text()},
        {ui->Txt_ItemWidth, QStringLiteral("項目の幅"), QStringLiteral("ItemWidth"),
         ui->Txt_ItemWidth->text()},
        {ui->Txt_MarginTop, QStringLiteral("項目の開始位置"), QStringLiteral("MarginTop"),
         ui->Txt_MarginTop->text()},
        {ui->Txt_MarginBottom, QStringLiteral("最後の項目の下"), QStringLiteral("MarginBottom"),
         ui->Txt_MarginBottom->text()}};
}

// Every value must come back from the file as it goes in: the document is composed as
// the save composes it and read the way the programs read it.
bool Frm_Setting::FncBln_CheckDocument()
{
    const Cls_ValueCheck::Document document = currentDocument();
    const auto colorsReadBack = [&](const QStringList &values) {
        Cls_ValueCheck::Document tried = document;
        for (qsizetype k = 0; k < values.size(); ++k) {
            tried.colors[k].second = values.at(k);
        }
        return Cls_ValueCheck::FncBln_DocumentReadsBack(tried);
    };
    const auto commonReadsBack = [&](const QStringList &values) {
        Cls_ValueCheck::Document tried = document;
        for (qsizetype k = 0; k < values.size(); ++k) {
            tried.common[k].second = values.at(k);
        }
        return Cls_ValueCheck::FncBln_DocumentReadsBack(tried);
    };
    if (Cls_ValueCheck::FncBln_DocumentReadsBack(document)) {
        return true;
    }
    // The section whose fields, emptied, let the rest come back is the one to blame.
    if (colorsReadBack(QStringList(document.colors.size()))) {
        ui->Tab_Title->setCurrentIndex(1);
        return FncBln_CheckFields(FncLst_ColorFields(), colorsReadBack);
    }
    if (commonReadsBack(QStringList(document.common.size()))) {
        ui->Tab_Title->setCurrentIndex(0);
        return FncBln_CheckFields(FncLst_CommonFields(), commonReadsBack);
    }
    const QString text = Cls_ValueCheck::FncStr_ComposeDocument(document);
    Cls_XML reader;
    reader.SetFileItem(text, QStringLiteral("DataSetting"));
    for (qsizetype i = 0; i < document.frames.size(); ++i) {
        if (reader.Gets(document.frames[i].first) != document.frames[i].second) {
            FncInt_MessageBox(MsgBox::Exclamation,
                              QStringLiteral("カテゴリ「%1」の内容は、保存すると同じ内容で"
                                             "読み込めません。")
                                  .arg(ui->Trv_EditList->topLevelItem(int(i))->text(0)),
                              QStringLiteral("入力内容の確認"));
            return false;
        }
    }
    return true;
}

// Names the first character that code page 932 cannot hold and where it stands, before
// anything is written.
bool Frm_Setting::FncBln_CheckEncodable()
{
    const auto refuse = [](const Cp932Unencodable &failure, const QString &place) {
        const char32_t codePoint = failure.codePoint;
        FncInt_MessageBox(MsgBox::Exclamation,
                          QStringLiteral("設定ファイルに保存できない文字が含まれているため、"
                                         "保存を中止しました。\r\n文字：『%1』(%2)\r\n場所：%3")
                              .arg(QString::fromUcs4(&codePoint, 1),
                                   Cls_ValueCheck::FncStr_CodePoint(codePoint), place),
                          QStringLiteral("保存できません"));
        return false;
    };
    Cp932Unencodable failure;
    for (const PageField &field : FncLst_ColorFields()) {
        if (!Cp932Codec::encode(field.value, &failure)) {
            return refuse(failure, QStringLiteral("色情報の「%1」").arg(field.label));
        }
    }
    for (const PageField &field : FncLst_CommonFields()) {
        if (!Cp932Codec::encode(field.value, &failure)) {
            return refuse(failure, QStringLiteral("基本設定の「%1」").arg(field.label));
        }
    }
    for (int i = 0; i < ui->Trv_EditList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *frame = ui->Trv_EditList->topLevelItem(i);
        const QString tag = Cls_MyTree::NodeTag(frame);
        if (Cp932Codec::encode(tag, &failure)) {
            continue;
        }
        QString place = QStringLiteral("カテゴリ「%1」").arg(frame->text(0));
        const QString item = Cls_ValueCheck::FncStr_ItemNameAt(tag, failure.position);
        if (!item.isEmpty()) {
            place += QStringLiteral("の項目「%1」").arg(item);
        }
        return refuse(failure, place);
    }
    return true;
}

bool Frm_Setting::FncBln_AddNode(bool isFrame, const QString &text, const QString &tag, bool select,
                                 int hourOffset)
{
    if (!mTree) {
        return false;
    }
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    QString key = FncStr_TimeStampKey(QDateTime::currentDateTime(), hourOffset);
    bool ok = false;
    if (!isFrame) {
        QTreeWidgetItem *frame = selectedFrameNode();
        if (frame == nullptr) {
            mTree->IsNodeSelect(false);
            return false;
        }
        if (!frame->isExpanded()) {
            frame->setExpanded(true);
        }
        // Beyond Item100 the programs read nothing: the item would be lost on the next load.
        int items = 0;
        for (int i = 0; i < frame->childCount(); ++i) {
            items += Cls_MyTree::IsDummyNode(frame->child(i)) ? 0 : 1;
        }
        if (items >= kMaxItems) {
            FncInt_MessageBox(MsgBox::Critical,
                              QStringLiteral("100以上の設定を作成することはできません。"),
                              QStringLiteral("設定不可"));
            return false;
        }
        key = FncStr_FreeKey(key + QStringLiteral("C"));
        ok = mTree->AddChild(Cls_MyTree::NodeKey(frame), text, key, tag);
    } else {
        if (ui->Trv_EditList->topLevelItemCount() >= kMaxFrames) {
            FncInt_MessageBox(MsgBox::Critical,
                              QStringLiteral("100以上のカテゴリを作成することはできません。"),
                              QStringLiteral("設定不可"));
            return false;
        }
        key = FncStr_FreeKey(key + text);
        ok = mTree->AddRootNode(text, key, tag);
        if (ok) {
            mTree->RemoveDummyNode(mTree->FindNode(key));
        }
    }
    if (ok && select) {
        mTree->SelectNode(key);
        // The pages follow the new selection, so that what is stored next belongs to it.
        Sub_PageSwitch();
    }
    return ok;
}

bool Frm_Setting::FncBln_IsNodeSelected() const
{
    return mTree && mTree->SelectedNode() != nullptr;
}

bool Frm_Setting::FncBln_IsFrameSelected() const
{
    if (!mTree) {
        return false;
    }
    const QTreeWidgetItem *node = mTree->SelectedNode();
    return node != nullptr && node->parent() == nullptr;
}

bool Frm_Setting::FncBln_DeleteSelected()
{
    if (!mTree) {
        return false;
    }
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    QTreeWidgetItem *node = mTree->SelectedNode();
    const QString frameKey = node != nullptr && node->parent() != nullptr
                                 ? Cls_MyTree::NodeKey(node->parent())
                                 : QString();
    if (!mTree->RemoveNode_Selected(false)) {
        return false;
    }
    mCopyKey.clear();
    mCopyFlag = false;
    // The frame's text still lists a removed item until the frame is stored again.
    if (!frameKey.isEmpty() && mTree->SelectNode(frameKey)) {
        Sub_StoreFramePage(true);
    }
    ui->Trv_EditList->clearSelection();
    ui->Trv_EditList->setCurrentItem(nullptr);
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
    const bool selected = FncBln_IsNodeSelected();
    const bool frame = FncBln_IsFrameSelected();
    const bool enabled[8] = {!allOff,
                             false,
                             !allOff && selected,
                             false,
                             !allOff && selected,
                             false,
                             !allOff && selected && !frame,
                             mCopyFlag};
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
    const QColor window = QApplication::palette().color(QPalette::Base);
    for (QWidget *field :
         std::initializer_list<QWidget *>{ui->Txt_FrameTitle, ui->Cbo_FrameFont, ui->Cbo_ItemFont,
                                          ui->Txt_LineCount, ui->Txt_ItemTitle, ui->Txt_Data}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, window);
        field->setPalette(palette);
    }
}

void Frm_Setting::Trv_EditList_Click()
{
    Sub_ResetPageLook();
    Sub_ShowStatus(QStringLiteral("CTRL＋↑↓で順番を入れ替える事ができます。"));
    Sub_PageSwitch();
    Sub_UpdateEditMenu(false);
}

void Frm_Setting::Sub_PageSwitch()
{
    QTreeWidgetItem *node = mTree ? mTree->SelectedNode() : nullptr;
    if (node != nullptr && !Cls_MyTree::IsDummyNode(node) && gObj_Setting) {
        gObj_Setting->SetCurrentFrame(Cls_MyTree::NodeTag(node));
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
    if (!mTree) {
        return;
    }
    const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
    const bool frame = FncBln_IsFrameSelected();
    bool moved = false;
    if (key == Qt::Key_Up) {
        moved = frame ? mTree->MoveRootNodePrevious() : mTree->MoveNodePrevious();
    } else {
        moved = frame ? mTree->MoveRootNodeNext() : mTree->MoveNodeNext();
    }
    // A collapse would otherwise forget the new item order.
    if (moved && !frame) {
        Sub_StoreFramePage(true);
    }
}

// Under the current node, or at the tree's corner when there is none.
QPoint Frm_Setting::editPopupPosition() const
{
    QTreeWidget *tree = ui->Trv_EditList;
    QTreeWidgetItem *current = tree->currentItem();
    const QRect rect = current != nullptr ? tree->visualItemRect(current) : QRect();
    const QPoint local = rect.isValid() ? rect.bottomLeft() : QPoint(0, 0);
    return tree->viewport()->mapToGlobal(local);
}

void Frm_Setting::moveFocusOn(QWidget *from, bool forward)
{
    QWidget *next = from;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != from && !((next->focusPolicy() & Qt::TabFocus) && next->isVisible() &&
                               next->isEnabled() && next->window() == from->window()));
    if (next != from) {
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
}

void Frm_Setting::Sub_ShowEditPopup(const QPoint &globalPos)
{
    Sub_UpdateEditMenu(false);
    mnu_EditList->popup(globalPos);
}

void Frm_Setting::mnu_EditListItem_Click(int index)
{
    QString status;
    switch (index) {
    case 0:
        if (FncBln_CreateRootNode()) {
            Sub_StoreFramePage(false);
            status = QStringLiteral("新規カテゴリを追加しました。");
        } else {
            status = QStringLiteral("新規カテゴリを追加をやめました。");
        }
        break;
    case 2:
        if (FncBln_CreateChildNode()) {
            Sub_StoreFramePage(false);
            mSkipLoad = true;
            status = QStringLiteral("新規項目を作成しました。");
        } else {
            status = QStringLiteral("新規項目を作成しませんでした。");
        }
        break;
    case 4:
        status = FncBln_DeleteSelected() ? QStringLiteral("選択していた個所を削除しました。")
                                         : QStringLiteral("削除しませんでした。");
        break;
    case 6:
        if (FncBln_CopyNode()) {
            Sub_UpdateEditMenu(false);
            status = QStringLiteral("選択していた個所をコピーしました。");
        }
        break;
    case 7:
        if (FncBln_PasteNode()) {
            Sub_StoreFramePage(true);
            status = QStringLiteral("コピー内容を登録しました。");
        } else {
            status = QStringLiteral("キャンセルしました。");
        }
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
    if (!FncBln_AskName(name) || !gObj_Setting) {
        return false;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    // Emptied, not just its raw text: the write side may still hold another frame's items.
    model.DataSet().FileData(QString());
    model.DataSet().InitItem_bln();
    model.SetFrameTitle(name);
    model.SetFont(ui->Cbo_Fonts->currentText());
    model.SetItemFont(ui->Cbo_Fonts->currentText());
    model.SetLineCount(QStringLiteral("1"));
    const QString data = model.DataSet().GetItemAll_str(QString());
    const PageField nameField{nullptr, QStringLiteral("名称"), kFrameKeys.at(0), name};
    if (!FncBln_CheckFields({nameField}, [this](const QStringList &values) {
            return FncBln_FrameReadsBack(nullptr, {{kFrameKeys.at(0), values.at(0)}});
        })) {
        return false;
    }
    if (!FncBln_AddNode(true, name, data, false, 0)) {
        return false;
    }
    // The frame of the selection, also when an item is selected.
    if (QTreeWidgetItem *frame = selectedFrameNode()) {
        Sub_ShowFramePage(frame);
    }
    return true;
}

bool Frm_Setting::FncBln_CreateChildNode()
{
    if (!mTree || !mTree->IsNodeSelect(false)) {
        return false;
    }
    QString name;
    if (!FncBln_AskName(name) || !gObj_Setting) {
        return false;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    model.Tmp().InitItem_bln();
    model.SetFileItem(QString());
    model.SetName(name);
    model.SetData(QString());
    const QString data = model.Tmp().GetItemAll_str(QString());
    const PageField nameField{nullptr, QStringLiteral("名称"), QStringLiteral("Name"), name};
    if (!FncBln_CheckFields({nameField}, [this, &nameField](const QStringList &values) {
            return FncBln_ItemReadsBack(nullptr, {nameField}, values);
        })) {
        return false;
    }
    return FncBln_AddNode(false, name, data, false, 0);
}

bool Frm_Setting::FncBln_CopyNode()
{
    if (!mTree || !mTree->IsNodeSelect(false)) {
        return false;
    }
    QTreeWidgetItem *node = mTree->SelectedNode();
    mCopyKey = Cls_MyTree::NodeKey(node);
    // Kept as well: a collapse removes the item node that the key names.
    mCopyText = node->text(0);
    mCopyTag = Cls_MyTree::NodeTag(node);
    mCopyFlag = true;
    return true;
}

bool Frm_Setting::FncBln_PasteNode()
{
    if (!mTree || !mTree->IsNodeSelect(false) || !mCopyFlag || !gObj_Setting) {
        return false;
    }
    QString text = mCopyText;
    QString tag = mCopyTag;
    if (const QTreeWidgetItem *copied = mTree->FindNode(mCopyKey)) {
        text = copied->text(0);
        tag = Cls_MyTree::NodeTag(copied);
    }
    QString name = text;
    if (!FncBln_AskName(name)) {
        return false;
    }
    Cls_MySettingFile &model = *gObj_Setting;
    model.Tmp().InitItem_bln();
    model.SetFileItem(tag);
    model.SetName(name);
    model.SetData(model.GetData());
    model.SetReg(model.GetReg());
    model.SetReplaceString(model.GetReplaceString());
    model.SetLink(model.GetLink());
    const QString data = model.Tmp().GetItemAll_str(QString());
    const PageField nameField{nullptr, QStringLiteral("名称"), QStringLiteral("Name"), name};
    if (!FncBln_CheckFields({nameField}, [this, &nameField](const QStringList &values) {
            return FncBln_ItemReadsBack(nullptr, {nameField}, values);
        })) {
        return false;
    }
    return FncBln_AddNode(false, name, data, false, 0);
}

void Frm_Setting::Lbl_OpenOption_Click()
{
    if (ui->Fra_Extra->isVisible()) {
        ui->Fra_Extra->hide();
    } else {
        ui->Fra_Extra->show();
        ui->Fra_Extra->raise();
    }
}

bool Frm_Setting::FncBln_CreateSettingGrid()
{
    const qint64 cols = ui->Txt_Cols->text().trimmed().toInt();
    const qint64 rows = ui->Txt_Rows->text().trimmed().toInt();
    const qint64 count = cols * rows;
    if (count > std::numeric_limits<int>::max() || count < std::numeric_limits<int>::min()) {
        return false;
    }
    if (count - 1 > 99) {
        FncInt_MessageBox(MsgBox::Critical,
                          QStringLiteral("100以上の設定を作成することはできません。"),
                          QStringLiteral("設定不可"));
        return false;
    }
    if (count <= 0) {
        return false;
    }
    Lbl_OpenOption_Click();
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names.append(QStringLiteral("Item%1").arg(i + 1, 2, 10, QLatin1Char('0')));
    }
    if (!FncBln_AddNode(true, QStringLiteral("New Item"), QString(), true, 0)) {
        return false;
    }
    QTreeWidgetItem *frame = selectedFrameNode();
    ui->Txt_FrameTitle->setText(QStringLiteral("New Item"));
    ui->Txt_LineCount->setText(ui->Txt_Cols->text());
    if (!Sub_StoreFramePage(true)) {
        return false;
    }
    frame->setExpanded(true);
    for (int i = 0; i < names.size(); ++i) {
        if (!FncBln_AddNode(false, names.at(i), QString(), true, i)) {
            return false;
        }
        ui->Txt_ItemTitle->setText(names.at(i));
        if (!Sub_StoreItemPage()) {
            return false;
        }
    }
    ui->Cbo_FrameFont->setCurrentText(QStringLiteral("Times New Roman"));
    ui->Txt_LineCount->setText(ui->Txt_Cols->text());
    Sub_StoreFramePage(true);
    {
        const QScopedValueRollback<bool> suppress(mSuppressPageSwitch, true);
        mTree->SelectNode(Cls_MyTree::NodeKey(frame));
    }
    frame->setExpanded(true);
    Sub_PageSwitch();
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

void Frm_Setting::onItemFieldLeft(QWidget *field)
{
    Q_UNUSED(field)
    if (Sub_StoreItemPage()) {
        Sub_StoreFramePage(true);
    }
}

void Frm_Setting::onFrameFieldLeft(QWidget *field)
{
    Q_UNUSED(field)
    Sub_StoreFramePage(true);
}

// ---------------------------------------------------------------------------------------
// Events

bool Frm_Setting::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == ui->Trv_EditList->viewport() && type == QEvent::MouseButtonPress) {
        if (mRefused) {
            return true;
        }
        auto *mouse = static_cast<QMouseEvent *>(event);
        ui->StatusBar_View->clearMessage();
        if (mouse->button() == Qt::RightButton) {
            Sub_ShowEditPopup(mouse->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    if (watched == ui->Trv_EditList->viewport() && type == QEvent::MouseButtonRelease) {
        // A click beside the nodes is a click in the tree too: an empty tree must still
        // hide the message and offer a new frame in the menu.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!mRefused && mouse->button() == Qt::LeftButton &&
            ui->Trv_EditList->itemAt(mouse->position().toPoint()) == nullptr) {
            Trv_EditList_Click();
        }
        return false;
    }
    if (watched == ui->Trv_EditList && type == QEvent::KeyPress) {
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
        return false;
    }
    if (type == QEvent::KeyPress && mTabLeaves.contains(watched)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (mods & ~(Qt::ShiftModifier | Qt::ControlModifier)) == 0) {
            const bool back = key->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
            moveFocusOn(static_cast<QWidget *>(watched), !back);
            return true;
        }
        return false;
    }
    if (watched == ui->Lbl_OpenOption && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            Lbl_OpenOption_Click();
            return true;
        }
        return false;
    }
    if (watched == ui->Trv_EditList && type == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::MenuBarFocusReason) {
            Sub_UpdateEditMenu(false);
        }
        return false;
    }
    if (type == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // A menu, the menu bar or another window taking the focus for a moment is not
        // leaving the field.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
            reason == Qt::MenuBarFocusReason) {
            return false;
        }
        if (watched == ui->Trv_EditList) {
            Sub_UpdateEditMenu(true);
        } else if (watched == ui->Txt_ItemTitle || watched == ui->Txt_Data ||
                   watched == ui->Txt_Reg || watched == ui->Txt_Replace ||
                   watched == ui->Txt_Link) {
            onItemFieldLeft(static_cast<QWidget *>(watched));
        } else if (watched == ui->Txt_FrameTitle || watched == ui->Cbo_FrameFont ||
                   watched == ui->Cbo_ItemFont || watched == ui->Txt_LineCount) {
            onFrameFieldLeft(static_cast<QWidget *>(watched));
        }
        return false;
    }
    if (type == QEvent::KeyPress && (watched == ui->Cbo_FrameFont || watched == ui->Cbo_ItemFont)) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
            static_cast<QComboBox *>(watched)->setCurrentIndex(0);
            return true;
        }
        return false;
    }
    if (watched == ui->Lbl_OpenOption && type == QEvent::MouseButtonRelease) {
        Lbl_OpenOption_Click();
        return true;
    }
    if (type == QEvent::MouseButtonPress) {
        for (int column = 0; column < 3; ++column) {
            const qsizetype row = Lbl_Box[column].indexOf(qobject_cast<QLabel *>(watched));
            if (row >= 0) {
                ui->Txt_Cols->setText(QString::number(column + 1));
                ui->Txt_Rows->setText(QString::number(row + 1));
                return false;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
