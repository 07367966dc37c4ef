#include "file_system.h"

#include "durable_file.h"
#include "platform_wrappers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// The numbers callers know from the original runtime; the text stays the platform's own.

// Which "not found" a missing path means depends on what the operation expected there.
enum class Missing
{
    File,
    Path
};

int errorNumber(const std::error_code &ec, Missing missing)
{
    const std::error_condition c = ec.default_error_condition();
    if (c == std::errc::no_such_file_or_directory)
        return missing == Missing::File ? VbErrorNo::FileNotFound : VbErrorNo::PathNotFound;
    if (c == std::errc::not_a_directory)
        return VbErrorNo::PathNotFound;
    if (c == std::errc::file_exists)
        return VbErrorNo::FileAlreadyExists;
    if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted ||
        c == std::errc::read_only_file_system || c == std::errc::device_or_resource_busy ||
        c == std::errc::text_file_busy)
        return VbErrorNo::PermissionDenied;
    if (c == std::errc::no_space_on_device || c == std::errc::file_too_large ||
        (c.category() == std::generic_category() && c.value() == EDQUOT))
        return VbErrorNo::DiskFull;
    if (c == std::errc::cross_device_link)
        return VbErrorNo::RenameAcrossDisks;
    if (c == std::errc::filename_too_long || c == std::errc::illegal_byte_sequence)
        return VbErrorNo::BadFileName;
    if (c == std::errc::invalid_argument)
        return VbErrorNo::InvalidArgument;
    if (c == std::errc::io_error)
        return VbErrorNo::DeviceIoError;
    if (c == std::errc::too_many_files_open || c == std::errc::too_many_files_open_in_system)
        return VbErrorNo::TooManyFiles;
    return VbErrorNo::PathFileAccessError;
}

QString errorText(const std::error_code &ec)
{
    return QString::fromLocal8Bit(ec.message());
}

QString textOf(std::errc condition)
{
    return errorText(std::make_error_code(condition));
}

fs::path toFsPath(const QString &path)
{
#ifdef Q_OS_WIN
    return fs::path(path.toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromFsPath(const fs::path &path)
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdWString(path.native()));
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

QString normalisedSeparators(const QString &path)
{
    return QDir::fromNativeSeparators(path);
}

// "a/b/" names the folder "a/b"; a root keeps its separator.
QString withoutTrailingSeparators(QString path)
{
    path = normalisedSeparators(path);
    while (path.size() > 1 && path.endsWith(u'/')) {
#ifdef Q_OS_WIN
        if (path.size() == 3 && path.at(1) == u':')
            break;
#endif
        path.chop(1);
    }
    return path;
}

// Windows lists a folder in the order of its upper-cased UTF-16 units; names that differ only
// in case (possible here) keep a stable order after that.
bool windowsNameLess(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ua = a.at(i).toUpper().unicode();
        const char16_t ub = b.at(i).toUpper().unicode();
        if (ua != ub)
            return ua < ub;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

void sortWindowsOrder(QStringList &names)
{
    std::sort(names.begin(), names.end(), windowsNameLess);
}

// "*" and "?" only, case-insensitive as on the platform the setting files come from.
// Greedy matching with one backtrack point keeps this linear-ish on hostile patterns.
bool wildcardMatch(const QString &pattern, const QString &name)
{
    if (pattern == QLatin1String("*.*"))
        return true;
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern.at(p) == u'?' || pattern.at(p).toUpper() == name.at(n).toUpper())) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern.at(p) == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == u'*')
        ++p;
    return p == pattern.size();
}

bool hasWildcard(const QString &text)
{
    return text.contains(u'*') || text.contains(u'?');
}

enum class EntryKind
{
    Files,
    Folders
};

