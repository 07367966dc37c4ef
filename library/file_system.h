// Cls_FileSystem: file and folder operations that report failure as a result plus a
// remembered error number and text.
#pragma once

#include <QString>
#include <QStringList>

class Cls_FileSystem final
{
public:
    Cls_FileSystem() = default;

    QString GetStr_ErrorDetail() const { return m_errorText; }
    int GetLng_ErrorNo() const { return m_errorNo; }
    bool PFncBln_GetDriveFreeSpace(const QString &Astr_Path, double &Acur_Space);
    bool PFncBln_CopyFolder(const QString &Astr_Source, const QString &Astr_Distination,
                            bool Abln_Overwrite);
    bool PFncBln_CreateFolder(const QString &Astr_Path);
    bool PFncBln_DeleteFolder(const QString &Astr_Path, bool Abln_Force);
    bool PFncBln_CopyFile(const QString &Astr_Source, const QString &Astr_Distination,
                          bool Abln_Overwrite);
    bool PFncBln_DeleteFile(const QString &Astr_Path, bool Abln_Force);
    bool PFncBln_CheckDriveExists(const QString &Astr_Path) const;
    bool PFncBln_CheckFolderExists(const QString &Astr_Path) const;
    bool PFncBln_CheckFileExists(const QString &Astr_Path) const;
    QString PFncStr_GetDriveName(const QString &Astr_Path) const;
    double PFncCur_GetFolderSize(const QString &Astr_Path);
    bool ChangeBln_ReadOnlyAttr(const QString &Astr_Path, bool Abln_ReadOnly);
    QStringList GetCol_EnumSubDirList(const QString &Astr_Path);
    // Astr_Path is a folder joined with a file pattern ("*", "*.xml"); names sorted.
    QStringList GetCol_EnumFileList(const QString &Astr_Path) const;
    QString GetStr_ParentFolderPath(const QString &Astr_Path) const;
    bool ChkBln_IsDriveValid(const QString &Astr_Path) const;
    bool ChkBln_IsFolderNameValid(const QString &Astr_Path) const;
    bool PFncBln_ChangeFileName(const QString &Astr_OldPath, const QString &Astr_NewPath);
    bool PFncBln_MoveDirectory(const QString &Astr_BasePath, const QString &Astr_MovePath);
    bool PFncBln_MoveFile(const QString &Astr_BasePath, const QString &Astr_MovePath);
    QStringList PFncCol_EnumFileList(const QString &Astr_Path) const;

private:
    void clearError();
    void recordError(int number, const QString &text);
    // Records the error and gives the failure result, so that a check ends in one return.
    bool fail(int number, const QString &text);
    // Runs an operation; an exception it throws becomes a recorded error and the failure.
    template<typename Result, typename Operation>
    Result recorded(Result failure, Operation &&operation);

    QString m_errorText;
    int m_errorNo = 0;
};
