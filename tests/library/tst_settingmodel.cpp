#include "FileFaults.h"
#include "MessageBoxRecorder.h"
#include "TestFiles.h"
#include "program_state.h"
#include "setting_model.h"
#include "text_file.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>
#include <stdexcept>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString MsGothic = u"ＭＳ ゴシック"_s;

bool writeText(const QString &path, const QString &text)
{
    const std::optional<QByteArray> bytes = Cp932Codec::encode(text);
    QFile file(path);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size();
}

QString setting(const QString &common, const QString &data)
{
    return QStringLiteral("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<Root>\r\n"
                          "<CommonSetting>%1</CommonSetting>\r\n<DataSetting>%2</DataSetting>\r\n"
                          "</Root>\r\n")
        .arg(common, data);
}

int itemCount(Cls_MySettingFile &model)
{
    int count = 0;
    while (count < 100 && !model.DataSet().Gets(u"Item%1"_s.arg(count + 1)).isEmpty())
        ++count;
    return count;
}

} // namespace

class tst_SettingModel final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void framesFoundByNumber_data();
    void framesFoundByNumber();
    void currentFrameOutOfRange();
    void lineCount_data();
    void lineCount();
    void commonNumbers_data();
    void commonNumbers();
    void flags_data();
    void flags();
    void fontFallback();
    void itemKeysNeedAPreparedItem();
    void childCounterIsShared();
    void lastSettingGoesToTheFrameDocument();

    void fillDatePlaceholders_data();
    void fillDatePlaceholders();
    void loadFillsDatesUnlessTurnedOff();
    void readFailureLeavesModelEmpty();

    void saveFileJoinsPath();
    void saveFileWithoutName();
    void saveFileRefusesUnencodableText();
    void saveAllItemsOfFreshModel();
    void saveAllItemsReloadsTheSame();

    void defaultFileBytes();
    void openWritesDefaultIntoEmptyFolder();
    void openKeepsExistingFile();
    void openNeverReplacesUnreadableFile_data();
    void openNeverReplacesUnreadableFile();
    void readErrorPartWayLeavesFileUnread();

private:
    std::unique_ptr<Cls_MySettingFile> load(const QString &text);
    const QList<RecordedBox> &boxes() const { return m_recorder->boxes(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<MessageBoxRecorder> m_recorder;
};

void tst_SettingModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_recorder.emplace();
    Cls_MySettingFile::SetDateSource([] { return QDate(2007, 1, 20); });
}

void tst_SettingModel::cleanup()
{
    Cls_MySettingFile::SetDateSource({});
    m_recorder.reset();
    gObj_Setting.reset();
    gStr_SettingFolder.clear();
    gStr_SettingFile.clear();
    m_dir.reset();
}

std::unique_ptr<Cls_MySettingFile> tst_SettingModel::load(const QString &text)
{
    if (!writeText(m_dir->filePath(u"s.xml"_s), text))
        return nullptr;
    auto model = std::make_unique<Cls_MySettingFile>();
    model->Path(m_dir->path());
    model->Name(u"s.xml"_s);
    if (!model->LoadFile())
        return nullptr;
    return model;
}

void tst_SettingModel::framesFoundByNumber_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("gaps") << u"<Frame2><Title>b</Title></Frame2><Frame7><Title>g</Title></Frame7>"_s
                          << QStringList{"2", "7"} << QStringList{"b", "g"};
    QTest::newRow("number order, not text order")
        << u"<Frame3><Title>c</Title></Frame3><Frame1><Title>a</Title></Frame1>"_s
        << QStringList{"1", "3"} << QStringList{"a", "c"};
    QTest::newRow("Frame99 read, Frame100 ignored")
        << u"<Frame100><Title>x</Title></Frame100><Frame99><Title>y</Title></Frame99>"_s
        << QStringList{"99"} << QStringList{"y"};
    QTest::newRow("empty frame skipped")
        << u"<Frame1></Frame1><Frame2> </Frame2>"_s << QStringList{"2"} << QStringList{""};
    QTest::newRow("commented-out frame skipped")
        << u"<!--<Frame1><Title>old</Title></Frame1>--><Frame2><Title>new</Title></Frame2>"_s
        << QStringList{"2"} << QStringList{"new"};
    QTest::newRow("no frames") << QString() << QStringList{} << QStringList{};
}

