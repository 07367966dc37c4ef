#include "Frm_Item_FromIniFile.h"

#include "ClipboardHistory.h"
#include "Cls_FrameArea.h"
#include "Cls_ItemButton.h"
#include "Cls_MessageLabel.h"
#include "ItemRunController.h"
#include "PaletteModule.h"
#include "first_exposure.h"
#include "platform_widgets.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "setting_values.h"
#include "single_instance.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <exception>

namespace {

// Design sizes of the window, in twips.
constexpr int kDesignItemWidth = 2445;
constexpr int kDesignFrameWidth = 2745;
constexpr int kBottomOverlap = 135;
// The outer window is this much larger than the client area: the 250 twips that the
// window height allows for caption and borders, plus the bottom area's overlap.
constexpr int kCaptionAllowance = 250 + kBottomOverlap;
constexpr int kBorderAllowance = 90;
// Setting values beyond this (or line counts beyond the item limit) would only build
// windows no screen can show, and their sums could overflow.
constexpr int kMaxLength = 30000;

const char *const kTwipsProperty = "twipsGeometry";
const char *const kTagProperty = "tag";

QString msGothic()
{
    return QStringLiteral("ＭＳ ゴシック");
}

void installFontSubstitutions()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                             QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic"),
                             QStringLiteral("TakaoGothic")};
    QFont::insertSubstitutions(msGothic(), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
}

QFont makeFont(const QString &family, qreal pointSize, bool bold = false)
{
    QFont font(family);
    font.setPointSizeF(pointSize > 0 ? pointSize : 1);
    font.setBold(bold);
    return font;
}

// W / n rounded to the nearest integer, a half to the even neighbour.
int roundedQuotient(int value, int divisor)
{
    const int quotient = value / divisor;
    const int twice = 2 * (value % divisor);
    if (twice > divisor || (twice == divisor && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

// What identifies a started process beyond its id, so that a reused id is never ended.
QString processIdentity(qint64 processId)
{
#ifdef Q_OS_LINUX
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    // An ended process that nobody has reaped yet is no editor any more.
    if (fields.isEmpty() || fields.at(0) == "Z")
        return {};
    // The start time is the 22nd field; the state, the 3rd, follows the name.
    return fields.size() > 19 ? QString::fromLatin1(fields.at(19)) : QString();
#else
    return processId > 0 ? QStringLiteral("-") : QString();
#endif
}

QIcon ownIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x00, 0x00, 0x80), 2));
    painter.setBrush(QColor(0xC0, 0xC0, 0xFF));
    painter.drawRoundedRect(QRectF(2, 2, 28, 28), 4, 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x00, 0x00, 0xC0));
    for (int row = 0; row < 3; ++row)
        painter.drawRect(QRectF(7, 8 + row * 6, 18, 3));
    return QIcon(pixmap);
}

void setRole(QWidget *control, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = control->palette();
    palette.setColor(role, colour);
    control->setPalette(palette);
}

} // namespace

Frm_Item_FromIniFile::Frm_Item_FromIniFile(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Frm_Item_FromIniFile"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The palette is used from other programs' windows: its tooltips (whole item names,
    // whole messages) show while it is not the active window too.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    installFontSubstitutions();
    Sub_CreateControls();
    Sub_InitializeWindow();
}

Frm_Item_FromIniFile::~Frm_Item_FromIniFile()
{
    // Deleted without being closed (a host dropping its preview): still end our editor.
    if (!m_unloaded)
        Sub_EndEditor();
}

