// ExtraPanel: the panel under the tree that "Option" opens, holding the grid creator
// (columns and rows picked from a grid of cells).
#pragma once

#include <QFrame>
#include <memory>

class CatalogPanel;
class GridHighlight;
class QLabel;

namespace Ui {
class ExtraPanel;
}

class ExtraPanel final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExtraPanel)

public:
    explicit ExtraPanel(QWidget *parent = nullptr);
    ~ExtraPanel() override;

    QString columns() const;
    QString rows() const;

signals:
    void createRequested();
    // A catalogue label was clicked and the question answered Yes.
    void catalogChosen(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::ExtraPanel> m_ui;
    // Cell k of column c is the label "Lbl_Box0<c + 1>_<k>".
    QList<QLabel *> m_cells[3];
    CatalogPanel *m_catalogs = nullptr;
    GridHighlight *m_grid = nullptr;
};
