#include "setting_model.h"

#include "file_system.h"
#include "program_state.h"
#include "setting_values.h"
#include "text_file.h"
#include "text_transformation.h"

#include <QFileInfo>

#include <stdexcept>

namespace {

int positiveRule(const QString &text, int defaultValue)
{
    const int value = Cls_XML::ToInteger(text).value_or(0);
    return value > 0 ? value : defaultValue;
}

int integerRule(const QString &text)
{
    return Cls_XML::ToInteger(text).value_or(0);
}

bool flagRule(const QString &text)
{
    return text.toLower() == QStringLiteral("true");
}

std::function<QDate()> &dateSource()
{
    static std::function<QDate()> source;
    return source;
}

QDate today()
{
    const auto &source = dateSource();
    return source ? source() : QDate::currentDate();
}

QString formatDate(const QDate &date, QChar separator)
{
    return QStringLiteral("%1%2%3%4%5")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(separator)
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(separator)
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

} // namespace

Cls_MySettingFile::Cls_MySettingFile()
    : m_extra(std::make_unique<Cls_RegExpExtraString>())
    , m_defaultFont(QStringLiteral("ＭＳ ゴシック"))
{
}

Cls_MySettingFile::~Cls_MySettingFile() = default;

void Cls_MySettingFile::SetCurrentFrame(const QString &vData)
{
    m_childCounter = 0;
    m_dataSet.SetFileItem(vData, QString());
}

void Cls_MySettingFile::SetFileItem(const QString &vData)
{
    m_prepared = true;
    m_tmp.SetFileItem(vData, QString());
}

void Cls_MySettingFile::AddDataSetFrame(const QString &vData)
{
    ++m_childCounter;
    m_dataSet.AddItem_bln(SettingFormat::frameKey(m_childCounter), vData);
}

void Cls_MySettingFile::AddDataSetItem(const QString &vData)
{
    // Shares the counter with AddDataSetFrame.
    ++m_childCounter;
    m_dataSet.AddItem_bln(SettingFormat::itemKey(m_childCounter), vData);
}

void Cls_MySettingFile::CurrentFrame(int index)
{
    // Checked before anything changes, so a bad index leaves the current frame as it was.
    if (index < 0 || index >= m_frameTexts.size())
        throw std::out_of_range("Cls_MySettingFile::CurrentFrame: no frame at index " +
                                std::to_string(index));
    m_currentFrame = index;
    m_dataSet.SetFileItem(m_frameTexts.at(index), QString());
}

int Cls_MySettingFile::CurrentFrame() const
{
    return m_currentFrame;
}

QString Cls_MySettingFile::CurrentFrameData() const
{
    if (m_currentFrame < 0 || m_currentFrame >= m_frameTexts.size())
        throw std::out_of_range("Cls_MySettingFile::CurrentFrameData: no current frame");
    return m_frameTexts.at(m_currentFrame);
}

QString Cls_MySettingFile::FrameData(int index) const
{
    if (index < 0 || index >= m_frameTexts.size())
        throw std::out_of_range("Cls_MySettingFile::FrameData: no frame at index " +
                                std::to_string(index));
    return m_frameTexts.at(index);
}

QString Cls_MySettingFile::CurrentItemData() const
{
    return m_tmp.GetFileItemAll();
}

int Cls_MySettingFile::GetCount() const
{
    return m_frameCount;
}

Cls_XML &Cls_MySettingFile::Color()
{
    return m_color;
}

Cls_XML &Cls_MySettingFile::DataSet()
{
    return m_dataSet;
}

Cls_XML &Cls_MySettingFile::Tmp()
{
    return m_tmp;
}

Cls_XML &Cls_MySettingFile::Common()
{
    return m_common;
}

QString Cls_MySettingFile::GetTitle() const
{
    return m_common.Gets(SettingFormat::Title);
}

void Cls_MySettingFile::SetTitle(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::Title, value);
}

QString Cls_MySettingFile::GetFrameTitle() const
{
    return m_dataSet.Gets(SettingFormat::Title);
}

void Cls_MySettingFile::SetFrameTitle(const QString &value)
{
    m_dataSet.SetItem_bln(SettingFormat::Title, value);
}

