#include "FileFaults.h"
#include "MessageBoxRecorder.h"
#include "TestFiles.h"
#include "file_system.h"
#include "platform_wrappers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

class tst_FileSystem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enumFileList_data();
    void enumFileList();
    void enumFileListInFolderNamedLikeAPattern();
    void enumSubDirList();
    void deleteMissing_data();
    void deleteMissing();
    void deleteWrongKind();
    void deleteFolderReadOnly();
    void copyFile_data();
    void copyFile();
    void failedCopyStepKeepsTarget_data();
    void failedCopyStepKeepsTarget();
    void copyRemovesStaleTemporaryFiles();
    void createFolderTwoLevels();
    void moveKeepsPreviousError();
    void changeFileNameKeepsExisting();
    void copyFolder();
    void folderSizeAndReadOnly();
    void parentFolderPath_data();
    void parentFolderPath();
    void folderNameValid_data();
    void folderNameValid();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &content)
    {
        QVERIFY(writeBytes(path(name), content));
    }
    // Every file of the folder, hidden ones (temporary files) included.
    QStringList files() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray read(const QString &name) const { return fileBytes(path(name), "<missing>"); }
    const QList<RecordedBox> &boxes() const { return m_recorder->boxes(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<MessageBoxRecorder> m_recorder;
};

void tst_FileSystem::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_recorder.emplace();
}

void tst_FileSystem::cleanup()
{
    m_recorder.reset();
    // Let the temporary folder go even if a test left something read-only.
    Cls_FileSystem().PFncBln_DeleteFolder(m_dir->path(), true);
    m_dir.reset();
}

void tst_FileSystem::enumFileList_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");

    const QStringList all{"a.xml", "b.XML", "B2.xml", "c.txt", "_z.xml"};
    QTest::newRow("star") << u"*"_s << all;
    QTest::newRow("star dot star") << u"*.*"_s << all;
    QTest::newRow("trailing separator") << QString() << all;
    QTest::newRow("extension any case")
        << u"*.xml"_s << QStringList{"a.xml", "b.XML", "B2.xml", "_z.xml"};
    QTest::newRow("question mark") << u"?.txt"_s << QStringList{"c.txt"};
    QTest::newRow("plain name") << u"c.txt"_s << QStringList{"c.txt"};
    QTest::newRow("folder name") << u"sub.xml"_s << QStringList{};
    QTest::newRow("no match") << u"*.ini"_s << QStringList{};
    QTest::newRow("hostile pattern") << u"*a*a*a*a*a*a*a*a*a*a*b"_s << QStringList{};
}

void tst_FileSystem::enumFileList()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    for (const char *name : {"c.txt", "b.XML", "_z.xml", "B2.xml", "a.xml", ".hidden.xml"})
        write(name, "x");
    QVERIFY(QDir(m_dir->path()).mkdir("sub.xml"));

    const Cls_FileSystem fs;
    QCOMPARE(fs.GetCol_EnumFileList(m_dir->path() + '/' + pattern), expected);
    QCOMPARE(fs.PFncCol_EnumFileList(m_dir->path() + '/' + pattern), expected);
}

// The palette lists its own folder, whatever characters the folder's name holds.
void tst_FileSystem::enumFileListInFolderNamedLikeAPattern()
{
    QVERIFY(QDir(m_dir->path()).mkdir(u"v2 [x]*?"_s));
    write(u"v2 [x]*?/s.xml"_s, "x");
    write(u"v2 [x]*?/t.xml"_s, "x");
    const Cls_FileSystem fs;
    QCOMPARE(fs.GetCol_EnumFileList(path(u"v2 [x]*?/*"_s)), (QStringList{u"s.xml"_s, u"t.xml"_s}));
    QVERIFY(fs.PFncBln_CheckFileExists(path(u"v2 [x]*?/s.xml"_s)));
}

