#include "settings_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString cleanFolder(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

bool FncBln_IsFolderWritable(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        return false;
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quorvel-probe-XXXXXX")));
    return probe.open();
}

QString FncStr_UserSettingFolder()
{
    // Not AppConfigLocation itself: that follows the application name, and the editor
    // must find the palette's files. This is the palette's AppConfigLocation.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return cleanFolder(QDir(base).filePath(QStringLiteral("Quorvel")));
}

QString FncStr_SettingFolder(const QString &overrideFolder, const QString &programFolder,
                             bool createFolder)
{
    QString folder;
    if (!overrideFolder.trimmed().isEmpty()) {
        folder = cleanFolder(overrideFolder);
    } else if (FncBln_IsFolderWritable(programFolder)) {
        return cleanFolder(programFolder);
    } else {
        folder = FncStr_UserSettingFolder();
    }
    if (createFolder && !QFileInfo(folder).isDir()) {
        QDir().mkpath(folder);
    }
    return folder;
}

QString FncStr_SettingFolder(const QString &overrideFolder, bool createFolder)
{
    return FncStr_SettingFolder(overrideFolder, QCoreApplication::applicationDirPath(),
                                createFolder);
}
