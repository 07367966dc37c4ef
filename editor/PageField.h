// One field of a page as the save checks see it: the control, its label in messages, its
// key in the setting file and its value.
#pragma once

#include <QList>
#include <QString>

class QWidget;

struct PageField
{
    QWidget *field = nullptr;
    QString label;
    QString key;
    QString value;
};

using PageFields = QList<PageField>;