void tst_FileSystem::enumSubDirList()
{
    QDir dir(m_dir->path());
    for (const char *name : {"beta", "Alpha", "_last", ".hidden"})
        QVERIFY(dir.mkdir(name));
    write("file", "x");
    Cls_FileSystem fs;
    QCOMPARE(fs.GetCol_EnumSubDirList(m_dir->path()),
             (QStringList{".hidden", "Alpha", "beta", "_last"}));
    QVERIFY(boxes().isEmpty());

    QVERIFY(fs.GetCol_EnumSubDirList(path("missing")).isEmpty());
    QCOMPARE(fs.GetLng_ErrorNo(), 76);
    QCOMPARE(boxes().size(), 1);
    QVERIFY(boxes().first().prompt.startsWith("76 "));
}

void tst_FileSystem::deleteMissing_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("file") << false << u"missing.txt"_s;
    QTest::newRow("file in missing folder") << false << u"nowhere/missing.txt"_s;
    QTest::newRow("folder") << true << u"missing"_s;
    QTest::newRow("folder with separator") << true << u"missing/"_s;
}

void tst_FileSystem::deleteMissing()
{
    QFETCH(bool, folder);
    QFETCH(QString, name);
    Cls_FileSystem fs;
    QVERIFY(!fs.PFncBln_CopyFile(path("absent"), path("x"), true)); // leaves an error behind
    QVERIFY(fs.GetLng_ErrorNo() != 0);
    const bool ok = folder ? fs.PFncBln_DeleteFolder(path(name), false)
                           : fs.PFncBln_DeleteFile(path(name), false);
    QVERIFY(ok);
    QCOMPARE(fs.GetLng_ErrorNo(), 0);
    QCOMPARE(fs.GetStr_ErrorDetail(), QString());
}

void tst_FileSystem::deleteWrongKind()
{
    write("file", "keep");
    QVERIFY(QDir(m_dir->path()).mkpath("folder/inner"));
    Cls_FileSystem fs;
    QVERIFY(!fs.PFncBln_DeleteFolder(path("file"), true));
    QVERIFY(fs.GetLng_ErrorNo() != 0);
    QCOMPARE(read("file"), QByteArray("keep"));
    QVERIFY(!fs.PFncBln_DeleteFile(path("folder"), true));
    QVERIFY(fs.GetLng_ErrorNo() != 0);
    QVERIFY(QFileInfo(path("folder/inner")).isDir());

    QVERIFY(fs.PFncBln_DeleteFolder(path("folder"), false));
    QVERIFY(!QFileInfo::exists(path("folder")));
    QVERIFY(fs.PFncBln_DeleteFile(path("file"), false));
    QVERIFY(!QFileInfo::exists(path("file")));
}

void tst_FileSystem::deleteFolderReadOnly()
{
    QVERIFY(QDir(m_dir->path()).mkpath("tree/sub"));
    write("tree/a.txt", "a");
    write("tree/sub/b.txt", "b");
    Cls_FileSystem fs;
    QVERIFY(fs.ChangeBln_ReadOnlyAttr(path("tree/sub/b.txt"), true));

    QVERIFY(!fs.PFncBln_DeleteFolder(path("tree"), false));
    QCOMPARE(fs.GetLng_ErrorNo(), 70);
    QCOMPARE(read("tree/a.txt"), QByteArray("a")); // nothing deleted half-way
    QVERIFY(!fs.PFncBln_DeleteFile(path("tree/sub/b.txt"), false));
    QCOMPARE(fs.GetLng_ErrorNo(), 70);

    QVERIFY(fs.PFncBln_DeleteFolder(path("tree"), true));
    QVERIFY(!QFileInfo::exists(path("tree")));
}

void tst_FileSystem::copyFile_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("errorNo");
    QTest::addColumn<QString>("checkFile");
    QTest::addColumn<QByteArray>("checkContent");

    QTest::newRow("new file") << u"src.xml"_s << u"new.xml"_s << false << true << 0 << u"new.xml"_s
                              << QByteArray("source");
    QTest::newRow("existing, no overwrite") << u"src.xml"_s << u"old.xml"_s << false << false << 58
                                            << u"old.xml"_s << QByteArray("old");
    QTest::newRow("existing, overwrite") << u"src.xml"_s << u"old.xml"_s << true << true << 0
                                         << u"old.xml"_s << QByteArray("source");
    QTest::newRow("into folder") << u"src.xml"_s << u"_backup/"_s << false << true << 0
                                 << u"_backup/src.xml"_s << QByteArray("source");
    QTest::newRow("missing source") << u"none.xml"_s << u"x.xml"_s << true << false << 53
                                    << u"x.xml"_s << QByteArray("<missing>");
    QTest::newRow("missing target folder") << u"src.xml"_s << u"nowhere/x.xml"_s << true << false
                                           << 76 << u"src.xml"_s << QByteArray("source");
    QTest::newRow("onto itself") << u"src.xml"_s << u"src.xml"_s << true << false << 58
                                 << u"src.xml"_s << QByteArray("source");
    QTest::newRow("onto a folder") << u"src.xml"_s << u"_backup"_s << true << false << 75
                                   << u"src.xml"_s << QByteArray("source");
}