void tst_SettingModel::framesFoundByNumber()
{
    QFETCH(QString, data);
    QFETCH(QStringList, numbers);
    QFETCH(QStringList, titles);
    const auto model = load(setting(QString(), data));
    QVERIFY(model);
    QCOMPARE(model->GetCount(), numbers.size());
    QCOMPARE(model->FrameNumbers(), numbers);
    for (int i = 0; i < titles.size(); ++i) {
        model->CurrentFrame(i);
        QCOMPARE(model->CurrentFrame(), i);
        QCOMPARE(model->GetFrameTitle(), titles[i]);
    }
}

void tst_SettingModel::currentFrameOutOfRange()
{
    const auto model =
        load(setting(QString(), QStringLiteral("<Frame1><Title>a</Title></Frame1>"
                                               "<Frame2><Title>b</Title></Frame2>")));
    QVERIFY(model);
    QCOMPARE(model->CurrentFrame(), -1);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, model->CurrentFrameData());

    model->CurrentFrame(1);
    QCOMPARE(model->CurrentFrameData(), u"<Title>b</Title>"_s);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, model->CurrentFrame(2));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, model->CurrentFrame(-1));
    // A refused index leaves the selection as it was.
    QCOMPARE(model->CurrentFrame(), 1);
    QCOMPARE(model->GetFrameTitle(), u"b"_s);
}

void tst_SettingModel::lineCount_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<int>("expected");

    QTest::newRow("missing") << u"<Title>t</Title>"_s << 1;
    QTest::newRow("empty") << u"<LineCount></LineCount>"_s << 1;
    QTest::newRow("0") << u"<LineCount>0</LineCount>"_s << 1;
    QTest::newRow("-2") << u"<LineCount>-2</LineCount>"_s << 1;
    QTest::newRow("letters") << u"<LineCount>two</LineCount>"_s << 1;
    QTest::newRow("3") << u"<LineCount>3</LineCount>"_s << 3;
    QTest::newRow("blanks") << u"<LineCount> 4 </LineCount>"_s << 4;
}

void tst_SettingModel::lineCount()
{
    QFETCH(QString, frame);
    QFETCH(int, expected);
    const auto model = load(setting(QString(), u"<Frame1>%1</Frame1>"_s.arg(frame)));
    QVERIFY(model);
    model->CurrentFrame(0);
    QCOMPARE(model->GetLineCount(), expected);
}

void tst_SettingModel::commonNumbers_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("FontSize unset") << u"FontSize"_s << QString() << 9;
    QTest::newRow("FontSize 0") << u"FontSize"_s << u"0"_s << 9;
    QTest::newRow("FontSize -3") << u"FontSize"_s << u"-3"_s << 9;
    QTest::newRow("FontSize letters") << u"FontSize"_s << u"big"_s << 9;
    QTest::newRow("FontSize 12") << u"FontSize"_s << u" 12 "_s << 12;
    QTest::newRow("ItemHeight unset") << u"ItemHeight"_s << QString() << 225;
    QTest::newRow("ItemHeight 300") << u"ItemHeight"_s << u"300"_s << 300;
    QTest::newRow("ItemWidth unset") << u"ItemWidth"_s << u"x"_s << 2445;
    QTest::newRow("ItemWidth 1000") << u"ItemWidth"_s << u"1000"_s << 1000;
    QTest::newRow("MarginTop unset") << u"MarginTop"_s << u"-1"_s << 270;
    QTest::newRow("MarginTop 1") << u"MarginTop"_s << u"1"_s << 1;
    QTest::newRow("MarginBottom unset") << u"MarginBottom"_s << QString() << 70;
    QTest::newRow("MarginBottom 5") << u"MarginBottom"_s << u"5"_s << 5;
    QTest::newRow("PositioningTop -900") << u"PositioningTop"_s << u"-900"_s << -900;
    QTest::newRow("PositioningTop letters") << u"PositioningTop"_s << u"up"_s << 0;
    QTest::newRow("PositioningLeft -100") << u"PositioningLeft"_s << u"-100"_s << -100;
    QTest::newRow("PositioningLeft empty") << u"PositioningLeft"_s << QString() << 0;
    QTest::newRow("PositioningLeft letters") << u"PositioningLeft"_s << u"abc"_s << 0;
}