void Frm_Item_FromIniFile::Sub_CreateControls()
{
    setWindowTitle(QStringLiteral("Tarnwick"));
    // The program's icon where it sets one (followed when it changes); the drawn one serves
    // hosts without. The program hands its icon over once its first window is on screen, so
    // this looks after that, and leaves alone an icon the setting gave meanwhile.
    RunAfterFirstExposure(this, [this] {
        if (windowIcon().isNull())
            setWindowIcon(ownIcon());
    });
    setFont(makeFont(msGothic(), 9));

    Cmd_Dummy = new QPushButton(this);
    Cmd_Dummy->setObjectName(QStringLiteral("Cmd_Dummy"));
    Sub_SetTwipsGeometry(Cmd_Dummy, QRect(120, 60, 375, 165));

    Cbo_SettingFiles = new QComboBox(this);
    Cbo_SettingFiles->setObjectName(QStringLiteral("Cbo_SettingFiles"));
    Sub_SetTwipsGeometry(Cbo_SettingFiles, QRect(0, 0, 1845, 300));

    auto *frame = new Cls_FrameArea(0, this);
    frame->setCaption(QStringLiteral("設定内容"));
    frame->setFont(makeFont(QStringLiteral("Times New Roman"), 9.75, true));
    frame->setAutoFillBackground(true);
    Sub_SetTwipsGeometry(frame, QRect(0, 270, kDesignFrameWidth, 555));
    Fra_Items.append(frame);

    // Shown only once an item is placed: a window without items offers no phantom button.
    m_itemOwner = new QObject(this);
    auto *button = new Cls_ItemButton(0, m_itemOwner);
    button->setText(QStringLiteral("Text1"));
    button->setFont(font());
    button->setTwipsGeometry(QRect(150, 270, kDesignItemWidth, 225));
    Txt_Button.append(button);

    Fra_Bottom = new QFrame(this);
    Fra_Bottom->setObjectName(QStringLiteral("Fra_Bottom"));
    Fra_Bottom->setFrameShape(QFrame::NoFrame);
    Fra_Bottom->setAutoFillBackground(true);
    Sub_SetTwipsGeometry(Fra_Bottom, QRect(0, 420, kDesignFrameWidth, 705));

    Lbl_Msg = new Cls_MessageLabel(Fra_Bottom);
    Lbl_Msg->setObjectName(QStringLiteral("Lbl_Msg"));
    Sub_SetTwipsGeometry(Lbl_Msg, QRect(150, 210, 2475, 465));

    const QString labelTip = QStringLiteral("設定ファイルを開きます。");
    Lbl_ButtonEdit = new QLabel(QStringLiteral("Edit"), Fra_Bottom);
    Lbl_ButtonEdit->setObjectName(QStringLiteral("Lbl_ButtonEdit"));
    Lbl_ButtonEdit->setTextFormat(Qt::PlainText);
    Lbl_ButtonEdit->setFont(makeFont(msGothic(), 5.25));
    Lbl_ButtonEdit->setToolTip(labelTip);
    Sub_SetTwipsGeometry(Lbl_ButtonEdit, QRect(2430, 510, 225, 105));

    Lbl_Reload = new QLabel(QStringLiteral("Reload"), Fra_Bottom);
    Lbl_Reload->setObjectName(QStringLiteral("Lbl_Reload"));
    Lbl_Reload->setTextFormat(Qt::PlainText);
    Lbl_Reload->setFont(makeFont(msGothic(), 5.25));
    Lbl_Reload->setToolTip(labelTip);
    Lbl_Reload->hide();
    Sub_SetTwipsGeometry(Lbl_Reload, QRect(1890, 510, 375, 105));
    Lbl_Msg->setObstacles({Lbl_ButtonEdit, Lbl_Reload});

    Chk_Most = new QCheckBox(this);
    Chk_Most->setObjectName(QStringLiteral("Chk_Most"));
    Chk_Most->setFont(makeFont(QStringLiteral("Arial"), 8.25, true));
    Chk_Most->setAutoFillBackground(true);
    Sub_SetTwipsGeometry(Chk_Most, QRect(2490, 0, 195, 210));

    Chk_More = new QCheckBox(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞの中身に追加"), this);
    Chk_More->setObjectName(QStringLiteral("Chk_More"));
    Chk_More->hide();
    Sub_SetTwipsGeometry(Chk_More, QRect(2820, 150, 2385, 165));

    Sub_ApplyClientSize();

    m_runner = new ItemRunController(
        {[this](const QString &text) { Sub_ShowMessage(text); },
         [this](const QString &name, const QString &output, bool append, bool isCopy) {
             Sub_ReportResult(name, output, append, isCopy);
         },
         [this](const QString &path) { FncBln_OpenByShell(path); }},
        ClipboardHistory::instance(), this);

    connect(Chk_Most, &QCheckBox::toggled, this, &Frm_Item_FromIniFile::Chk_Most_Click);
    connect(Cbo_SettingFiles, &QComboBox::activated, this,
            &Frm_Item_FromIniFile::Cbo_SettingFiles_Click);

    // The window sees key events before its controls, and hover needs plain moves.
    for (QWidget *control :
         {static_cast<QWidget *>(this), static_cast<QWidget *>(Cmd_Dummy),
          static_cast<QWidget *>(Cbo_SettingFiles), static_cast<QWidget *>(frame),
          static_cast<QWidget *>(Fra_Bottom), static_cast<QWidget *>(Lbl_Msg),
          static_cast<QWidget *>(Lbl_ButtonEdit), static_cast<QWidget *>(Lbl_Reload),
          static_cast<QWidget *>(Chk_Most), static_cast<QWidget *>(Chk_More)}) {
        control->installEventFilter(this);
        control->setMouseTracking(true);
    }
}

namespace {

Cls_MySettingFile &model()
{
    // A window built before any load shows the model's defaults.
    if (!gObj_Setting)
        gObj_Setting = std::make_shared<Cls_MySettingFile>();
    return *gObj_Setting;
}

void showFailure(const char *source, const std::exception &error)
{
    Sub_ShowError(VbError{5, QString::fromLocal8Bit(error.what()), QString::fromLatin1(source)});
}

} // namespace

void Frm_Item_FromIniFile::Sub_InitializeWindow()
{
    // Each step reports its own failure and the sequence goes on, so a window with
    // missing parts is still shown.
    const auto step = [](const char *source, const auto &body) {
        try {
            body();
        } catch (const std::exception &error) {
            showFailure(source, error);
        }
    };
    step("Sub_InitializeWindow", [this] {
        mCurrentFrame = 0;
        m_itemFontSize = model().GetFontSize();
        m_labelFontSize = qRound(Lbl_ButtonEdit->font().pointSizeF());
    });
    step("Sub_ListSettingFiles", [this] {
        mdl_Palette::Sub_ListSettingFiles(*Cbo_SettingFiles);
        // Show which file this window was built from.
        const QString current = gStr_SettingFile.endsWith(QStringLiteral(".xml"))
                                    ? gStr_SettingFile.chopped(4)
                                    : gStr_SettingFile;
        Cbo_SettingFiles->setCurrentIndex(Cbo_SettingFiles->findText(current));
    });
    step("Sub_PlaceFileSelector", [this] { Sub_PlaceFileSelector(); });
    step("FncBln_BuildFrames", [this] { FncBln_BuildFrames(); });
    step("Sub_PositionWindow", [this] { Sub_PositionWindow(); });
    step("Sub_ApplyColours", [this] {
        Sub_ApplyColours();
        for (Cls_ItemButton *button : std::as_const(Txt_Button))
            button->setColours(m_labelColour, m_baseColour);
        Sub_ResetHighlight();
    });
    step("Sub_InitializeWindow", [this] {
        if (model().IsShowVersion()) {
            setWindowTitle(windowTitle() + QStringLiteral(" ver%1.%2.%3")
                                               .arg(QUORVEL_VERSION_MAJOR)
                                               .arg(QUORVEL_VERSION_MINOR)
                                               .arg(QUORVEL_VERSION_PATCH));
        }
        if (model().IsTopMost())
            Chk_Most->setChecked(true);
    });
    step("Sub_ApplyIcon", [this] { Sub_ApplyIcon(); });
    Cmd_Dummy->setFocus();
}

void Frm_Item_FromIniFile::ApplyOpenOptions(bool keepOnTop, bool showReload)
{
    if (keepOnTop)
        Chk_Most->setChecked(true);
    if (showReload)
        Lbl_Reload->setVisible(true);
}

void Frm_Item_FromIniFile::Sub_PlaceFileSelector()
{
    QRect first = TwipsGeometry(Fra_Items.at(0));
    if (model().IsModeSelecter()) {
        Cbo_SettingFiles->setVisible(true);
        first.moveTop(TwipsGeometry(Cbo_SettingFiles).height());
    } else {
        Cbo_SettingFiles->setVisible(false);
        first.moveTop(0);
    }
    Sub_SetTwipsGeometry(Fra_Items.at(0), first);
}

void Frm_Item_FromIniFile::SetMode(bool IsPreview)
{
    mIsPreview = IsPreview;
    if (IsPreview) {
        Lbl_ButtonEdit->setVisible(false);
        Lbl_Reload->setVisible(false);
    }
}

void Frm_Item_FromIniFile::Sub_ShowMessage(const QString &text)
{
    Lbl_Msg->setText(text);
    // A tooltip that looks like markup would be rendered as such: keep it literal.
    if (Qt::mightBeRichText(text)) {
        Lbl_Msg->setToolTip(
            QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(text.toHtmlEscaped()));
    } else {
        Lbl_Msg->setToolTip(text);
    }
}

void Frm_Item_FromIniFile::Chk_Most_Click(bool checked)
{
    Sub_ShowMessage(checked ? QStringLiteral("最前面に表示します")
                            : QStringLiteral("設定を元に戻しました"));
    Sub_SetTopMost(this, checked);
}

void Frm_Item_FromIniFile::Cbo_SettingFiles_Click(int index)
{
    const QString name = Cbo_SettingFiles->itemText(index);
    if (name.isEmpty())
        return;
    gStr_SettingFile = name + QStringLiteral(".xml");
    Lbl_Reload->setVisible(true);
}

void Frm_Item_FromIniFile::Lbl_Reload_Click()
{
    if (m_unloaded)
        return;
    mReloading = true;
    const bool keepOnTop = Chk_Most->isChecked();
    // The new window is up before this one closes, so the program is never left without
    // a window (a lock held meanwhile would end a host that keeps running without one).
    mdl_Palette::SetCurrentWindow(nullptr);
    mdl_Palette::Open(keepOnTop, true);
    close();
}

void Frm_Item_FromIniFile::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Sub_Unload();
}