void tst_FileSystem::copyFile()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(bool, overwrite);
    QFETCH(bool, ok);
    QFETCH(int, errorNo);
    QFETCH(QString, checkFile);
    QFETCH(QByteArray, checkContent);
    write("src.xml", "source");
    write("old.xml", "old");
    QVERIFY(QDir(m_dir->path()).mkdir("_backup"));

    Cls_FileSystem fs;
    QCOMPARE(fs.PFncBln_CopyFile(path(source), path(target), overwrite), ok);
    QCOMPARE(fs.GetLng_ErrorNo(), errorNo);
    QCOMPARE(fs.GetStr_ErrorDetail().isEmpty(), errorNo == 0);
    QCOMPARE(read(checkFile), checkContent);
}

// A backup onto a full disk must not leave a cut-off copy that a restore would trust.
void tst_FileSystem::failedCopyStepKeepsTarget_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<int>("number");

    using C = FileFault::Call;
    for (const bool exists : {false, true}) {
        const char *const kind = exists ? "replacing" : "new";
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::addRow("%s, %s", what, kind);
        };
        row("disk full") << int(C::Write) << ENOSPC << exists << int(VbErrorNo::DiskFull);
        row("quota") << int(C::Write) << EDQUOT << exists << int(VbErrorNo::DiskFull);
        row("file too large") << int(C::Write) << EFBIG << exists << int(VbErrorNo::DiskFull);
        row("sync error") << int(C::Fdatasync) << EIO << exists << int(VbErrorNo::DeviceIoError);
        row("close error") << int(C::Close) << EIO << exists << int(VbErrorNo::DeviceIoError);
        row("rename error") << int(C::Rename) << EIO << exists << int(VbErrorNo::DeviceIoError);
        row("source read error") << int(C::Read) << EIO << exists << int(VbErrorNo::DeviceIoError);
        row("source ends early") << int(C::Read) << 0 << exists << int(VbErrorNo::DeviceIoError);
    }
}

void tst_FileSystem::failedCopyStepKeepsTarget()
{
    QFETCH(int, call);
    QFETCH(int, error);
    QFETCH(bool, targetExists);
    QFETCH(int, number);
    write("src.xml", QByteArray(200 * 1024, 's'));
    if (targetExists)
        write("dst.xml", "target");

    Cls_FileSystem fs;
    {
        const FileFault fault(FileFault::Call(call), error, 100 * 1024);
        QVERIFY(!fs.PFncBln_CopyFile(path("src.xml"), path("dst.xml"), true));
    }
    QCOMPARE(fs.GetLng_ErrorNo(), number);
    QCOMPARE(read("dst.xml"), targetExists ? QByteArray("target") : QByteArray("<missing>"));
    QCOMPARE(files(), targetExists ? QStringList({u"dst.xml"_s, u"src.xml"_s})
                                   : QStringList({u"src.xml"_s}));

    QVERIFY(fs.PFncBln_CopyFile(path("src.xml"), path("dst.xml"), true));
    QCOMPARE(read("dst.xml"), read("src.xml"));
}

void tst_FileSystem::copyRemovesStaleTemporaryFiles()
{
    write("src.xml", "source");
    // PIDs above the system's limit name no process.
    const QString stale = u".dst.xml.quorvel-save-2147483646-abcdef"_s;
    write(stale, "partial");
    QFile file(path(stale));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-61),
                             QFileDevice::FileModificationTime));
    file.close();

    Cls_FileSystem fs;
    QVERIFY(fs.PFncBln_CopyFile(path("src.xml"), path("dst.xml"), false));
    QCOMPARE(files(), QStringList({u"dst.xml"_s, u"src.xml"_s}));
}