void tst_SettingModel::commonNumbers()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, expected);
    const auto model = load(setting(u"<%1>%2</%1>"_s.arg(key, value), QString()));
    QVERIFY(model);
    const QHash<QString, std::function<int()>> getters{
        {"FontSize", [&] { return model->GetFontSize(); }},
        {"ItemHeight", [&] { return model->GetItemHeight(); }},
        {"ItemWidth", [&] { return model->GetItemWidth(); }},
        {"MarginTop", [&] { return model->GetMarginTop(); }},
        {"MarginBottom", [&] { return model->GetMarginBottom(); }},
        {"PositioningTop", [&] { return model->GetPositioningTop(); }},
        {"PositioningLeft", [&] { return model->GetPositioningLeft(); }},
    };
    QCOMPARE(getters.value(key)(), expected);
}

void tst_SettingModel::flags_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");

    QTest::newRow("true") << u"true"_s << true;
    QTest::newRow("True") << u"True"_s << true;
    QTest::newRow("TRUE") << u"TRUE"_s << true;
    QTest::newRow("trailing blank") << u"True "_s << false;
    QTest::newRow("leading blank") << u" True"_s << false;
    QTest::newRow("1") << u"1"_s << false;
    QTest::newRow("False") << u"False"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void tst_SettingModel::flags()
{
    QFETCH(QString, value);
    QFETCH(bool, expected);
    const auto model = load(setting(QStringLiteral("<TopMost>%1</TopMost><Version>%1</Version>"
                                                   "<ModeSelecter>%1</ModeSelecter>")
                                        .arg(value),
                                    QString()));
    QVERIFY(model);
    QCOMPARE(model->GetTopMost(), value);
    QCOMPARE(model->IsTopMost(), expected);
    QCOMPARE(model->IsShowVersion(), expected);
    QCOMPARE(model->IsModeSelecter(), expected);
}

void tst_SettingModel::fontFallback()
{
    const QString frames =
        QStringLiteral("<Frame1><Title>a</Title></Frame1>"
                       "<Frame2><Font>Own</Font><ItemFont>Items</ItemFont></Frame2>");
    auto model = load(setting(QString(), frames));
    QVERIFY(model);
    model->CurrentFrame(0);
    QCOMPARE(model->GetFont(), MsGothic);
    QCOMPARE(model->GetItemFont(), MsGothic);
    model->CurrentFrame(1);
    QCOMPARE(model->GetFont(), u"Own"_s);
    QCOMPARE(model->GetItemFont(), u"Items"_s);

    model = load(setting(u"<Font>Common</Font>"_s, frames));
    QVERIFY(model);
    model->CurrentFrame(0);
    QCOMPARE(model->GetFont(), u"Common"_s);
    QCOMPARE(model->GetItemFont(), u"Common"_s);

    model = load(setting(u"<Font></Font>"_s, frames));
    QVERIFY(model);
    model->CurrentFrame(0);
    QCOMPARE(model->GetFont(), MsGothic);
}

void tst_SettingModel::itemKeysNeedAPreparedItem()
{
    Cls_MySettingFile model;
    model.Tmp().SetFileItem(u"<Name>n</Name><Link>l</Link>"_s, QString());
    QVERIFY(!model.IsPrepare());
    QCOMPARE(model.GetName(), QString());
    QCOMPARE(model.GetLink(), u"l"_s);
    QVERIFY(model.isLink());
    QVERIFY(!model.isReg());
    model.SetName(u"x"_s);
    QCOMPARE(model.Tmp().GetItemAll_str(QString()), QString());

    model.SetFileItem(u"<Name>n</Name><Reg> </Reg><!--c--><Data>d</Data>"_s);
    QVERIFY(model.IsPrepare());
    QCOMPARE(model.GetName(), u"n"_s);
    // A single blank is a pattern.
    QVERIFY(model.isReg());
    QVERIFY(model.isData());
    QVERIFY(!model.isLink());
    QCOMPARE(model.CurrentItemData(), u"<Name>n</Name><Reg> </Reg><Data>d</Data>"_s);
    model.SetName(u"x"_s);
    model.SetReg(u"r"_s);
    model.SetReplaceString(u"p"_s);
    model.SetData(u"d"_s);
    model.SetLink(u"k"_s);
    QCOMPARE(model.Tmp().GetItemAll_str(QString()),
             QStringLiteral("<Name>x</Name>\r\n<Reg>r</Reg>\r\n<Replace>p</Replace>\r\n"
                            "<Data>d</Data>\r\n<Link>k</Link>\r\n"));
}