// A directory listing of a pattern ("folder/*.xml", "name", "folder/"): names only, no hidden
// entries, in Windows order. Only the last part is a pattern: "*" and "?" are ordinary
// characters in folder names here. A missing folder lists nothing.
QStringList listMatching(const QString &patternPath, EntryKind kind)
{
    const QString path = normalisedSeparators(patternPath);
    if (path.isEmpty())
        return {};
    const qsizetype slash = path.lastIndexOf(u'/');
    QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash + 1);
    QString pattern = slash < 0 ? path : path.mid(slash + 1);
    if (pattern.isEmpty())
        pattern = QStringLiteral("*");
    const QDir dir(folder);
    if (!dir.exists())
        return {};
    const QDir::Filters filters =
        (kind == EntryKind::Files ? QDir::Files : QDir::Dirs) | QDir::NoDotAndDotDot;
    QStringList names;
    for (const QString &name : dir.entryList(filters, QDir::Unsorted)) {
        if (wildcardMatch(pattern, name))
            names.append(name);
    }
    sortWindowsOrder(names);
    return names;
}

double toKibCurrency(std::uintmax_t bytes)
{
    // Currency keeps four decimal places.
    return std::round(static_cast<double>(bytes) / 1024.0 * 10000.0) / 10000.0;
}

QString absolutePathName(const QString &path)
{
    return withoutTrailingSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

bool isReadOnly(const fs::path &path)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    return !ec && (st.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// Read-only on this platform means no write permission for anyone; clearing it gives the owner
// write permission back, which is what clearing the attribute means to the user.
bool setReadOnly(const fs::path &path, bool readOnly, std::error_code &ec)
{
    constexpr fs::perms allWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (readOnly)
        fs::permissions(path, allWrite, fs::perm_options::remove, ec);
    else
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

bool isRootPath(const fs::path &path)
{
    return path.has_root_path() && path == path.root_path();
}

// The copy must not descend into its own output.
bool isInside(const fs::path &inner, const fs::path &outer)
{
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    if (ec)
        return false;
    const fs::path b = fs::weakly_canonical(outer, ec);
    if (ec)
        return false;
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (bi->empty())
            continue;
        if (ai == a.end() || *ai != *bi)
            return false;
    }
    return true;
}

struct FsError
{
    std::error_code ec;
    Missing missing = Missing::File;
};

bool copyFileTo(const fs::path &source, const fs::path &target, bool overwrite, FsError &err)
{
    std::error_code ec;
    const fs::file_status targetStatus = fs::symlink_status(target, ec);
    if (fs::exists(targetStatus)) {
        if (fs::is_directory(fs::status(target, ec))) {
            err = {std::make_error_code(std::errc::is_a_directory), Missing::File};
            return false;
        }
        if (!overwrite) {
            err = {std::make_error_code(std::errc::file_exists), Missing::File};
            return false;
        }
        // A copy onto itself (also through a link) would only lose the file.
        if (fs::equivalent(source, target, ec)) {
            err = {std::make_error_code(std::errc::file_exists), Missing::File};
            return false;
        }
    }
    const auto systemError = [](int number) {
        return std::error_code(number, std::generic_category());
    };
    const int from =
        DurableFile::calls().open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
    if (from < 0) {
        err = {systemError(errno), Missing::File};
        return false;
    }
    struct stat st;
    if (::fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
        err = {systemError(S_ISREG(st.st_mode) ? errno : EINVAL), Missing::File};
        DurableFile::calls().close(from);
        return false;
    }
    // Copied beside the target, synced and renamed over it: a copy that fails part way (a
    // full disk during a backup or a restore) leaves the target as it was, or absent. The
    // copy keeps the source's permissions and modification time, as the platform's does.
    DurableFile::Options options;
    options.replaceExisting = overwrite;
    options.mode = st.st_mode & 07777;
    options.modified = st.st_mtim;
    const int failed = DurableFile::replace(
        QByteArray::fromStdString(target.native()),
        [from](int to) { return DurableFile::copyAll(from, to); }, options);
    DurableFile::calls().close(from);
    if (failed) {
        err = {systemError(failed), failed == EEXIST ? Missing::File : Missing::Path};
        return false;
    }
    return true;
}

bool copyFolderContents(const fs::path &source, const fs::path &target, bool overwrite,
                        FsError &err)
{
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
        if (!fs::is_directory(fs::status(target, ec))) {
            err = {std::make_error_code(std::errc::file_exists), Missing::Path};
            return false;
        }
    } else if (!fs::create_directory(target, ec)) {
        err = {ec ? ec : std::make_error_code(std::errc::file_exists), Missing::Path};
        return false;
    }
    fs::directory_iterator it(source, ec);
    if (ec) {
        err = {ec, Missing::Path};
        return false;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            err = {ec, Missing::Path};
            return false;
        }
        const fs::path from = it->path();
        const fs::path to = target / from.filename();
        const fs::file_status st = it->symlink_status(ec);
        if (fs::is_symlink(st)) {
            // Links are copied as links so that a link cycle cannot make the copy endless.
            if (fs::exists(fs::symlink_status(to, ec))) {
                if (!overwrite) {
                    err = {std::make_error_code(std::errc::file_exists), Missing::File};
                    return false;
                }
                fs::remove(to, ec);
            }
            fs::copy_symlink(from, to, ec);
            if (ec) {
                err = {ec, Missing::File};
                return false;
            }
        } else if (fs::is_directory(st)) {
            if (!copyFolderContents(from, to, overwrite, err))
                return false;
        } else if (!copyFileTo(from, to, overwrite, err)) {
            return false;
        }
    }
    return true;
}