void tst_FileSystem::createFolderTwoLevels()
{
    Cls_FileSystem fs;
    QVERIFY(fs.PFncBln_CreateFolder(path("one/two")));
    QCOMPARE(fs.GetLng_ErrorNo(), 0);
    QVERIFY(QFileInfo(path("one/two")).isDir());
    QVERIFY(fs.PFncBln_CreateFolder(path("one/two/"))); // exists already

    write("plain", "x");
    QVERIFY(!fs.PFncBln_CreateFolder(path("plain")));
    QCOMPARE(fs.GetLng_ErrorNo(), 58);
    QVERIFY(!fs.PFncBln_CreateFolder(path("plain/below")));
    QVERIFY(fs.GetLng_ErrorNo() != 0);
    QVERIFY(!fs.PFncBln_CreateFolder(QString()));
}

void tst_FileSystem::moveKeepsPreviousError()
{
    write("a.txt", "a");
    write("b.txt", "b");
    Cls_FileSystem fs;
    QVERIFY(!fs.PFncBln_CopyFile(path("a.txt"), path("b.txt"), false));
    QCOMPARE(fs.GetLng_ErrorNo(), 58);
    QVERIFY(fs.PFncBln_MoveFile(path("a.txt"), path("c.txt")));
    QCOMPARE(fs.GetLng_ErrorNo(), 58);
    QCOMPARE(read("c.txt"), QByteArray("a"));

    QVERIFY(!fs.PFncBln_MoveFile(path("c.txt"), path("b.txt"))); // never replaces
    QCOMPARE(read("b.txt"), QByteArray("b"));
    QVERIFY(!fs.PFncBln_MoveFile(path("gone.txt"), path("d.txt")));
    QCOMPARE(fs.GetLng_ErrorNo(), 53);

    QVERIFY(QDir(m_dir->path()).mkdir("dir"));
    QVERIFY(fs.PFncBln_MoveDirectory(path("dir"), path("moved")));
    QCOMPARE(fs.GetLng_ErrorNo(), 53);
    QVERIFY(QFileInfo(path("moved")).isDir());
    QVERIFY(!fs.PFncBln_MoveDirectory(path("moved"), path("moved/inside")));
    QVERIFY(QFileInfo(path("moved")).isDir());

    QVERIFY(fs.PFncBln_CopyFile(path("c.txt"), path("e.txt"), false));
    QCOMPARE(fs.GetLng_ErrorNo(), 0);
}

void tst_FileSystem::changeFileNameKeepsExisting()
{
    write("old.txt", "old");
    write("other.txt", "other");
    Cls_FileSystem fs;
    QVERIFY(!fs.PFncBln_ChangeFileName(path("old.txt"), path("other.txt")));
    QCOMPARE(fs.GetLng_ErrorNo(), 58);
    QCOMPARE(read("other.txt"), QByteArray("other"));
    QVERIFY(fs.PFncBln_ChangeFileName(path("old.txt"), path("new.txt")));
    QCOMPARE(read("new.txt"), QByteArray("old"));
    QVERIFY(!fs.PFncBln_ChangeFileName(path("old.txt"), path("x.txt")));
    QCOMPARE(fs.GetLng_ErrorNo(), 53);
}

void tst_FileSystem::copyFolder()
{
    QVERIFY(QDir(m_dir->path()).mkpath("src/deep"));
    write("src/a.txt", "a");
    write("src/deep/b.txt", "b");
    Cls_FileSystem fs;
    QVERIFY(fs.PFncBln_CopyFolder(path("src"), path("dst"), false));
    QCOMPARE(read("dst/deep/b.txt"), QByteArray("b"));

    write("src/a.txt", "changed");
    QVERIFY(!fs.PFncBln_CopyFolder(path("src"), path("dst"), false));
    QCOMPARE(fs.GetLng_ErrorNo(), 58);
    QCOMPARE(read("dst/a.txt"), QByteArray("a"));
    QVERIFY(fs.PFncBln_CopyFolder(path("src"), path("dst"), true));
    QCOMPARE(read("dst/a.txt"), QByteArray("changed"));

    QVERIFY(fs.PFncBln_CopyFolder(path("src"), path("dst/"), false));
    QCOMPARE(read("dst/src/a.txt"), QByteArray("changed"));

    // A copy into its own tree would never end.
    QVERIFY(!fs.PFncBln_CopyFolder(path("src"), path("src/deep/again"), true));
    QVERIFY(!QFileInfo::exists(path("src/deep/again")));
    QVERIFY(!fs.PFncBln_CopyFolder(path("none"), path("x"), true));
    QCOMPARE(fs.GetLng_ErrorNo(), 76);
}