void tst_SettingModel::childCounterIsShared()
{
    Cls_MySettingFile model;
    model.SetCurrentFrame(QString());
    model.AddDataSetFrame(u"a"_s);
    model.AddDataSetFrame(u"b"_s);
    model.AddDataSetItem(u"c"_s);
    QCOMPARE(model.DataSet().GetItemAll_str(QString()),
             u"<Frame1>a</Frame1>\r\n<Frame2>b</Frame2>\r\n<Item3>c</Item3>\r\n"_s);
    QVERIFY(boxes().isEmpty());

    // Without a reset the numbers run on; after one they collide and the document says so.
    model.SetCurrentFrame(QString());
    model.AddDataSetFrame(u"d"_s);
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].title, u"重複Key発見"_s);
    QCOMPARE(model.DataSet().GetItem_str(u"Frame1"_s), u"<Frame1>a</Frame1>"_s);
}

void tst_SettingModel::lastSettingGoesToTheFrameDocument()
{
    auto model = load(setting(QString(), QStringLiteral("<LastSetting>old</LastSetting>"
                                                        "<Frame1><Title>a</Title></Frame1>")));
    QVERIFY(model);
    QCOMPARE(model->GetLastSetting(), QString());
    model->SetCurrentFrame(u"<LastSetting>old</LastSetting>"_s);
    QCOMPARE(model->GetLastSetting(), u"old"_s);

    model->DataSet().InitItem_bln();
    model->AddDataSetFrame(u"<Title>a</Title>"_s);
    model->SetLastSetting(u"next"_s);
    QVERIFY(model->SaveFileAllItems());
    QVERIFY(fileBytes(m_dir->filePath(u"s.xml"_s))
                .contains("\t<DataSetting><Frame1><Title>a</Title></Frame1>\r\n"
                          "<LastSetting>next</LastSetting>\r\n</DataSetting>\r\n"));

    model->DataSet().InitItem_bln();
    QCOMPARE(model->DataSet().GetItemAll_str(QString()), QString());
}

void tst_SettingModel::fillDatePlaceholders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("slash") << u"@@@@/@@/@@"_s << u"2007/01/20"_s;
    QTest::newRow("dot") << u"@@@@.@@.@@"_s << u"2007.01.20"_s;
    QTest::newRow("every occurrence")
        << u"a@@@@/@@/@@b@@@@.@@.@@c@@@@/@@/@@"_s << u"a2007/01/20b2007.01.20c2007/01/20"_s;
    QTest::newRow("other separator untouched") << u"@@@@-@@-@@"_s << u"@@@@-@@-@@"_s;
    QTest::newRow("extra at sign stays") << u"@@@@@/@@/@@"_s << u"@2007/01/20"_s;
    QTest::newRow("clipboard marker untouched") << u"@@@@@@@@"_s << u"@@@@@@@@"_s;
    QTest::newRow("no placeholder") << u"<A>1</A>"_s << u"<A>1</A>"_s;
}

void tst_SettingModel::fillDatePlaceholders()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Cls_MySettingFile::FncStr_FillDatePlaceholders(text), expected);
}

void tst_SettingModel::loadFillsDatesUnlessTurnedOff()
{
    const QString text = setting(u"<Title>@@@@.@@.@@</Title>"_s,
                                 QStringLiteral("<Frame1><Item1><Data>@@@@/@@/@@</Data></Item1>"
                                                "</Frame1>"));
    auto model = load(text);
    QVERIFY(model);
    QCOMPARE(model->GetTitle(), u"2007.01.20"_s);
    model->CurrentFrame(0);
    model->SetFileItem(model->DataSet().Gets(u"Item1"_s));
    QCOMPARE(model->GetData(), u"2007/01/20"_s);

    Cls_MySettingFile editor;
    editor.Path(m_dir->path());
    editor.Name(u"s.xml"_s);
    editor.FillDatesOnLoad(false);
    QVERIFY(editor.LoadFile());
    QCOMPARE(editor.GetTitle(), u"@@@@.@@.@@"_s);

    Cls_MySettingFile::SetDateSource([] { return QDate(1999, 12, 31); });
    QCOMPARE(Cls_MySettingFile::FncStr_FillDatePlaceholders(u"@@@@/@@/@@"_s), u"1999/12/31"_s);
}

