// Frm_NewName: the modal dialog that asks for the name of a new frame or item.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

class Frm_NewName final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Frm_NewName)

public:
    explicit Frm_NewName(QWidget *parent = nullptr);
    ~Frm_NewName() override;

    void Set_DefaultString(const QString &strA_Text);
    // Kept for callers that hand over a folder; nothing reads it.
    void Set_Directory_SaveFile(const QString &strA_Folder) { m_saveFolder = strA_Folder; }

    QString EnteredName() const { return m_enteredName; }
    bool IsAccepted() const { return m_accepted; }

    // The name as it is stored: one line, no tabs.
    static QString FncStr_CleanName(const QString &text);

private:
    void Cmd_OK_Click();
    void Cmd_Cancel_Click();

    QLineEdit *m_txtNewName = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    QString m_enteredName;
    QString m_saveFolder;
    bool m_accepted = false;
};