void tst_FileSystem::folderSizeAndReadOnly()
{
    QVERIFY(QDir(m_dir->path()).mkpath("f/sub"));
    write("f/a", QByteArray(1024, 'a'));
    write("f/sub/b", QByteArray(513, 'b'));
    Cls_FileSystem fs;
    QCOMPARE(fs.PFncCur_GetFolderSize(path("f")), 1.501); // 1537 / 1024 to four places
    QCOMPARE(fs.PFncCur_GetFolderSize(path("none")), 0.0);
    QCOMPARE(fs.GetLng_ErrorNo(), 76);

    QVERIFY(fs.ChangeBln_ReadOnlyAttr(path("f"), true));
    QVERIFY(!(QFileInfo(path("f/sub/b")).permissions() & QFile::WriteOwner));
    QVERIFY(fs.ChangeBln_ReadOnlyAttr(path("f"), false));
    QVERIFY(QFileInfo(path("f/sub/b")).permissions() & QFile::WriteOwner);
    QVERIFY(QFileInfo(path("f/sub")).permissions() & QFile::WriteOwner);
    QVERIFY(!fs.ChangeBln_ReadOnlyAttr(path("none"), true));
    QCOMPARE(fs.GetLng_ErrorNo(), 53);

    double space = -1;
    QVERIFY(fs.PFncBln_GetDriveFreeSpace(path("not/yet/there"), space));
    QVERIFY(space > 0);
}

void tst_FileSystem::parentFolderPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent");
    QTest::newRow("two levels") << u"/a/b"_s << u"/a"_s;
    QTest::newRow("trailing separator") << u"/a/b/"_s << u"/a"_s;
    QTest::newRow("below root") << u"/a"_s << u"/"_s;
    QTest::newRow("root") << u"/"_s << QString();
    QTest::newRow("relative") << u"a/b"_s << u"a"_s;
    QTest::newRow("bare name") << u"a"_s << QString();
    QTest::newRow("double separator") << u"a//b"_s << u"a"_s;
    QTest::newRow("empty") << QString() << QString();
}

void tst_FileSystem::parentFolderPath()
{
    QFETCH(QString, path);
    QFETCH(QString, parent);
    QCOMPARE(Cls_FileSystem().GetStr_ParentFolderPath(path), parent);
}

void tst_FileSystem::folderNameValid_data()
{
    QTest::addColumn<QString>("name"); // below the temporary folder unless absolute
    QTest::addColumn<bool>("valid");
    QTest::newRow("new folder") << u"new"_s << true;
    QTest::newRow("trailing separator") << u"new/"_s << true;
    QTest::newRow("existing folder") << u"sub"_s << true;
    QTest::newRow("existing file") << u"file.txt"_s << false;
    QTest::newRow("not normalised") << u"sub/../new"_s << false;
    QTest::newRow("double separator") << u"sub//new"_s << false;
    QTest::newRow("wildcard") << u"ne*w"_s << false;
    QTest::newRow("apostrophe") << u"it's"_s << false;
    QTest::newRow("backslash") << u"a\\b"_s << false;
    QTest::newRow("colon") << u"a:b"_s << false;
    QTest::newRow("relative") << u"relative/name"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void tst_FileSystem::folderNameValid()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QVERIFY(QDir(m_dir->path()).mkdir("sub"));
    write("file.txt", "x");
    const QString full =
        name.startsWith('/') || name.startsWith("relative") || name.isEmpty() ? name : path(name);
    QCOMPARE(Cls_FileSystem().ChkBln_IsFolderNameValid(full), valid);
}

QTEST_GUILESS_MAIN(tst_FileSystem)
#include "tst_filesystem.moc"