// A folder delete without force must not stop half-way at a read-only entry, so look first.
bool containsReadOnly(const fs::path &folder)
{
    if (isReadOnly(folder))
        return true;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec);
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        if (!it->is_symlink(ec) && isReadOnly(it->path()))
            return true;
    }
    return false;
}

void makeTreeWritable(const fs::path &folder)
{
    std::error_code ec;
    setReadOnly(folder, false, ec);
    fs::recursive_directory_iterator it(folder, ec);
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            setReadOnly(it->path(), false, ignored);
    }
}

bool moveFileAcrossDevices(const fs::path &source, const fs::path &target, FsError &err)
{
    if (!copyFileTo(source, target, false, err))
        return false;
    std::error_code ec;
    fs::remove(source, ec);
    if (ec) {
        // Leave one copy, not two.
        std::error_code ignored;
        fs::remove(target, ignored);
        err = {ec, Missing::File};
        return false;
    }
    return true;
}

} // namespace

void Cls_FileSystem::clearError()
{
    m_errorNo = 0;
    m_errorText.clear();
}

void Cls_FileSystem::recordError(int number, const QString &text)
{
    m_errorNo = number;
    m_errorText = text;
}

bool Cls_FileSystem::fail(int number, const QString &text)
{
    recordError(number, text);
    return false;
}

template<typename Result, typename Operation>
Result Cls_FileSystem::recorded(Result failure, Operation &&operation)
{
    try {
        return operation();
    } catch (const std::exception &e) {
        recordError(VbErrorNo::PathFileAccessError, QString::fromLocal8Bit(e.what()));
        return failure;
    }
}

bool Cls_FileSystem::PFncBln_GetDriveFreeSpace(const QString &Astr_Path, double &Acur_Space)
{
    clearError();
    Acur_Space = 0;
    return recorded(false, [&] {
        // A drive here is the file system that holds the path; the path itself need not
        // exist, so measure its nearest existing ancestor.
        fs::path probe = toFsPath(absolutePathName(Astr_Path));
        std::error_code ec;
        while (!fs::exists(probe, ec) && probe.has_relative_path())
            probe = probe.parent_path();
        const fs::space_info info = fs::space(probe, ec);
        if (ec)
            return fail(errorNumber(ec, Missing::Path), errorText(ec));
        Acur_Space = toKibCurrency(info.available);
        return true;
    });
}

