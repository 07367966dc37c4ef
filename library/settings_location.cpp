#include "settings_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>

namespace {

QString cleanFolder(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

// Folders of the system's own software, even where root could write beside the program.
const QStringList kSystemPrefixes = {QStringLiteral("/usr"), QStringLiteral("/opt"),
                                     QStringLiteral("/bin"), QStringLiteral("/sbin")};

} // namespace

bool FncBln_IsInstalledProgramFolder(const QString &programFolder)
{
    if (programFolder.trimmed().isEmpty()) {
        return false;
    }
    // A link into a prefix is judged by where it leads.
    const QFileInfo info(programFolder);
    const QString folder = info.exists() ? info.canonicalFilePath() : cleanFolder(programFolder);
    for (const QString &prefix : kSystemPrefixes) {
        if (folder == prefix || folder.startsWith(prefix + u'/')) {
            return true;
        }
    }
    const QString entry = QStringLiteral("../share/applications/") +
                          QStringLiteral(QUORVEL_APP_ID) + QStringLiteral(".desktop");
    return QFileInfo(QDir(folder).filePath(entry)).isFile();
}

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
    } else if (!FncBln_IsInstalledProgramFolder(programFolder) &&
               FncBln_IsFolderWritable(programFolder)) {
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