void Frm_Item_FromIniFile::Sub_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (mdl_Palette::CurrentWindow() == this)
        mdl_Palette::SetCurrentWindow(nullptr);
    Sub_EndEditor();
    if (!mReloading && !mIsPreview)
        mdl_Palette::Sub_EndProgram();
}

// Layout ---------------------------------------------------------------------------

QRect Frm_Item_FromIniFile::TwipsGeometry(const QObject *control)
{
    return control->property(kTwipsProperty).toRect();
}

QSize Frm_Item_FromIniFile::OuterTwips() const
{
    return {m_clientTwips.width() + kBorderAllowance, m_clientTwips.height() + kCaptionAllowance};
}

int Frm_Item_FromIniFile::FncLng_Dpi(bool horizontal) const
{
    // Asking the widget finds its screen each time: a large palette converts tens of
    // thousands of edges while it is built.
    if (m_dpiX <= 0) {
        m_dpiX = logicalDpiX();
        m_dpiY = logicalDpiY();
    }
    return horizontal ? m_dpiX : m_dpiY;
}

int Frm_Item_FromIniFile::FncLng_TwipsToPixels(qint64 twips, bool horizontal) const
{
    const qreal dpi = FncLng_Dpi(horizontal);
    const qint64 pixels = std::llround(static_cast<double>(twips) * dpi / 1440.0);
    return static_cast<int>(qBound(-qint64(QWIDGETSIZE_MAX), pixels, qint64(QWIDGETSIZE_MAX)));
}

qint64 Frm_Item_FromIniFile::FncLng_PixelsToTwips(int pixels, bool horizontal) const
{
    const qreal dpi = FncLng_Dpi(horizontal);
    return std::llround(static_cast<double>(pixels) * 1440.0 / (dpi > 0 ? dpi : 96.0));
}