bool Cls_FileSystem::PFncBln_CopyFolder(const QString &Astr_Source, const QString &Astr_Distination,
                                        bool Abln_Overwrite)
{
    clearError();
    return recorded(false, [&] {
        const QString sourceText = withoutTrailingSeparators(Astr_Source);
        const QString targetText = normalisedSeparators(Astr_Distination);
        if (sourceText.isEmpty() || targetText.isEmpty())
            return fail(VbErrorNo::InvalidArgument, textOf(std::errc::invalid_argument));
        const fs::path source = toFsPath(sourceText);
        fs::path target = toFsPath(withoutTrailingSeparators(targetText));
        // A destination ending with a separator is the folder to copy into.
        if (targetText.endsWith(u'/'))
            target /= source.filename();
        std::error_code ec;
        if (!fs::is_directory(fs::status(source, ec)))
            return fail(VbErrorNo::PathNotFound, textOf(std::errc::no_such_file_or_directory));
        if (isInside(target, source))
            return fail(VbErrorNo::InvalidArgument, textOf(std::errc::invalid_argument));
        FsError err;
        if (!copyFolderContents(source, target, Abln_Overwrite, err))
            return fail(errorNumber(err.ec, err.missing), errorText(err.ec));
        return true;
    });
}

bool Cls_FileSystem::PFncBln_CreateFolder(const QString &Astr_Path)
{
    clearError();
    return recorded(false, [&] {
        const QString path = withoutTrailingSeparators(Astr_Path);
        if (!path.isEmpty() && QFileInfo(path).isDir())
            return true;
        if (path.isEmpty())
            return fail(VbErrorNo::InvalidArgument, textOf(std::errc::invalid_argument));
        const QString parent = GetStr_ParentFolderPath(path);
        if (!parent.isEmpty()) {
            if (parent == path || !PFncBln_CreateFolder(parent))
                return false;
            clearError();
        }
        std::error_code ec;
        if (!fs::create_directory(toFsPath(path), ec)) {
            // create_directory is content with an existing file of that name.
            if (!ec)
                ec = std::make_error_code(std::errc::file_exists);
            return fail(errorNumber(ec, Missing::Path), errorText(ec));
        }
        return true;
    });
}

bool Cls_FileSystem::PFncBln_DeleteFolder(const QString &Astr_Path, bool Abln_Force)
{
    clearError();
    return recorded(false, [&] {
        const QString text = withoutTrailingSeparators(Astr_Path);
        if (text.isEmpty())
            return fail(VbErrorNo::InvalidArgument, textOf(std::errc::invalid_argument));
        // Delete what the name means ("." or "x/.." included), never the entries of a
        // folder that then cannot itself be removed.
        const fs::path path = toFsPath(absolutePathName(text));
        std::error_code ec;
        const fs::file_status linkStatus = fs::symlink_status(path, ec);
        if (!fs::exists(linkStatus))
            return true; // nothing there: the caller's wish is already met
        if (fs::is_symlink(linkStatus) && fs::is_directory(fs::status(path, ec))) {
            fs::remove(path, ec); // the link, not what it points to
        } else if (!fs::is_directory(linkStatus)) {
            // A file of that name is not a missing folder: report it instead of success.
            return fail(VbErrorNo::PathFileAccessError, textOf(std::errc::not_a_directory));
        } else if (isRootPath(path) || (!Abln_Force && containsReadOnly(path))) {
            ec = std::make_error_code(std::errc::permission_denied);
        } else {
            if (Abln_Force)
                makeTreeWritable(path);
            fs::remove_all(path, ec);
        }
        const int number = ec ? errorNumber(ec, Missing::Path) : 0;
        if (number == 0 || number == VbErrorNo::PathNotFound)
            return true;
        return fail(number, errorText(ec));
    });
}

bool Cls_FileSystem::PFncBln_CopyFile(const QString &Astr_Source, const QString &Astr_Distination,
                                      bool Abln_Overwrite)
{
    clearError();
    return recorded(false, [&] {
        const QString sourceText = normalisedSeparators(Astr_Source);
        const QString targetText = normalisedSeparators(Astr_Distination);
        const fs::path source = toFsPath(sourceText);
        std::error_code ec;
        if (sourceText.isEmpty() || sourceText.endsWith(u'/') ||
            !fs::is_regular_file(fs::status(source, ec)))
            return fail(VbErrorNo::FileNotFound, textOf(std::errc::no_such_file_or_directory));
        if (targetText.isEmpty())
            return fail(VbErrorNo::InvalidArgument, textOf(std::errc::invalid_argument));
        fs::path target = toFsPath(withoutTrailingSeparators(targetText));
        if (targetText.endsWith(u'/'))
            target /= source.filename();
        FsError err;
        if (!copyFileTo(source, target, Abln_Overwrite, err))
            return fail(errorNumber(err.ec, err.missing), errorText(err.ec));
        return true;
    });
}