void tst_SettingModel::readFailureLeavesModelEmpty()
{
    Cls_MySettingFile model;
    model.Path(m_dir->path());
    model.Name(u"missing.xml"_s);
    model.MsgDisplayFlg_Prop(true);
    QVERIFY(!model.LoadFile());
    QCOMPARE(model.GetCount(), 0);
    QCOMPARE(model.GetFontSize(), 9);
    QCOMPARE(model.LastError().number, int(VbErrorNo::FileNotFound));
    // A missing file is the ordinary first start and never reported in a box.
    QVERIFY(boxes().isEmpty());
}

// The join itself is the tag document's (pathJoin there); here the model saves through it.
void tst_SettingModel::saveFileJoinsPath()
{
    Cls_MySettingFile model;
    model.Path(m_dir->path() + u"/"_s);
    model.Name(u"/s.xml"_s);
    QVERIFY(model.SaveFile(u"<A>あ</A>"_s));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"s.xml"_s});
    QCOMPARE(fileBytes(m_dir->filePath(u"s.xml"_s)), QByteArray("<A>\x82\xa0</A>"));
}

void tst_SettingModel::saveFileWithoutName()
{
    Cls_MySettingFile model;
    QVERIFY(!model.SaveFile(u"x"_s));
    QVERIFY(boxes().isEmpty());
    model.MsgDisplayFlg_Prop(true);
    QVERIFY(!model.SaveFile(u"x"_s));
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(boxes()[0].title, u"設定ミス"_s);
    QCOMPARE(boxes()[0].prompt, u"ファイル名が設定されてません。"_s);

    // A folder without a name is the folder itself: the write fails and, with the switch
    // on, the error box says so.
    model.Path(m_dir->path());
    QVERIFY(!model.SaveFile(u"x"_s));
    QCOMPARE(boxes().size(), 2);
    QCOMPARE(boxes()[1].title, u"VB Error"_s);
    QVERIFY(model.LastError().isSet());
}

void tst_SettingModel::saveFileRefusesUnencodableText()
{
    const QString path = m_dir->filePath(u"s.xml"_s);
    QVERIFY(writeText(path, u"<A>old</A>"_s));
    Cls_MySettingFile model;
    model.Path(m_dir->path());
    model.Name(u"s.xml"_s);
    QVERIFY(!model.SaveFile(u"<A>\u00A5100 \U0001F600</A>"_s));
    QCOMPARE(fileBytes(path), QByteArray("<A>old</A>"));
    QCOMPARE(model.LastUnencodable().position, qsizetype(3));
    QCOMPARE(uint(model.LastUnencodable().codePoint), 0xA5u);
    QVERIFY(boxes().isEmpty());

    // The same through the rebuilt file: a loaded damaged byte (U+FFFD) cannot go back.
    model.SetTitle(u"a\uFFFD"_s);
    QVERIFY(!model.SaveFileAllItems());
    QCOMPARE(uint(model.LastUnencodable().codePoint), 0xFFFDu);
    QCOMPARE(fileBytes(path), QByteArray("<A>old</A>"));
}

void tst_SettingModel::saveAllItemsOfFreshModel()
{
    auto model = load(DefaultSettingFileText());
    QVERIFY(model);
    QVERIFY(model->SaveFileAllItems());
    QCOMPARE(fileBytes(m_dir->filePath(u"s.xml"_s)),
             QByteArray("<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                        "\t<ColorSetting></ColorSetting>\r\n\t<CommonSetting></CommonSetting>\r\n"
                        "\t<DataSetting></DataSetting>\r\n\r\n</myItem>"));
}