void Frm_Item_FromIniFile::Sub_SetTwipsGeometry(QWidget *control, const QRect &twips) const
{
    control->setProperty(kTwipsProperty, twips);
    // Edges are converted, not sizes, so that neighbouring controls meet without gaps.
    const int left = FncLng_TwipsToPixels(twips.x(), true);
    const int top = FncLng_TwipsToPixels(twips.y(), false);
    const int right = FncLng_TwipsToPixels(qint64(twips.x()) + twips.width(), true);
    const int bottom = FncLng_TwipsToPixels(qint64(twips.y()) + twips.height(), false);
    control->setGeometry(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

void Frm_Item_FromIniFile::Sub_ApplyClientSize()
{
    setFixedSize(FncLng_TwipsToPixels(m_clientTwips.width(), true),
                 FncLng_TwipsToPixels(m_clientTwips.height(), false));
}

void Frm_Item_FromIniFile::Sub_ApplyItemWidth()
{
    Cls_MySettingFile &settings = model();
    const int width = qBound(1, settings.GetItemWidth(), kMaxLength);
    const int d = width - kDesignItemWidth;

    QRect most = TwipsGeometry(Chk_Most);
    most.translate(d, 0);
    Sub_SetTwipsGeometry(Chk_Most, most);

    m_itemMetrics = ItemMetrics{Txt_Button.at(0)->twipsGeometry().x(),
                                qBound(1, settings.GetMarginTop(), kMaxLength),
                                qBound(1, settings.GetItemHeight(), kMaxLength), width};
    QRect item = Txt_Button.at(0)->twipsGeometry();
    item.setWidth(width);
    Txt_Button.at(0)->setTwipsGeometry(item);

    m_frameMetrics = FrameMetrics{0, TwipsGeometry(Fra_Items.at(0)).y(), m_itemMetrics.marginTop,
                                  kDesignFrameWidth + d};
    QRect frame = TwipsGeometry(Fra_Items.at(0));
    frame.setWidth(m_frameMetrics.width);
    Sub_SetTwipsGeometry(Fra_Items.at(0), frame);
    QRect selector = TwipsGeometry(Cbo_SettingFiles);
    selector.setWidth(m_frameMetrics.width);
    Sub_SetTwipsGeometry(Cbo_SettingFiles, selector);

    m_clientTwips.rwidth() += d;
    Sub_ApplyClientSize();

    const QString title = settings.GetTitle();
    if (!title.isEmpty())
        setWindowTitle(title);

    const int e = width - TwipsGeometry(Fra_Bottom).width();
    const QRect editRect = TwipsGeometry(Lbl_ButtonEdit);
    QRect reloadRect = TwipsGeometry(Lbl_Reload);
    reloadRect.moveLeft(reloadRect.x() + editRect.width() + e);
    Sub_SetTwipsGeometry(Lbl_Reload, reloadRect);
    Sub_SetTwipsGeometry(Lbl_ButtonEdit, editRect.translated(editRect.width() + e, 0));
    QRect message = TwipsGeometry(Lbl_Msg);
    message.setWidth(message.width() + e);
    Sub_SetTwipsGeometry(Lbl_Msg, message);
    QRect bottom = TwipsGeometry(Fra_Bottom);
    bottom.setWidth(m_frameMetrics.width);
    Sub_SetTwipsGeometry(Fra_Bottom, bottom);
}

bool Frm_Item_FromIniFile::FncBln_BuildFrames()
{
    Sub_ApplyItemWidth();
    Cls_MySettingFile &settings = model();
    const int count = settings.GetCount();
    for (int frame = 0; frame < count; ++frame) {
        settings.CurrentFrame(frame);
        mCurrentFrame = frame;
        // One reading of the frame gives its title, fonts, line count and items.
        const SettingFrame values = SettingFrame::parse(settings.CurrentFrameData());
        Sub_PlaceFrame(frame, frame, values.title,
                       values.font.isEmpty() ? settings.DefaultFont() : values.font);
        if (!FncBln_BuildItems(frame, values)) {
            Sub_FinishLayout(frame);
            return false;
        }
    }
    Sub_FinishLayout(count - 1);
    return true;
}

void Frm_Item_FromIniFile::Sub_PlaceFrame(int area, int frame, const QString &title,
                                          const QString &font)
{
    Cls_FrameArea *box = nullptr;
    int top = m_frameMetrics.firstTop;
    // The font is set once, before the title: each change lays the title out again.
    QFont boxFont = Fra_Items.at(0)->font();
    boxFont.setFamily(font);
    boxFont.setPointSizeF(model().GetFontSize());
    if (area > 0) {
        const Cls_FrameArea *design = Fra_Items.at(0);
        box = new Cls_FrameArea(area, this);
        box->setPalette(design->palette());
        box->setAutoFillBackground(true);
        box->setMouseTracking(true);
        box->installEventFilter(this);
        Fra_Items.append(box);
        const QRect previous = TwipsGeometry(Fra_Items.at(area - 1));
        top = previous.y() + previous.height();
    } else {
        box = Fra_Items.at(0);
        top = TwipsGeometry(box).y();
    }
    Sub_SetTwipsGeometry(
        box, QRect(m_frameMetrics.left, top, m_frameMetrics.width, m_itemMetrics.marginTop));
    box->setVisible(true);
    if (box->font() != boxFont)
        box->setFont(boxFont);
    box->setCaption(title);
    box->setProperty(kTagProperty, QString::number(frame));
}

bool Frm_Item_FromIniFile::FncBln_BuildItems(int frame, const SettingFrame &values)
{
    try {
        Cls_MySettingFile &settings = model();
        ItemCursor cursor;
        // As the model reads a line count: a positive number, else 1.
        const int lineCount = Cls_XML::ToInteger(values.lineCount).value_or(0);
        cursor.columns = qBound(1, lineCount > 0 ? lineCount : 1, SettingFormat::MaxItems);
        cursor.topBase = TwipsGeometry(Fra_Items.at(frame)).y() + m_itemMetrics.marginTop;
        cursor.leftBase = m_itemMetrics.left;
        cursor.height = m_itemMetrics.itemHeight;
        cursor.width = m_itemMetrics.itemWidth;
        cursor.fontName = values.itemFont.isEmpty() ? settings.DefaultFont() : values.itemFont;
        cursor.fontSize = settings.GetFontSize();

        const int columnWidth = roundedQuotient(cursor.width, cursor.columns);
        for (int column = 0; column < cursor.columns; ++column) {
            cursor.columnLeft.append(cursor.leftBase + column * columnWidth);
            cursor.columnWidth.append(columnWidth);
        }
        // One font for the frame's items, shared by them all.
        const QFont itemFont = makeFont(cursor.fontName, cursor.fontSize);
        for (const auto &[number, item] : values.namedItems()) {
            ++cursor.counter;
            cursor.caption = item.name;
            cursor.itemNumber = number;
            const int column = cursor.counter % cursor.columns;
            if (column == 0)
                ++cursor.row;
            cursor.top = cursor.topBase + cursor.row * cursor.height;
            cursor.left = cursor.columnLeft.at(column);
            cursor.width = cursor.columnWidth.at(column);
            Sub_PlaceItem(cursor, frame, itemFont);
        }
        Sub_CloseFrame(frame, cursor);
        return true;
    } catch (const std::exception &error) {
        showFailure("FncBln_BuildItems", error);
        return false;
    }
}

void Frm_Item_FromIniFile::Sub_PlaceItem(const ItemCursor &cursor, int frame, const QFont &font)
{
    Cls_ItemButton *button = nullptr;
    if (m_itemCount > 0) {
        button = new Cls_ItemButton(m_itemCount, m_itemOwner);
        Txt_Button.append(button);
    } else {
        button = Txt_Button.at(0);
    }
    const QRect twips(cursor.left, cursor.top, cursor.width, cursor.height);
    button->setTwipsGeometry(twips);
    // The item lies on the window above its frame area, which paints it: its rectangle in
    // window pixels, edge by edge, moved into the area.
    Cls_FrameArea *area = Fra_Items.at(frame);
    const int left = FncLng_TwipsToPixels(twips.x(), true);
    const int top = FncLng_TwipsToPixels(twips.y(), false);
    const int right = FncLng_TwipsToPixels(qint64(twips.x()) + twips.width(), true);
    const int bottom = FncLng_TwipsToPixels(qint64(twips.y()) + twips.height(), false);
    button->place(
        area,
        QRect(left, top, qMax(0, right - left), qMax(0, bottom - top)).translated(-area->pos()));
    area->addItem(button);
    button->setText(cursor.caption);
    button->setTag(QString::number(cursor.itemNumber));
    // The frame travels with the button: a pointer may reach a button without crossing
    // its frame area first, and then the item of another frame would run.
    button->setFrameNumber(frame);
    button->setFont(font);
    ++m_itemCount;
}

void Frm_Item_FromIniFile::Sub_CloseFrame(int area, const ItemCursor &cursor)
{
    const int grow =
        (cursor.row + 1) * cursor.height + qBound(1, model().GetMarginBottom(), kMaxLength);
    QRect frame = TwipsGeometry(Fra_Items.at(area));
    frame.setHeight(frame.height() + grow);
    Sub_SetTwipsGeometry(Fra_Items.at(area), frame);
    QRect bottom = TwipsGeometry(Fra_Bottom);
    bottom.moveTop(bottom.y() + grow);
    Sub_SetTwipsGeometry(Fra_Bottom, bottom);
}

void Frm_Item_FromIniFile::Sub_FinishLayout(int lastArea)
{
    QRect bottom = TwipsGeometry(Fra_Bottom);
    if (lastArea >= 0 && lastArea < Fra_Items.size()) {
        const QRect last = TwipsGeometry(Fra_Items.at(lastArea));
        bottom.moveTop(last.y() + last.height() - kBottomOverlap);
    } else {
        // No frames: the bottom area takes the place of the first frame area.
        Fra_Items.at(0)->hide();
        bottom.moveTop(m_frameMetrics.firstTop);
    }
    Sub_SetTwipsGeometry(Fra_Bottom, bottom);

    for (Cls_FrameArea *frame : std::as_const(Fra_Items))
        frame->lower();
    Fra_Bottom->lower();
    Cmd_Dummy->lower();

    m_clientTwips.setHeight(bottom.y() + bottom.height());
    Sub_ApplyClientSize();
}

qint64 Frm_Item_FromIniFile::FncLng_WindowPosition(qint64 screenTwips, qint64 windowTwips,
                                                   const QString &word, qint64 offset,
                                                   const QString &farWord)
{
    const QString lower = word.toLower();
    const qint64 room = screenTwips - windowTwips;
    qint64 base = 0;
    if (lower == farWord) {
        base = room;
    } else if (lower == QStringLiteral("center")) {
        // room / 2, a half rounded to the even neighbour.
        const qint64 floorHalf = room >= 0 ? room / 2 : -((-room + 1) / 2);
        base = (room % 2 == 0 || floorHalf % 2 == 0) ? floorHalf : floorHalf + 1;
    }
    qint64 position = base + offset;
    if (position > room)
        position = room;
    // A window larger than the screen keeps its caption reachable.
    if (position < 0)
        position = 0;
    return position;
}

void Frm_Item_FromIniFile::Sub_PositionWindow()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    const QSize outer = OuterTwips();
    Cls_MySettingFile &settings = model();
    const qint64 top = FncLng_WindowPosition(
        FncLng_PixelsToTwips(area.height(), false), outer.height(), settings.GetValign(),
        settings.GetPositioningTop(), QStringLiteral("bottom"));
    const qint64 left = FncLng_WindowPosition(
        FncLng_PixelsToTwips(area.width(), true), outer.width(), settings.GetAlign(),
        settings.GetPositioningLeft(), QStringLiteral("right"));
    move(area.x() + FncLng_TwipsToPixels(left, true), area.y() + FncLng_TwipsToPixels(top, false));
    raise();
}

qint32 Frm_Item_FromIniFile::ToValue(const QString &text)
{
    const QString trimmed = trimBlanks(text);
    qint64 value = 0;
    for (const QChar character : trimmed) {
        const int digit = QStringLiteral("0123456789abcdef").indexOf(character.toLower());
        if (digit < 0 || character.unicode() > 0x7F)
            break;
        value = value * 16 + digit;
        // Beyond 32 bits the value has no meaning; keep what fits.
        if (value > 0x7FFFFFFF)
            return 0;
    }
    return static_cast<qint32>(value);
}

qint32 Frm_Item_FromIniFile::FncLng_ToColour(const QString &text)
{
    QString colour = text;
    // A number is written with at least six digits: 80 means 000080.
    const QString blankTrimmed = colour.trimmed();
    bool isNumber = !blankTrimmed.isEmpty();
    for (const QChar character : blankTrimmed)
        isNumber = isNumber && character >= u'0' && character <= u'9';
    if (isNumber) {
        QString digits = blankTrimmed;
        while (digits.size() > 1 && digits.startsWith(u'0'))
            digits.remove(0, 1);
        colour = digits.rightJustified(6, u'0');
    }
    colour = trimBlanks(colour.replace(u'\t', u' '));
    const qint32 red = ToValue(colour.mid(0, 2));
    const qint32 green = ToValue(colour.mid(2, 2));
    const qint32 blue = ToValue(colour.mid(4, 2));
    return red + 256 * green + 65536 * blue;
}

QColor Frm_Item_FromIniFile::FncColor_FromValue(qint32 value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void Frm_Item_FromIniFile::Sub_ApplyColours()
{
    Cls_XML &colours = model().Color();
    const auto colourOf = [&colours](const char *key) {
        return FncColor_FromValue(FncLng_ToColour(colours.Gets(QString::fromLatin1(key))));
    };
    const QColor base = colourOf("Base");
    const QColor title = colourOf("Title");
    const QColor label = colourOf("Label");
    const QColor back = colourOf("Back");
    const QString foreText = colours.Gets(QStringLiteral("Fore"));
    const QColor fore = foreText.trimmed().isEmpty() ? label : colourOf("Fore");

    setAutoFillBackground(true);
    setRole(this, QPalette::Window, base);
    for (Cls_FrameArea *frame : std::as_const(Fra_Items)) {
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, base);
        palette.setColor(QPalette::WindowText, title);
        palette.setColor(QPalette::Text, title);
        frame->setPalette(palette);
    }
    setRole(Fra_Bottom, QPalette::Window, base);
    setRole(Chk_Most, QPalette::Window, base);
    for (Cls_ItemButton *button : std::as_const(Txt_Button))
        button->setColours(label, back);
    for (QLabel *text : {static_cast<QLabel *>(Lbl_Msg), Lbl_ButtonEdit, Lbl_Reload})
        setRole(text, QPalette::WindowText, label);

    m_baseColour = base;
    m_labelColour = label;
    m_backColour = back;
    m_foreColour = fore;
}

void Frm_Item_FromIniFile::Sub_ApplyIcon()
{
    const QString picture = model().GetPictureName();
    if (picture.isEmpty())
        return;
    if (!QFileInfo::exists(picture)) {
        Sub_ShowError(
            VbError{53, QStringLiteral("File not found"), QStringLiteral("Sub_ApplyIcon")});
        return;
    }
    QPixmap pixmap;
    // A pipe or a device could block the loader for ever: only a plain file is a picture.
    if (!QFileInfo(picture).isFile() || !pixmap.load(picture)) {
        Sub_ShowError(
            VbError{481, QStringLiteral("Invalid picture"), QStringLiteral("Sub_ApplyIcon")});
        return;
    }
    setWindowIcon(QIcon(pixmap));
}

// Actions --------------------------------------------------------------------------

void Frm_Item_FromIniFile::Txt_Button_Click(int buttonIndex)
{
    if (buttonIndex < 0 || buttonIndex >= Txt_Button.size())
        return;
    const Cls_ItemButton *button = Txt_Button.at(buttonIndex);
    mCurrentFrame = button->frameNumber();
    m_runner->run({mCurrentFrame, button->tag().toInt(), button->text()}, Chk_More->isChecked());
    // No item button keeps a caret or a selection.
    Cmd_Dummy->setFocus();
}

void Frm_Item_FromIniFile::Sub_ReportResult(const QString &itemName, const QString &output,
                                            bool append, bool isCopy)
{
    const QString name = trimBlanks(itemName);
    QString visible = output;
    visible.remove(QStringLiteral("\r\n"));
    visible.remove(u'\n');
    visible.remove(u'\r');
    QString suffix;
    if (!trimBlanks(visible).isEmpty()) {
        if (isCopy)
            suffix =
                append ? QStringLiteral("を追加ｺﾋﾟｰしました") : QStringLiteral("をｺﾋﾟｰしました");
        else
            suffix = QStringLiteral("で編集しました");
    } else {
        suffix = QStringLiteral("は空です");
    }
    Sub_ShowMessage(QStringLiteral("[") + name + QStringLiteral("]") + suffix);
}

bool Frm_Item_FromIniFile::FncBln_OpenByShell(const QString &path)
{
    FncBln_ShellOpen(nullptr, path);
    Lbl_Reload->setVisible(true);
    return true;
}

void Frm_Item_FromIniFile::Lbl_ButtonEdit_Click()
{
    QString editor;
    for (const QString &folder : mdl_Palette::EditorSearchFolders()) {
        const QFileInfo candidate(
            mdl_Palette::FncStr_JoinPath(folder, mdl_Palette::EditorProgramFileName()));
        if (candidate.isFile() && candidate.isExecutable()) {
            editor = candidate.absoluteFilePath();
            break;
        }
    }
    if (!editor.isEmpty())
        Sub_StartEditor(editor);
    else
        FncBln_OpenByShell(mdl_Palette::FncStr_JoinPath(gStr_SettingFolder, gStr_SettingFile));
    Lbl_Reload->setVisible(true);
}

void Frm_Item_FromIniFile::Sub_StartEditor(const QString &editorPath)
{
    const QByteArray activate("activate");
    // The user may have closed the editor this window started: start it again rather
    // than leave the Edit label without effect.
    if (mEditorStarted && !FncBln_EditorRuns())
        mEditorStarted = false;
    if (mEditorStarted) {
        SingleInstance::sendRequest(m_editorPath, activate);
        return;
    }
    // An editor for this program that runs already (started by other means) is only
    // brought forward; a second one would end silently.
    if (SingleInstance::sendRequest(editorPath, activate))
        return;
    QProcess process;
    process.setProgram(editorPath);
    process.setArguments({gStr_ProgramName, QStringLiteral("--settings-dir"), gStr_SettingFolder});
    qint64 processId = 0;
    if (!process.startDetached(&processId)) {
        Sub_ShowError(VbError{53, process.errorString(), QStringLiteral("Sub_StartEditor")});
        return;
    }
    mEditorProcessId = processId;
    m_editorProcessHandle = FncLng_OpenProcess(processId);
    m_editorIdentity = processIdentity(processId);
    m_editorPath = editorPath;
    mEditorStarted = true;
}

void Frm_Item_FromIniFile::Sub_EndEditor()
{
    if (!mEditorStarted)
        return;
    mEditorStarted = false;
    if (FncBln_EditorRuns())
        Sub_TerminateProcess(mEditorProcessId);
    m_editorProcessHandle = 0;
}

bool Frm_Item_FromIniFile::FncBln_EditorRuns() const
{
    // The id may have been reused once our editor ended: only the process we started counts.
    const QString identity = processIdentity(mEditorProcessId);
    return !identity.isEmpty() && identity == m_editorIdentity;
}

void Frm_Item_FromIniFile::Sub_ResetHighlight()
{
    if (m_litItem != nullptr) {
        m_litItem->setColours(m_labelColour, m_baseColour);
        m_litItem = nullptr;
    }
    for (QLabel *label : {Lbl_ButtonEdit, Lbl_Reload}) {
        label->setAutoFillBackground(false);
        if (label->palette().color(QPalette::WindowText) != m_labelColour)
            setRole(label, QPalette::WindowText, m_labelColour);
    }
    m_litLabel = nullptr;
}

void Frm_Item_FromIniFile::Sub_HoverEffect(QWidget *control)
{
    if (control == m_litLabel && m_litItem == nullptr)
        return;
    Sub_ResetHighlight();
    setRole(control, QPalette::WindowText, m_foreColour);
    m_litLabel = control;
}

void Frm_Item_FromIniFile::Sub_HoverEffect(Cls_ItemButton *item)
{
    if (item == m_litItem)
        return;
    Sub_ResetHighlight();
    item->setColours(m_foreColour, m_backColour);
    m_litItem = item;
}

void Frm_Item_FromIniFile::Sub_PressEffect(QWidget *control)
{
    QFont font = control->font();
    font.setPointSizeF(qMax<qreal>(1, font.pointSizeF() - 1));
    control->setFont(font);
}

void Frm_Item_FromIniFile::Sub_PressEffect(Cls_ItemButton *item)
{
    QFont font = item->font();
    font.setPointSizeF(qMax<qreal>(1, font.pointSizeF() - 1));
    item->setFont(font);
}

void Frm_Item_FromIniFile::Sub_ReleaseEffect(QWidget *control, qreal pointSize)
{
    QFont font = control->font();
    font.setPointSizeF(qMax<qreal>(1, pointSize));
    control->setFont(font);
}

void Frm_Item_FromIniFile::Sub_ReleaseEffect(Cls_ItemButton *item, qreal pointSize)
{
    QFont font = item->font();
    font.setPointSizeF(qMax<qreal>(1, pointSize));
    item->setFont(font);
}

void Frm_Item_FromIniFile::Sub_ApplyShiftState(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // On exactly while Shift alone is held: another modifier joining ends the append,
    // and letting go of it again brings the append back.
    Chk_More->setChecked(held == Qt::ShiftModifier);
}

void Frm_Item_FromIniFile::moveEvent(QMoveEvent *event)
{
    for (Cls_FrameArea *area : std::as_const(Fra_Items))
        area->showsMore();
    QWidget::moveEvent(event);
}

void Frm_Item_FromIniFile::changeEvent(QEvent *event)
{
    // The release of Shift in another window never reaches this one.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        Chk_More->setChecked(false);
    QWidget::changeEvent(event);
}

bool Frm_Item_FromIniFile::FncBln_FrameAreaEvent(Cls_FrameArea *area, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ToolTip) {
        // A name cut short by its button shows whole in the tooltip.
        const auto *help = static_cast<QHelpEvent *>(event);
        const Cls_ItemButton *item = area->itemAt(help->pos());
        if (item != nullptr && item->isElided())
            QToolTip::showText(help->globalPos(), item->text(), area, item->geometry());
        else
            QToolTip::hideText();
        return true;
    }
    if (type == QEvent::MouseMove || type == QEvent::Enter) {
        const QPoint position = type == QEvent::Enter
                                    ? static_cast<QEnterEvent *>(event)->position().toPoint()
                                    : static_cast<QMouseEvent *>(event)->position().toPoint();
        if (Cls_ItemButton *item = area->itemAt(position)) {
            Sub_HoverEffect(item);
        } else {
            // Item buttons lie above the frame areas: only the area itself makes its
            // frame the current one.
            mCurrentFrame = area->areaIndex();
            Sub_ResetHighlight();
        }
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint position = mouse->position().toPoint();
    if (type == QEvent::MouseButtonPress) {
        m_pressedItem = area->itemAt(position);
        if (m_pressedItem == nullptr)
            return false;
        Sub_PressEffect(m_pressedItem);
        return true;
    }
    if (type == QEvent::MouseButtonDblClick) {
        // The second press of a double click is not a second click.
        m_pressedItem = area->itemAt(position);
        if (m_pressedItem == nullptr)
            return false;
        m_suppressClick = true;
        return true;
    }
    Cls_ItemButton *pressed = std::exchange(m_pressedItem, nullptr);
    if (pressed == nullptr)
        return false;
    Sub_ReleaseEffect(pressed, m_itemFontSize);
    const bool click = mouse->button() == Qt::LeftButton &&
                       pressed->geometry().contains(position) && !m_suppressClick;
    m_suppressClick = false;
    if (click) {
        // Shift as the click itself reports it: the palette is clicked from another
        // program's window, and then it never saw Shift go down.
        Sub_ApplyShiftState(mouse->modifiers());
        Txt_Button_Click(pressed->index());
    }
    return true;
}

bool Frm_Item_FromIniFile::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        Sub_ApplyShiftState(key->modifiers());
        if (type == QEvent::KeyPress && key->key() == Qt::Key_Escape && m_runner->cancel())
            return true;
        if (type == QEvent::KeyPress && key->matches(QKeySequence::Undo)) {
            m_runner->undo();
            return true;
        }
        return false;
    }
    if (auto *area = qobject_cast<Cls_FrameArea *>(watched))
        return FncBln_FrameAreaEvent(area, event);
    const bool moved = type == QEvent::MouseMove || type == QEvent::Enter;
    const auto *mouse = (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                         type == QEvent::MouseButtonDblClick)
                            ? static_cast<QMouseEvent *>(event)
                            : nullptr;
    auto *control = qobject_cast<QWidget *>(watched);
    if (control == nullptr)
        return false;
    if (control == Lbl_Msg) {
        if (moved)
            Sub_ResetHighlight();
        // A click on "処理中… Escで中止" cancels, as Esc does.
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
            m_runner->cancel())
            return true;
        return false;
    }
    if (control == Lbl_ButtonEdit || control == Lbl_Reload) {
        if (moved) {
            Sub_HoverEffect(control);
            return false;
        }
        if (mouse == nullptr)
            return false;
        if (type == QEvent::MouseButtonPress) {
            if (control == Lbl_Reload && mouse->button() == Qt::RightButton)
                Lbl_Reload->hide();
            else
                Sub_PressEffect(control);
        } else if (type == QEvent::MouseButtonRelease) {
            Sub_ReleaseEffect(control, m_labelFontSize);
            if (mouse->button() == Qt::LeftButton &&
                control->rect().contains(mouse->position().toPoint())) {
                if (control == Lbl_ButtonEdit)
                    Lbl_ButtonEdit_Click();
                else
                    Lbl_Reload_Click();
            }
        }
        return true;
    }
    return false;
}