QString Cls_MySettingFile::GetLink() const
{
    // Unlike the other item keys, readable whether or not an item was prepared.
    return m_tmp.Gets(SettingFormat::Link);
}

void Cls_MySettingFile::SetLink(const QString &value)
{
    m_tmp.SetItem_bln(SettingFormat::Link, value);
}

QString Cls_MySettingFile::GetFont() const
{
    return m_dataSet.GetFileItemDefault_str(SettingFormat::Font, m_defaultFont);
}

void Cls_MySettingFile::SetFont(const QString &value)
{
    m_dataSet.SetItem_bln(SettingFormat::Font, value);
}

QString Cls_MySettingFile::GetItemFont() const
{
    return m_dataSet.GetFileItemDefault_str(SettingFormat::ItemFont, m_defaultFont);
}

void Cls_MySettingFile::SetItemFont(const QString &value)
{
    m_dataSet.SetItem_bln(SettingFormat::ItemFont, value);
}

int Cls_MySettingFile::GetLineCount() const
{
    return positiveRule(m_dataSet.Gets(SettingFormat::LineCount), 1);
}

void Cls_MySettingFile::SetLineCount(const QString &value)
{
    m_dataSet.SetItem_bln(SettingFormat::LineCount, value);
}

QString Cls_MySettingFile::GetLastSetting() const
{
    return m_dataSet.Gets(SettingFormat::LastSetting);
}

void Cls_MySettingFile::SetLastSetting(const QString &value)
{
    m_dataSet.SetItem_bln(SettingFormat::LastSetting, value);
}

QString Cls_MySettingFile::GetVersion() const
{
    return m_common.Gets(SettingFormat::Version);
}

void Cls_MySettingFile::SetVersion(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::Version, value);
}

QString Cls_MySettingFile::GetTopMost() const
{
    return m_common.Gets(SettingFormat::TopMost);
}

void Cls_MySettingFile::SetTopMost(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::TopMost, value);
}

int Cls_MySettingFile::GetFontSize() const
{
    return positiveRule(m_common.Gets(SettingFormat::FontSize), 9);
}

void Cls_MySettingFile::SetFontSize(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::FontSize, value);
}

int Cls_MySettingFile::GetItemHeight() const
{
    return positiveRule(m_common.Gets(SettingFormat::ItemHeight), 225);
}

void Cls_MySettingFile::SetItemHeight(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::ItemHeight, value);
}

int Cls_MySettingFile::GetItemWidth() const
{
    return positiveRule(m_common.Gets(SettingFormat::ItemWidth), 2445);
}

void Cls_MySettingFile::SetItemWidth(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::ItemWidth, value);
}

int Cls_MySettingFile::GetMarginTop() const
{
    return positiveRule(m_common.Gets(SettingFormat::MarginTop), 270);
}

void Cls_MySettingFile::SetMarginTop(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::MarginTop, value);
}

int Cls_MySettingFile::GetMarginBottom() const
{
    return positiveRule(m_common.Gets(SettingFormat::MarginBottom), 70);
}

void Cls_MySettingFile::SetMarginBottom(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::MarginBottom, value);
}

QString Cls_MySettingFile::GetAlign() const
{
    return m_common.Gets(SettingFormat::Align);
}

void Cls_MySettingFile::SetAlign(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::Align, value);
}

QString Cls_MySettingFile::GetValign() const
{
    return m_common.Gets(SettingFormat::Valign);
}

void Cls_MySettingFile::SetValign(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::Valign, value);
}

int Cls_MySettingFile::GetPositioningTop() const
{
    return integerRule(m_common.Gets(SettingFormat::PositioningTop));
}

void Cls_MySettingFile::SetPositioningTop(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::PositioningTop, value);
}

int Cls_MySettingFile::GetPositioningLeft() const
{
    return integerRule(m_common.Gets(SettingFormat::PositioningLeft));
}

void Cls_MySettingFile::SetPositioningLeft(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::PositioningLeft, value);
}

QString Cls_MySettingFile::GetPictureName() const
{
    return m_common.Gets(SettingFormat::PictureName);
}