void tst_SettingModel::saveAllItemsReloadsTheSame()
{
    const auto original = load(DefaultSettingFileText());
    QVERIFY(original);

    // Rebuild every value the way the settings editor does, into another file.
    Cls_MySettingFile rebuilt;
    rebuilt.Path(m_dir->path());
    rebuilt.Name(u"copy.xml"_s);
    for (const char *key : {"Base", "Title", "Label", "Back", "Fore"}) {
        rebuilt.Color().SetItem_bln(QString::fromLatin1(key),
                                    original->Color().Gets(QString::fromLatin1(key)));
    }
    rebuilt.SetTitle(original->GetTitle());
    rebuilt.SetVersion(original->GetVersion());
    rebuilt.SetTopMost(original->GetTopMost());
    rebuilt.SetPictureName(original->GetPictureName());
    rebuilt.SetAlign(original->GetAlign());
    rebuilt.SetValign(original->GetValign());
    rebuilt.SetPositioningTop(QString::number(original->GetPositioningTop()));
    rebuilt.SetPositioningLeft(QString::number(original->GetPositioningLeft()));
    rebuilt.Common().SetItem_bln(u"Font"_s, original->Common().Gets(u"Font"_s));
    rebuilt.SetFontSize(QString::number(original->GetFontSize()));
    rebuilt.SetItemHeight(QString::number(original->GetItemHeight()));
    rebuilt.SetItemWidth(QString::number(original->GetItemWidth()));
    rebuilt.SetMarginTop(QString::number(original->GetMarginTop()));
    rebuilt.SetMarginBottom(QString::number(original->GetMarginBottom()));
    rebuilt.SetCurrentFrame(QString());
    rebuilt.DataSet().InitItem_bln();
    for (int i = 0; i < original->GetCount(); ++i) {
        original->CurrentFrame(i);
        rebuilt.AddDataSetFrame(original->CurrentFrameData());
    }
    QVERIFY(rebuilt.SaveFileAllItems());
    const QByteArray firstSave = fileBytes(m_dir->filePath(u"copy.xml"_s));
    QVERIFY(firstSave.contains("\t<ColorSetting><Base>  C0C0FF  </Base>\r\n"));

    Cls_MySettingFile reloaded;
    reloaded.Path(m_dir->path());
    reloaded.Name(u"copy.xml"_s);
    QVERIFY(reloaded.LoadFile());
    const auto values = [](Cls_MySettingFile &model) {
        QStringList all = model.FrameNumbers();
        for (const char *key : {"Base", "Title", "Label", "Back", "Fore"})
            all << model.Color().Gets(QString::fromLatin1(key));
        all << model.GetTitle() << model.GetAlign() << model.GetValign();
        for (const int number :
             {int(model.IsShowVersion()), int(model.IsTopMost()), model.GetPositioningTop(),
              model.GetPositioningLeft(), model.GetFontSize(), model.GetItemHeight(),
              model.GetItemWidth(), model.GetMarginTop(), model.GetMarginBottom()})
            all << QString::number(number);
        for (int i = 0; i < model.GetCount(); ++i) {
            model.CurrentFrame(i);
            all << model.CurrentFrameData() << model.GetFont() << model.GetItemFont()
                << QString::number(itemCount(model));
        }
        return all;
    };
    QCOMPARE(values(reloaded), values(*original));
}

