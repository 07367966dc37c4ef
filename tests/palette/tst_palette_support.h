// Fixture pieces shared by the palette window tests: setting files in a temporary
// folder, recorded message boxes and shell opens, and an observable program end.
#pragma once

#include "Cls_ItemButton.h"
#include "Frm_Item_FromIniFile.h"
#include "MessageBoxRecorder.h"
#include "PaletteModule.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

class UrlRecorder final : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

inline QString element(const QString &key, const QString &value)
{
    return QStringLiteral("<%1>%2</%1>").arg(key, value);
}

inline QString defaultColours()
{
    return element(QStringLiteral("Base"), QStringLiteral("C0C0FF")) +
           element(QStringLiteral("Title"), QStringLiteral("000080")) +
           element(QStringLiteral("Label"), QStringLiteral("0000C0")) +
           element(QStringLiteral("Back"), QStringLiteral("9090FF")) +
           element(QStringLiteral("Fore"), QStringLiteral("FFFFFF"));
}

// A whole setting file; frames are the inner texts of Frame1, Frame2, ...
inline QString settingFile(const QString &common, const QStringList &frames,
                           const QString &colours = defaultColours())
{
    QString data;
    for (int i = 0; i < frames.size(); ++i)
        data += element(QStringLiteral("Frame%1").arg(i + 1), frames.at(i));
    return QStringLiteral("<myItem>") + element(QStringLiteral("ColorSetting"), colours) +
           element(QStringLiteral("CommonSetting"), common) +
           element(QStringLiteral("DataSetting"), data) + QStringLiteral("</myItem>");
}

// Items are Item1, Item2, ... in order.
inline QString frameText(const QString &title, const QStringList &items, const QString &extra = {})
{
    QString text = element(QStringLiteral("Title"), title) + extra;
    for (int i = 0; i < items.size(); ++i)
        text += element(QStringLiteral("Item%1").arg(i + 1), items.at(i));
    return text;
}

class PaletteFixture
{
public:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MessageBoxRecorder> recorder;
    UrlRecorder urls;
    int quitCount = 0;

    void setUp()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        gStr_SettingFolder = dir->path();
        gStr_ProgramName = QStringLiteral("Quorvel");
        gStr_SettingFile = QStringLiteral("Quorvel.xml");
        urls.opened.clear();
        quitCount = 0;
        recorder = std::make_unique<MessageBoxRecorder>();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
        mdl_Palette::SetQuitHandler([this] { ++quitCount; });
        // No editor program unless a test puts one there.
        mdl_Palette::SetEditorSearchFolders({dir->filePath(QStringLiteral("no-editor"))});
    }

    void tearDown()
    {
        if (Frm_Item_FromIniFile *window = mdl_Palette::CurrentWindow()) {
            window->SetMode(true);
            window->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        mdl_Palette::SetQuitHandler({});
        mdl_Palette::SetEditorSearchFolders({});
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        recorder.reset();
        Cls_MySettingFile::SetDateSource({});
        gObj_Setting.reset();
        dir.reset();
    }

    const QList<RecordedBox> &boxes() const { return recorder->boxes(); }

    // Writes a setting file (code page 932) into the folder.
    bool write(const QString &name, const QString &text) const
    {
        Cls_MySettingFile file;
        file.Path(dir->path());
        file.Name(name);
        return file.SaveFile(text);
    }

    Frm_Item_FromIniFile *open(const QString &text = {})
    {
        if (!text.isEmpty() && !write(gStr_SettingFile, text))
            return nullptr;
        mdl_Palette::Open(false, false);
        return mdl_Palette::CurrentWindow();
    }
};

template<typename T> T *child(const QWidget *window, const QString &name)
{
    return window->findChild<T *>(name);
}

// Item button k (Txt_Button_k); its frame area paints it and takes the pointer over it.
inline Cls_ItemButton *itemButton(const QWidget *window, int k)
{
    return window->findChild<Cls_ItemButton *>(QStringLiteral("Txt_Button_%1").arg(k));
}

inline QPoint itemCentre(const Cls_ItemButton *item)
{
    return item->geometry().center();
}

// The pointer moves onto the item and clicks it, as a user does.
inline void clickItem(const Cls_ItemButton *item, Qt::KeyboardModifiers modifiers = {})
{
    QVERIFY(item && item->area());
    QTest::mouseMove(item->area(), itemCentre(item));
    QTest::mouseClick(item->area(), Qt::LeftButton, modifiers, itemCentre(item));
}