void Cls_MySettingFile::SetPictureName(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::PictureName, value);
}

QString Cls_MySettingFile::GetModeSelecter() const
{
    return m_common.Gets(SettingFormat::ModeSelecter);
}

void Cls_MySettingFile::SetModeSelecter(const QString &value)
{
    m_common.SetItem_bln(SettingFormat::ModeSelecter, value);
}

bool Cls_MySettingFile::IsPrepare() const
{
    return m_prepared;
}

bool Cls_MySettingFile::isReg() const
{
    return !GetReg().isEmpty();
}

bool Cls_MySettingFile::isData() const
{
    return !GetData().isEmpty();
}

bool Cls_MySettingFile::isLink() const
{
    return !GetLink().isEmpty();
}

QString Cls_MySettingFile::GetName() const
{
    return m_prepared ? m_tmp.Gets(SettingFormat::Name) : QString();
}

void Cls_MySettingFile::SetName(const QString &value)
{
    if (m_prepared)
        m_tmp.SetItem_bln(SettingFormat::Name, value);
}

QString Cls_MySettingFile::GetReg() const
{
    return m_prepared ? m_tmp.Gets(SettingFormat::Reg) : QString();
}

void Cls_MySettingFile::SetReg(const QString &value)
{
    if (m_prepared)
        m_tmp.SetItem_bln(SettingFormat::Reg, value);
}

QString Cls_MySettingFile::GetReplaceString() const
{
    return m_prepared ? m_tmp.Gets(SettingFormat::Replace) : QString();
}

void Cls_MySettingFile::SetReplaceString(const QString &value)
{
    if (m_prepared)
        m_tmp.SetItem_bln(SettingFormat::Replace, value);
}

QString Cls_MySettingFile::GetData() const
{
    return m_prepared ? m_tmp.Gets(SettingFormat::Data) : QString();
}

void Cls_MySettingFile::SetData(const QString &value)
{
    if (m_prepared)
        m_tmp.SetItem_bln(SettingFormat::Data, value);
}

bool Cls_MySettingFile::isCopy() const
{
    return m_copyFlag;
}

bool Cls_MySettingFile::isEdit() const
{
    return m_editFlag;
}

bool Cls_MySettingFile::IsShowVersion() const
{
    return flagRule(GetVersion());
}

bool Cls_MySettingFile::IsTopMost() const
{
    return flagRule(GetTopMost());
}

bool Cls_MySettingFile::IsModeSelecter() const
{
    return flagRule(GetModeSelecter());
}

void Cls_MySettingFile::Path(const QString &value)
{
    m_path = value;
}

QString Cls_MySettingFile::Path() const
{
    return m_path;
}

void Cls_MySettingFile::Name(const QString &value)
{
    m_name = value;
}

QString Cls_MySettingFile::Name() const
{
    return m_name;
}

void Cls_MySettingFile::MsgDisplayFlg_Prop(bool value)
{
    m_msgDisplay = value;
}

bool Cls_MySettingFile::MsgDisplayFlg_Prop() const
{
    return m_msgDisplay;
}

bool Cls_MySettingFile::SaveFileAllItems()
{
    m_lastError = VbError{};
    m_unencodable = Cp932Unencodable{};
    Cls_XML document;
    document.SaveFilePath_Prop(m_path);
    document.IndentLevel_Prop(0);
    document.TopTagName_Prop(SettingFormat::SavedRoot);
    document.AddItem_bln(SettingFormat::ColorSetting, m_color.GetItemAll_str(QString()));
    document.AddItem_bln(SettingFormat::CommonSetting, m_common.GetItemAll_str(QString()));
    document.AddItem_bln(SettingFormat::DataSetting, m_dataSet.GetItemAll_str(QString()));
    if (document.SaveFile_bln(m_name))
        return true;
    m_unencodable = document.LastUnencodable();
    if (document.LastError().isSet()) {
        VbError error = document.LastError();
        error.source = QStringLiteral("Cls_MySettingFile.SaveFileAllItems");
        reportError(error);
    }
    return false;
}