void tst_SettingModel::defaultFileBytes()
{
    const QString text = DefaultSettingFileText();
    const std::optional<QByteArray> encoded = Cp932Codec::encode(text);
    QVERIFY(encoded.has_value());
    const QByteArray &bytes = *encoded;

    QCOMPARE(bytes.count("\r\n"), 119);
    QCOMPARE(bytes.count('\r'), 119);
    QCOMPARE(bytes.count('\n'), 119);
    QVERIFY(bytes.endsWith("</Tarnwick>\r\n\r\n"));
    QList<QByteArray> lines = bytes.split('\n');
    QVERIFY(lines.takeLast().isEmpty());
    QCOMPARE(lines.size(), 119);
    for (const QByteArray &each : lines)
        QVERIFY(each.endsWith('\r'));
    const auto line = [&](int number) { return lines.at(number - 1).chopped(1); };

    QCOMPARE(line(1), QByteArray("<?xml version = '1.0' encoding = 'Shift_JIS'?>"));
    QCOMPARE(line(2), QByteArray("<Tarnwick>"));
    QCOMPARE(line(11), QByteArray());
    QCOMPARE(line(12), QByteArray::fromHex("3c212d2d2088c889ba82cd834a8389815b90dd92e882cc95db91b6"
                                           "202d2d3e"));
    QCOMPARE(line(14), QByteArray("<!-- - -  blue - - - - - - - - - - - - - - -->"));
    QCOMPARE(line(33), QByteArray("<!-- "));
    QVERIFY(line(35).startsWith("http"));
    QCOMPARE(line(36), QByteArray("-->"));
    QCOMPARE(line(54), QByteArray("\t<PositioningTop>-900</PositioningTop>"));
    QCOMPARE(line(56), QByteArray("\t"));
    QCOMPARE(line(58),
             QByteArray::fromHex("093c466f6e743e826c827220835383568362834e3c2f466f6e743e"));
    QCOMPARE(line(81),
             QByteArray::fromHex("232020203c4974656d58583e2020202020202020202020202020202081"
                                 "46318d8096da95aa82cc90dd92e8926c82c582b78142585882cd3181"
                                 "60393982dc82c590dd92e882c582ab82dc82b78142"));
    QCOMPARE(line(88),
             QByteArray::fromHex("230981a68f898afa926c82cd73616d706c6582c590dd92e882b582c4"
                                 "82dc82b78142"));
    QCOMPARE(line(97), QByteArray("\t    <Reg>\t</Reg>"));
    QCOMPARE(line(102), QByteArray("\t    <Reg>[\\r\\t ]</Reg>"));
    QCOMPARE(line(113), QByteArray("\t    <Data>@@@@/@@/@@</Data>"));
    QCOMPARE(line(118), QByteArray("</Tarnwick>"));
    QCOMPARE(line(119), QByteArray());
}

void tst_SettingModel::openWritesDefaultIntoEmptyFolder()
{
    gStr_SettingFolder = m_dir->path();
    gStr_SettingFile = u"Quorvel.xml"_s;
    OpenSettingFile();
    QVERIFY(gObj_Setting);
    QCOMPARE(fileBytes(m_dir->filePath(u"Quorvel.xml"_s)),
             *Cp932Codec::encode(DefaultSettingFileText()));

    Cls_MySettingFile &model = *gObj_Setting;
    QCOMPARE(model.Path(), m_dir->path());
    QCOMPARE(model.Name(), u"Quorvel.xml"_s);
    QCOMPARE(model.GetCount(), 2);
    model.CurrentFrame(0);
    QCOMPARE(model.GetFrameTitle(), u"for Edit"_s);
    QCOMPARE(itemCount(model), 2);
    QCOMPARE(model.GetFont(), u"Times New Roman"_s);
    QCOMPARE(model.GetItemFont(), MsGothic);
    QCOMPARE(model.GetLineCount(), 1);
    model.SetFileItem(model.DataSet().Gets(u"Item1"_s));
    QCOMPARE(model.GetReg(), u"\t"_s);
    QCOMPARE(model.GetReplaceString(), u","_s);
    model.CurrentFrame(1);
    QCOMPARE(model.GetFrameTitle(), u"Tips"_s);
    QCOMPARE(itemCount(model), 1);
    model.SetFileItem(model.DataSet().Gets(u"Item1"_s));
    QCOMPARE(model.GetName(), u"今日日付"_s);
    QCOMPARE(model.GetData(), u"2007/01/20"_s);

    QCOMPARE(model.Color().Gets(u"Base"_s), u"  C0C0FF  "_s);
    QCOMPARE(model.GetTitle(), QString());
    QVERIFY(model.IsShowVersion());
    QVERIFY(!model.IsTopMost());
    QVERIFY(!model.IsModeSelecter());
    QCOMPARE(model.GetAlign(), u"Right"_s);
    QCOMPARE(model.GetValign(), u"Bottom"_s);
    QCOMPARE(model.GetPositioningTop(), -900);
    QCOMPARE(model.GetPositioningLeft(), -100);
    QCOMPARE(model.GetFontSize(), 9);
    QCOMPARE(model.GetItemHeight(), 225);
    QCOMPARE(model.GetItemWidth(), 2445);
    QCOMPARE(model.GetMarginTop(), 270);
    QCOMPARE(model.GetMarginBottom(), 70);
    QVERIFY(boxes().isEmpty());
}