bool Cls_FileSystem::PFncBln_DeleteFile(const QString &Astr_Path, bool Abln_Force)
{
    clearError();
    return recorded(false, [&] {
        const QString text = normalisedSeparators(Astr_Path);
        if (text.isEmpty() || text.endsWith(u'/'))
            return true; // names no file, so no file is there
        const fs::path path = toFsPath(text);
        std::error_code ec;
        const fs::file_status linkStatus = fs::symlink_status(path, ec);
        if (!fs::exists(linkStatus))
            return true;
        if (fs::is_directory(linkStatus)) {
            // A folder of that name is not a missing file: report it instead of success.
            ec = std::make_error_code(std::errc::is_a_directory);
        } else if (!Abln_Force && !fs::is_symlink(linkStatus) && isReadOnly(path)) {
            ec = std::make_error_code(std::errc::permission_denied);
        } else {
            fs::remove(path, ec);
        }
        const int number = ec ? errorNumber(ec, Missing::File) : 0;
        if (number == 0 || number == VbErrorNo::FileNotFound)
            return true;
        return fail(number, errorText(ec));
    });
}

bool Cls_FileSystem::PFncBln_CheckDriveExists(const QString &Astr_Path) const
{
    const QString drive = PFncStr_GetDriveName(Astr_Path);
    return !drive.isEmpty() && QFileInfo(drive).isDir();
}

bool Cls_FileSystem::PFncBln_CheckFolderExists(const QString &Astr_Path) const
{
    const QString path = normalisedSeparators(Astr_Path);
    if (path.isEmpty())
        return false;
    if (!hasWildcard(path))
        return QFileInfo(path).isDir();
    // Only folders count: a file matching the pattern is no folder.
    return !listMatching(withoutTrailingSeparators(path), EntryKind::Folders).isEmpty();
}

bool Cls_FileSystem::PFncBln_CheckFileExists(const QString &Astr_Path) const
{
    return !listMatching(Astr_Path, EntryKind::Files).isEmpty();
}

// On a Unix file system every absolute path lies on the one drive "/"; a relative path names
// no drive, as a Windows path without a drive letter does.
QString Cls_FileSystem::PFncStr_GetDriveName(const QString &Astr_Path) const
{
    const fs::path path = toFsPath(normalisedSeparators(Astr_Path));
    if (path.has_root_name())
        return fromFsPath(path.root_name());
    if (path.is_absolute())
        return fromFsPath(path.root_directory());
    return {};
}

double Cls_FileSystem::PFncCur_GetFolderSize(const QString &Astr_Path)
{
    clearError();
    return recorded(0.0, [&] {
        const QString text = withoutTrailingSeparators(Astr_Path);
        const fs::path path = toFsPath(text);
        std::error_code ec;
        if (text.isEmpty() || !fs::is_directory(fs::status(path, ec))) {
            fail(VbErrorNo::PathNotFound, textOf(std::errc::no_such_file_or_directory));
            return 0.0;
        }
        std::uintmax_t total = 0;
        // Links are not followed: a linked tree is counted where it really lies.
        fs::recursive_directory_iterator it(path, ec);
        for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
            std::error_code entryError;
            if (it->is_regular_file(entryError) && !it->is_symlink(entryError)) {
                const std::uintmax_t size = it->file_size(entryError);
                if (!entryError)
                    total += size;
            }
        }
        if (ec) {
            fail(errorNumber(ec, Missing::Path), errorText(ec));
            return 0.0;
        }
        return toKibCurrency(total);
    });
}

