#include "Frm_NewName.h"

#include "platform_wrappers.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Frm_NewName::Frm_NewName(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_NewName"));
    setWindowTitle(QStringLiteral("新しい名称を入力して下さい"));
    setModal(true);

    m_txtNewName = new QLineEdit(this);
    m_txtNewName->setObjectName(QStringLiteral("Txt_NewName"));
    m_txtNewName->setMinimumWidth(320);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("Cmd_OK"));
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("Cmd_Cancel"));
    // Enter in the text box is handled there; a default button would answer it a second time.
    m_cmdOK->setAutoDefault(false);
    m_cmdCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_txtNewName);
    layout->addLayout(buttons);

    connect(m_txtNewName, &QLineEdit::returnPressed, this, &Frm_NewName::Cmd_OK_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &Frm_NewName::Cmd_OK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &Frm_NewName::Cmd_Cancel_Click);
    // Escape reaches QDialog::reject, which leaves the accepted flag False.
}

Frm_NewName::~Frm_NewName() = default;

void Frm_NewName::Set_DefaultString(const QString &strA_Text)
{
    m_txtNewName->setText(strA_Text);
    m_txtNewName->selectAll();
}

QString Frm_NewName::FncStr_CleanName(const QString &text)
{
    QString name = text;
    name.remove(QStringLiteral("\r\n"));
    name.remove(QLatin1Char('\n'));
    name.remove(QLatin1Char('\r'));
    name.remove(QLatin1Char('\t'));
    return name;
}

void Frm_NewName::Cmd_OK_Click()
{
    // A name of line breaks and tabs only would become an empty, invisible node.
    const QString name = FncStr_CleanName(m_txtNewName->text());
    if (name.isEmpty()) {
        FncInt_MessageBox(MsgBox::Exclamation,
                          QStringLiteral("新しい名称が入力されておりません。\r\n"
                                         "きっちり入力してからこのボタンを押下してください。"),
                          QStringLiteral("確認"));
        m_txtNewName->setFocus();
        return;
    }
    m_accepted = true;
    m_enteredName = name;
    accept();
}

void Frm_NewName::Cmd_Cancel_Click()
{
    reject();
}
