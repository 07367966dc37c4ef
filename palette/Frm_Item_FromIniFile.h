// The palette window: titled frame areas of item buttons built from the setting model,
// a message line, and the Edit and Reload labels.
#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

class Cls_FrameArea;
class Cls_ItemButton;
class Cls_MessageLabel;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
struct SettingFrame;
class ItemRunController;

class Frm_Item_FromIniFile final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Frm_Item_FromIniFile)

public:
    // Builds the whole window from gObj_Setting (the load sequence). The window deletes
    // itself when it is closed.
    explicit Frm_Item_FromIniFile(QWidget *parent = nullptr);
    ~Frm_Item_FromIniFile() override;

    // The last steps of Open: check Chk_Most, show Lbl_Reload.
    void ApplyOpenOptions(bool keepOnTop, bool showReload);
    // Preview inside the editor: hides Edit and Reload, and closing never ends the host.
    void SetMode(bool IsPreview);
    // The reload cycle: closes this window and opens a new one from gStr_SettingFile.
    void Lbl_Reload_Click();
    void Sub_ShowMessage(const QString &text);

    // Colour text "RRGGBB" to red + 256 * green + 65536 * blue.
    static qint32 FncLng_ToColour(const QString &text);
    static qint32 ToValue(const QString &text);
    static QColor FncColor_FromValue(qint32 value);

    // Window position on a screen of size screenTwips for a window of size windowTwips,
    // both in twips: word is Valign (or Align), offset PositioningTop (or Left).
    static qint64 FncLng_WindowPosition(qint64 screenTwips, qint64 windowTwips, const QString &word,
                                        qint64 offset, const QString &farWord);

    // Layout as built, in twips: a control's geometry relative to its parent (an item's
    // relative to the window), the client area, and the outer window height that
    // positioning uses.
    static QRect TwipsGeometry(const QObject *control);
    QSize ClientTwips() const { return m_clientTwips; }
    QSize OuterTwips() const;
    int CurrentFrameIndex() const { return mCurrentFrame; }
    bool EditorStarted() const { return mEditorStarted; }
    qint64 EditorProcessId() const { return mEditorProcessId; }
    // Runs items for clicks and for requests from outside (Quorvel --run).
    ItemRunController *Runner() const { return m_runner; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct ItemMetrics
    {
        int left = 150;
        int marginTop = 270;
        int itemHeight = 225;
        int itemWidth = 2445;
    };
    struct FrameMetrics
    {
        int left = 0;
        int firstTop = 0;
        int initialHeight = 270;
        int width = 2745;
    };
    struct ItemCursor
    {
        int columns = 1;
        int counter = -1;
        QList<int> columnLeft;
        QList<int> columnWidth;
        int row = -1;
        int topBase = 0;
        int leftBase = 150;
        int top = 0;
        int left = 0;
        int height = 225;
        int width = 2445;
        int itemNumber = 0;
        QString caption;
        QString fontName;
        int fontSize = 9;
    };

    void Sub_CreateControls();
    void Sub_InitializeWindow();
    void Sub_PlaceFileSelector();
    void Chk_Most_Click(bool checked);
    void Cbo_SettingFiles_Click(int index);

    void Sub_ApplyItemWidth();
    bool FncBln_BuildFrames();
    void Sub_PlaceFrame(int area, int frame, const QString &title, const QString &font);
    bool FncBln_BuildItems(int frame, const SettingFrame &values);
    void Sub_PlaceItem(const ItemCursor &cursor, int frame, const QFont &font);
    void Sub_CloseFrame(int area, const ItemCursor &cursor);
    void Sub_FinishLayout(int lastArea);
    void Sub_PositionWindow();
    void Sub_ApplyColours();
    void Sub_ApplyIcon();

    void Txt_Button_Click(int buttonIndex);
    void Sub_ReportResult(const QString &itemName, const QString &output, bool append, bool isCopy);
    bool FncBln_OpenByShell(const QString &path);
    void Lbl_ButtonEdit_Click();
    void Sub_StartEditor(const QString &editorPath);
    void Sub_EndEditor();
    bool FncBln_EditorRuns() const;
    void Sub_Unload();
    // Only the item lit last changes: with thousands of items a pointer move must not
    // repaint them all.
    void Sub_ResetHighlight();
    void Sub_HoverEffect(QWidget *control);
    void Sub_HoverEffect(Cls_ItemButton *item);
    static void Sub_PressEffect(QWidget *control);
    static void Sub_PressEffect(Cls_ItemButton *item);
    static void Sub_ReleaseEffect(QWidget *control, qreal pointSize);
    static void Sub_ReleaseEffect(Cls_ItemButton *item, qreal pointSize);
    void Sub_ApplyShiftState(Qt::KeyboardModifiers modifiers);
    bool FncBln_FrameAreaEvent(Cls_FrameArea *area, QEvent *event);

    // The one place where twips become pixels.
    void Sub_SetTwipsGeometry(QWidget *control, const QRect &twips) const;
    int FncLng_TwipsToPixels(qint64 twips, bool horizontal) const;
    int FncLng_Dpi(bool horizontal) const;
    qint64 FncLng_PixelsToTwips(int pixels, bool horizontal) const;
    void Sub_ApplyClientSize();

    QComboBox *Cbo_SettingFiles = nullptr;
    QList<Cls_FrameArea *> Fra_Items;
    QList<Cls_ItemButton *> Txt_Button;
    // Owns the items. Qt walks a widget's children to find the one under the pointer and
    // the siblings above a repainted one: thousands of items among them would be walked
    // on every pointer move.
    QObject *m_itemOwner = nullptr;
    QFrame *Fra_Bottom = nullptr;
    Cls_MessageLabel *Lbl_Msg = nullptr;
    QLabel *Lbl_ButtonEdit = nullptr;
    QLabel *Lbl_Reload = nullptr;
    QCheckBox *Chk_Most = nullptr;
    QCheckBox *Chk_More = nullptr;
    QPushButton *Cmd_Dummy = nullptr;
    ItemRunController *m_runner = nullptr; // child of this

    int mCurrentFrame = 0;
    int m_itemFontSize = 9;
    int m_labelFontSize = 5;
    QColor m_baseColour;
    QColor m_labelColour;
    QColor m_backColour;
    QColor m_foreColour;
    int m_itemCount = 0;
    bool mReloading = false;
    bool mIsPreview = false;
    bool mEditorStarted = false;
    qint64 mEditorProcessId = 0;
    qint64 m_editorProcessHandle = 0;
    QString m_editorIdentity;
    QString m_editorPath;
    bool m_unloaded = false;
    bool m_suppressClick = false;
    Cls_ItemButton *m_litItem = nullptr;
    QWidget *m_litLabel = nullptr;
    Cls_ItemButton *m_pressedItem = nullptr;

    ItemMetrics m_itemMetrics;
    FrameMetrics m_frameMetrics;
    QSize m_clientTwips{2760, 1980};
    mutable int m_dpiX = 0; // the screen's logical dots per inch, as the window was built
    mutable int m_dpiY = 0;
};
