// Cls_MySettingFile: the typed model of one setting file, plus the routine that opens
// a setting file (load, or write the default file and load again).
#pragma once

#include "ecma_regexp.h"
#include "tag_document.h"

#include <QDate>
#include <QStringList>
#include <functional>
#include <memory>

class Cls_RegExpExtraString;

class Cls_MySettingFile final
{
public:
    Cls_MySettingFile();
    ~Cls_MySettingFile();
    Cls_MySettingFile(const Cls_MySettingFile &) = delete;
    Cls_MySettingFile &operator=(const Cls_MySettingFile &) = delete;

    void SetCurrentFrame(const QString &vData);
    void SetFileItem(const QString &vData);
    void AddDataSetFrame(const QString &vData);
    void AddDataSetItem(const QString &vData);
    // Throws std::out_of_range for an index outside the loaded frames.
    void CurrentFrame(int index);
    int CurrentFrame() const;
    QString CurrentFrameData() const;
    // The text of the frame at index (from 0), without making it the current frame.
    QString FrameData(int index) const;
    QString CurrentItemData() const;
    int GetCount() const;
    Cls_XML &Color();
    Cls_XML &DataSet();
    Cls_XML &Tmp();
    Cls_XML &Common();

    QString GetTitle() const;
    void SetTitle(const QString &value);
    QString GetFrameTitle() const;
    void SetFrameTitle(const QString &value);
    QString GetLink() const;
    void SetLink(const QString &value);
    QString GetFont() const;
    void SetFont(const QString &value);
    QString GetItemFont() const;
    // What GetFont and GetItemFont give for a frame that names no font.
    QString DefaultFont() const { return m_defaultFont; }
    void SetItemFont(const QString &value);
    int GetLineCount() const;
    void SetLineCount(const QString &value);
    QString GetLastSetting() const;
    void SetLastSetting(const QString &value);
    QString GetVersion() const;
    void SetVersion(const QString &value);
    QString GetTopMost() const;
    void SetTopMost(const QString &value);
    int GetFontSize() const;
    void SetFontSize(const QString &value);
    int GetItemHeight() const;
    void SetItemHeight(const QString &value);
    int GetItemWidth() const;
    void SetItemWidth(const QString &value);
    int GetMarginTop() const;
    void SetMarginTop(const QString &value);
    int GetMarginBottom() const;
    void SetMarginBottom(const QString &value);
    QString GetAlign() const;
    void SetAlign(const QString &value);
    QString GetValign() const;
    void SetValign(const QString &value);
    int GetPositioningTop() const;
    void SetPositioningTop(const QString &value);
    int GetPositioningLeft() const;
    void SetPositioningLeft(const QString &value);
    QString GetPictureName() const;
    void SetPictureName(const QString &value);
    QString GetModeSelecter() const;
    void SetModeSelecter(const QString &value);
    bool IsPrepare() const;
    bool isReg() const;
    bool isData() const;
    bool isLink() const;
    QString GetName() const;
    void SetName(const QString &value);
    QString GetReg() const;
    void SetReg(const QString &value);
    QString GetReplaceString() const;
    void SetReplaceString(const QString &value);
    QString GetData() const;
    void SetData(const QString &value);
    bool isCopy() const;
    bool isEdit() const;
    bool IsShowVersion() const;
    bool IsTopMost() const;
    bool IsModeSelecter() const;
    void Path(const QString &value);
    QString Path() const;
    void Name(const QString &value);
    QString Name() const;
    void MsgDisplayFlg_Prop(bool value);
    bool MsgDisplayFlg_Prop() const;
    bool SaveFileAllItems();
    bool SaveFile(const QString &strA_FileData);
    bool LoadFile();

    // Item selection and output (the transformation engine).
    QString DataGet(int lngA_Index, const QString &strA_Data);
    bool SetDataPrepare(int lngIndex);
    QString RegExpExecute(int lngA_Index, const QString &strA_Data, bool isPrepared);

    // Beyond the classic interface ------------------------------------------------

    // The kind label of the last DataGet: "編集", "コピー" or "リンク".
    QString ModeLabel() const { return m_modeLabel; }
    bool isLinkItem() const { return m_linkFlag; }
    // The pattern error of the last RegExpExecute (empty when it ran or matched nothing).
    RegExpError LastPatternError() const { return m_lastPatternError; }
    // The editor loads without filling the date placeholders so that it saves them intact.
    void FillDatesOnLoad(bool on) { m_fillDatesOnLoad = on; }
    // Detail of the last failed load or save.
    VbError LastError() const { return m_lastError; }
    Cp932Unencodable LastUnencodable() const { return m_unencodable; }
    // The loaded frames' numbers ("1", "3", ...) in load order.
    QStringList FrameNumbers() const { return m_frameNumbers; }

    // "@@@@/@@/@@" and "@@@@.@@.@@" become today's date.
    static QString FncStr_FillDatePlaceholders(const QString &text);
    // Tests pin "today"; an empty function restores the system date.
    static void SetDateSource(std::function<QDate()> source);

private:
    void reportError(const VbError &error);

    std::unique_ptr<Cls_RegExpExtraString> m_extra;
    bool m_msgDisplay = false;
    QString m_path;
    QString m_name;
    Cls_XML m_color;
    Cls_XML m_dataSet;
    Cls_XML m_common;
    Cls_XML m_tmp;
    bool m_prepared = false;
    QStringList m_frameNumbers;
    QStringList m_frameTexts;
    int m_frameCount = 0;
    int m_currentFrame = -1;
    QString m_defaultFont;
    QString m_modeLabel;
    bool m_copyFlag = false;
    bool m_editFlag = false;
    bool m_linkFlag = false;
    int m_childCounter = 0;
    bool m_fillDatesOnLoad = true;
    RegExpError m_lastPatternError;
    VbError m_lastError;
    Cp932Unencodable m_unencodable;
};

// The default setting file text (119 lines, CR LF).
QString DefaultSettingFileText();

// Opens gStr_SettingFile in gStr_SettingFolder into a new gObj_Setting: load, or write
// the default file and load again. The model may end up with only defaults.
void OpenSettingFile(bool fillDates = true);

// The setting names in a folder: file names ending in ".xml" (case-sensitive) without it,
// in listing order. A listing error is reported through error when given.
QStringList SettingFileNames(const QString &folder, VbError *error = nullptr);
