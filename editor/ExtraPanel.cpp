#include "ExtraPanel.h"

#include "CatalogPanel.h"
#include "GridHighlight.h"
#include "ui_ExtraPanel.h"

ExtraPanel::ExtraPanel(QWidget *parent)
    : QFrame(parent)
    , m_ui(std::make_unique<Ui::ExtraPanel>())
{
    m_ui->setupUi(this);
    const Ui::ExtraPanel &ui = *m_ui;
    m_cells[0] = {ui.Lbl_Box01_0, ui.Lbl_Box01_1, ui.Lbl_Box01_2, ui.Lbl_Box01_3, ui.Lbl_Box01_4};
    m_cells[1] = {ui.Lbl_Box02_0, ui.Lbl_Box02_1, ui.Lbl_Box02_2, ui.Lbl_Box02_3, ui.Lbl_Box02_4};
    m_cells[2] = {ui.Lbl_Box03_0, ui.Lbl_Box03_1, ui.Lbl_Box03_2, ui.Lbl_Box03_3, ui.Lbl_Box03_4};
    for (const QList<QLabel *> &column : m_cells) {
        for (QLabel *cell : column) {
            cell->installEventFilter(this);
        }
    }
    connect(ui.Cmd_CreateNewNodes, &QPushButton::clicked, this, &ExtraPanel::createRequested);

    QList<QList<QWidget *>> columns;
    for (const QList<QLabel *> &column : m_cells) {
        columns.append(QList<QWidget *>(column.cbegin(), column.cend()));
    }
    m_grid = new GridHighlight(columns, this);
    // The catalogues sit beside the grid.
    m_catalogs = new CatalogPanel(this);
    ui.layout_19->insertWidget(ui.layout_19->indexOf(ui.Fra_Wizard) + 1, m_catalogs);
    connect(m_catalogs, &CatalogPanel::catalogChosen, this, &ExtraPanel::catalogChosen);
}

ExtraPanel::~ExtraPanel() = default;

QString ExtraPanel::columns() const
{
    return m_ui->Txt_Cols->text();
}

QString ExtraPanel::rows() const
{
    return m_ui->Txt_Rows->text();
}

bool ExtraPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int column = 0; column < 3; ++column) {
            const qsizetype row = m_cells[column].indexOf(qobject_cast<QLabel *>(watched));
            if (row >= 0) {
                m_ui->Txt_Cols->setText(QString::number(column + 1));
                m_ui->Txt_Rows->setText(QString::number(row + 1));
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}