void tst_SettingModel::openKeepsExistingFile()
{
    const QString text = setting(u"<Title>mine</Title>"_s,
                                 QStringLiteral("<Frame4><Item1><Data>@@@@.@@.@@</Data></Item1>"
                                                "</Frame4>"));
    QVERIFY(writeText(m_dir->filePath(u"Mine.xml"_s), text));
    gStr_SettingFolder = m_dir->path() + u"/"_s;
    gStr_SettingFile = u"Mine.xml"_s;

    OpenSettingFile(false);
    QVERIFY(gObj_Setting);
    QCOMPARE(gObj_Setting->GetTitle(), u"mine"_s);
    QCOMPARE(gObj_Setting->FrameNumbers(), QStringList{u"4"_s});
    gObj_Setting->CurrentFrame(0);
    gObj_Setting->SetFileItem(gObj_Setting->DataSet().Gets(u"Item1"_s));
    QCOMPARE(gObj_Setting->GetData(), u"@@@@.@@.@@"_s);
    QCOMPARE(fileBytes(m_dir->filePath(u"Mine.xml"_s)), *Cp932Codec::encode(text));

    // Every open makes a new model.
    const Cls_MySettingFile *first = gObj_Setting.get();
    const std::shared_ptr<Cls_MySettingFile> keep = gObj_Setting;
    OpenSettingFile();
    QVERIFY(gObj_Setting.get() != first);
    QCOMPARE(gObj_Setting->GetCount(), 1);
}

void tst_SettingModel::openNeverReplacesUnreadableFile_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::newRow("no read permission") << false;
    QTest::newRow("not a regular file") << true;
}

// A setting file that exists but cannot be read still holds the user's settings.
void tst_SettingModel::openNeverReplacesUnreadableFile()
{
#ifdef Q_OS_UNIX
    QFETCH(bool, pipe);
    const QString path = m_dir->filePath(u"Locked.xml"_s);
    if (pipe) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else {
        if (::geteuid() == 0)
            QSKIP("File permissions do not stop the superuser from reading");
        QVERIFY(writeText(path, u"<CommonSetting><Title>mine</Title></CommonSetting>"_s));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    gStr_SettingFolder = m_dir->path();
    gStr_SettingFile = u"Locked.xml"_s;

    OpenSettingFile();
    QVERIFY(gObj_Setting);
    QCOMPARE(gObj_Setting->GetCount(), 0);
    if (pipe) {
        QVERIFY(!QFileInfo(path).isFile());
    } else {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fileBytes(path), QByteArray("<CommonSetting><Title>mine</Title></CommonSetting>"));
    }
#else
    QSKIP("Needs Unix file permissions and named pipes");
#endif
}

// A read that fails part way reports the file as unreadable (which the editor refuses to
// save over) instead of loading the part before the error.
void tst_SettingModel::readErrorPartWayLeavesFileUnread()
{
    QString text = u"<?xml version = '1.0' encoding = 'Shift_JIS'?>\r\n<myItem>\r\n"
                   u"<CommonSetting><Title>mine</Title></CommonSetting>\r\n<DataSetting>\r\n"_s;
    for (int i = 1; i <= 20; ++i)
        text += u"<Frame%1><Title>f%1</Title>%2</Frame%1>\r\n"_s.arg(i).arg(QString(9000, u'x'));
    text += u"</DataSetting>\r\n</myItem>"_s;
    const QString path = m_dir->filePath(u"Mine.xml"_s);
    QVERIFY(writeText(path, text));
    const QByteArray before = fileBytes(path);
    gStr_SettingFolder = m_dir->path();
    gStr_SettingFile = u"Mine.xml"_s;
    {
        const FileFault fault(FileFault::Call::Read, EIO, 65536);
        OpenSettingFile(false);
    }
    QVERIFY(gObj_Setting);
    QCOMPARE(gObj_Setting->GetCount(), 0);
    QCOMPARE(gObj_Setting->LastError().number, int(VbErrorNo::DeviceIoError));
    QCOMPARE(fileBytes(path), before);

    OpenSettingFile(false);
    QCOMPARE(gObj_Setting->GetCount(), 20);
    QVERIFY(!gObj_Setting->LastError().isSet());
}

QTEST_GUILESS_MAIN(tst_SettingModel)
#include "tst_settingmodel.moc"