bool Cls_FileSystem::ChangeBln_ReadOnlyAttr(const QString &Astr_Path, bool Abln_ReadOnly)
{
    clearError();
    return recorded(false, [&] {
        const QString text = withoutTrailingSeparators(Astr_Path);
        const fs::path path = toFsPath(text);
        std::error_code ec;
        const fs::file_status st = fs::status(path, ec);
        if (text.isEmpty() || !fs::exists(st))
            return fail(VbErrorNo::FileNotFound, textOf(std::errc::no_such_file_or_directory));
        if (!setReadOnly(path, Abln_ReadOnly, ec))
            return fail(errorNumber(ec, Missing::File), errorText(ec));
        if (fs::is_directory(st)) {
            // Links inside are left alone: their targets lie outside the folder.
            fs::recursive_directory_iterator it(path, ec);
            for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
                const bool link = it->is_symlink(ec);
                if (ec)
                    break;
                if (!link && !setReadOnly(it->path(), Abln_ReadOnly, ec))
                    break;
            }
            if (ec)
                return fail(errorNumber(ec, Missing::File), errorText(ec));
        }
        return true;
    });
}

QStringList Cls_FileSystem::GetCol_EnumSubDirList(const QString &Astr_Path)
{
    clearError();
    const QStringList names = recorded(QStringList(), [&] {
        const QString text = withoutTrailingSeparators(Astr_Path);
        std::error_code ec;
        if (text.isEmpty() || !fs::is_directory(fs::status(toFsPath(text), ec))) {
            fail(VbErrorNo::PathNotFound, textOf(std::errc::no_such_file_or_directory));
            return QStringList();
        }
        QStringList found = QDir(text).entryList(
            QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        sortWindowsOrder(found);
        return found;
    });
    if (m_errorNo != 0)
        Sub_ShowError({m_errorNo, m_errorText, QStringLiteral("Cls_FileSystem")});
    return names;
}

QStringList Cls_FileSystem::GetCol_EnumFileList(const QString &Astr_Path) const
{
    try {
        return listMatching(Astr_Path, EntryKind::Files);
    } catch (const std::exception &) {
        return {};
    }
}

QString Cls_FileSystem::GetStr_ParentFolderPath(const QString &Astr_Path) const
{
    const QString path = withoutTrailingSeparators(Astr_Path);
    const fs::path fsPath = toFsPath(path);
    if (path.isEmpty() || isRootPath(fsPath))
        return {};
    qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) {
#ifdef Q_OS_WIN
        if (path.size() > 2 && path.at(1) == u':')
            return path.left(2);
#endif
        return {};
    }
    // "a//b" has the parent "a", "/a" the root.
    while (slash > 0 && path.at(slash - 1) == u'/')
        --slash;
    const QString parent = path.left(slash);
    if (parent.isEmpty())
        return QStringLiteral("/");
#ifdef Q_OS_WIN
    if (parent.size() == 2 && parent.at(1) == u':')
        return parent + u'/';
#endif
    return parent;
}

// The drive of a path is valid when the path names one and it can be reached.
bool Cls_FileSystem::ChkBln_IsDriveValid(const QString &Astr_Path) const
{
    const QString drive = PFncStr_GetDriveName(Astr_Path);
    if (drive.isEmpty())
        return false;
    const QFileInfo info(drive);
    return info.isDir() && info.isReadable();
}

bool Cls_FileSystem::ChkBln_IsFolderNameValid(const QString &Astr_Path) const
{
    const QString given = normalisedSeparators(Astr_Path);
    const QString drive = PFncStr_GetDriveName(given);
    // The lengths are measured from the root ("C:\" there, "/" here): at least a root, and a
    // trailing separator beyond it is dropped.
    const fs::path asPath = toFsPath(given);
    const qsizetype rootLength = fromFsPath(asPath.root_path()).size();
    if (given.isEmpty() || given.size() < rootLength)
        return false;
    QString candidate = given;
    if (candidate.size() > rootLength && candidate.endsWith(u'/'))
        candidate.chop(1);
    if (absolutePathName(candidate) != candidate)
        return false;
    if (PFncBln_CheckFileExists(candidate))
        return false;
    if (!ChkBln_IsDriveValid(candidate))
        return false;
    static const QString forbidden = QStringLiteral("\\/:,;*?\"<>|'");
    const QStringList parts = given.mid(drive.size()).split(u'/');
    for (const QString &part : parts) {
        for (const QChar c : forbidden) {
            if (part.contains(c))
                return false;
        }
    }
    return true;
}