bool Cls_MySettingFile::SaveFile(const QString &strA_FileData)
{
    m_lastError = VbError{};
    m_unencodable = Cp932Unencodable{};
    const QString fullPath = TextFile::joinPath(m_path, m_name);
    if (fullPath.isEmpty()) {
        if (m_msgDisplay)
            FncInt_MessageBox(MsgBox::Exclamation, QStringLiteral("ファイル名が設定されてません。"),
                              QStringLiteral("設定ミス"));
        return false;
    }
    VbError error;
    if (!TextFile::write(fullPath, strA_FileData, &error, &m_unencodable)) {
        error.source = QStringLiteral("Cls_MySettingFile.SaveFile");
        reportError(error);
        return false;
    }
    return true;
}

bool Cls_MySettingFile::LoadFile()
{
    m_lastError = VbError{};
    Cls_XML document;
    document.SaveFilePath_Prop(m_path);
    const bool read = document.OnlyReadFile_bln(m_name);
    if (m_fillDatesOnLoad)
        document.FileData(FncStr_FillDatePlaceholders(document.FileData()));
    if (!read) {
        // A missing file is the ordinary first start: recorded, never shown.
        m_lastError = document.LastError();
        return false;
    }

    const QString text = document.FileData();
    m_color.SetFileItem(text, SettingFormat::ColorSetting);
    m_common.SetFileItem(text, SettingFormat::CommonSetting);
    const QString commonFont = m_common.Gets(SettingFormat::Font);
    if (!commonFont.isEmpty())
        m_defaultFont = commonFont;
    // The frames are read from the file's text itself: the section is not copied first.
    SettingFormat::forEachFrame(Cls_XML::TagContent(text, SettingFormat::DataSetting),
                                [this](int number, const QString &frameText) {
                                    m_frameNumbers.append(QString::number(number));
                                    m_frameTexts.append(frameText);
                                    ++m_frameCount;
                                });
    return true;
}

QString Cls_MySettingFile::FncStr_FillDatePlaceholders(const QString &text)
{
    // Each form reads the date on its own, as the two replacements are separate steps.
    QString result = text;
    if (Cls_XML::IndexOf(text, u'@') < 0)
        return result;
    const QDate slashDate = today();
    if (slashDate.isValid())
        result.replace(QStringLiteral("@@@@/@@/@@"), formatDate(slashDate, u'/'));
    const QDate dotDate = today();
    if (dotDate.isValid())
        result.replace(QStringLiteral("@@@@.@@.@@"), formatDate(dotDate, u'.'));
    return result;
}

void Cls_MySettingFile::SetDateSource(std::function<QDate()> source)
{
    dateSource() = std::move(source);
}

void Cls_MySettingFile::reportError(const VbError &error)
{
    m_lastError = error;
    if (m_msgDisplay)
        Sub_ShowError(error);
}

void OpenSettingFile(bool fillDates)
{
    auto model = std::make_shared<Cls_MySettingFile>();
    gObj_Setting = model;
    model->Path(gStr_SettingFolder);
    model->Name(gStr_SettingFile);
    model->FillDatesOnLoad(fillDates);
    if (model->LoadFile())
        return;
    // Only a file that is not there is replaced by the default one: a file that exists but
    // could not be read (locked, no permission) still holds the user's settings.
    if (QFileInfo::exists(TextFile::joinPath(gStr_SettingFolder, gStr_SettingFile)))
        return;
    if (model->SaveFile(DefaultSettingFileText()))
        model->LoadFile();
}

QStringList SettingFileNames(const QString &folder, VbError *error)
{
    const QString extension = QStringLiteral(".xml");
    const Cls_FileSystem fileSystem;
    QStringList names;
    for (const QString &name :
         fileSystem.GetCol_EnumFileList(TextFile::joinPath(folder, QStringLiteral("*")))) {
        if (name.endsWith(extension, Qt::CaseSensitive))
            names.append(name.chopped(extension.size()));
    }
    if (error && fileSystem.GetLng_ErrorNo() != 0)
        *error = VbError{fileSystem.GetLng_ErrorNo(), fileSystem.GetStr_ErrorDetail(), {}};
    return names;
}