bool Cls_FileSystem::PFncBln_ChangeFileName(const QString &Astr_OldPath,
                                            const QString &Astr_NewPath)
{
    clearError();
    return recorded(false, [&] {
        const QString oldText = withoutTrailingSeparators(Astr_OldPath);
        const QString newText = withoutTrailingSeparators(Astr_NewPath);
        const fs::path from = toFsPath(oldText);
        const fs::path to = toFsPath(newText);
        std::error_code ec;
        if (oldText.isEmpty() || !fs::exists(fs::symlink_status(from, ec)))
            return fail(VbErrorNo::FileNotFound, textOf(std::errc::no_such_file_or_directory));
        if (newText.isEmpty()) {
            ec = std::make_error_code(std::errc::invalid_argument);
        } else if (fs::exists(fs::symlink_status(to, ec))) {
            // rename() would silently replace the other file.
            ec = std::make_error_code(std::errc::file_exists);
        } else {
            fs::rename(from, to, ec);
        }
        if (ec)
            return fail(errorNumber(ec, Missing::Path), errorText(ec));
        return true;
    });
}

bool Cls_FileSystem::PFncBln_MoveDirectory(const QString &Astr_BasePath,
                                           const QString &Astr_MovePath)
{
    return recorded(false, [&] {
        const QString sourceText = withoutTrailingSeparators(Astr_BasePath);
        const QString targetText = normalisedSeparators(Astr_MovePath);
        const fs::path source = toFsPath(sourceText);
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(source, ec);
        if (sourceText.isEmpty() || !fs::is_directory(st))
            return fail(VbErrorNo::PathNotFound, textOf(std::errc::no_such_file_or_directory));
        fs::path target = toFsPath(withoutTrailingSeparators(targetText));
        if (targetText.endsWith(u'/'))
            target /= source.filename();
        if (targetText.isEmpty()) {
            ec = std::make_error_code(std::errc::invalid_argument);
        } else if (fs::exists(fs::symlink_status(target, ec))) {
            ec = std::make_error_code(std::errc::file_exists);
        } else if (isRootPath(fs::absolute(source)) || isInside(target, source)) {
            ec = std::make_error_code(std::errc::invalid_argument);
        } else {
            fs::rename(source, target, ec);
        }
        if (ec)
            return fail(errorNumber(ec, Missing::Path), errorText(ec));
        return true;
    });
}

bool Cls_FileSystem::PFncBln_MoveFile(const QString &Astr_BasePath, const QString &Astr_MovePath)
{
    return recorded(false, [&] {
        const QString sourceText = normalisedSeparators(Astr_BasePath);
        const QString targetText = normalisedSeparators(Astr_MovePath);
        const fs::path source = toFsPath(sourceText);
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(source, ec);
        if (sourceText.isEmpty() || sourceText.endsWith(u'/') || !fs::exists(st) ||
            fs::is_directory(st))
            return fail(VbErrorNo::FileNotFound, textOf(std::errc::no_such_file_or_directory));
        fs::path target = toFsPath(withoutTrailingSeparators(targetText));
        if (targetText.endsWith(u'/'))
            target /= source.filename();
        FsError err;
        if (targetText.isEmpty()) {
            err.ec = std::make_error_code(std::errc::invalid_argument);
        } else if (fs::exists(fs::symlink_status(target, ec))) {
            err.ec = std::make_error_code(std::errc::file_exists);
        } else {
            fs::rename(source, target, ec);
            if (ec == std::errc::cross_device_link && fs::is_regular_file(st)) {
                ec.clear();
                moveFileAcrossDevices(source, target, err);
            } else {
                err = {ec, Missing::Path};
            }
        }
        if (err.ec)
            return fail(errorNumber(err.ec, err.missing), errorText(err.ec));
        return true;
    });
}

QStringList Cls_FileSystem::PFncCol_EnumFileList(const QString &Astr_Path) const
{
    return GetCol_EnumFileList(Astr_Path);
}
