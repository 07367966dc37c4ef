// The two ready-made groups of frames the editor can append to a setting: titles, items per
// line and item names only; the user fills in the rest.
#pragma once

#include "setting_values.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace SettingCatalog {

struct CatalogFrame
{
    QString title;
    QString lineCount;
    QStringList itemNames;
};

struct Catalog
{
    QString caption;
    QList<CatalogFrame> frames;
};

// Every frame of a catalogue gets this frame font.
inline const QString FrameFont = QStringLiteral("Times New Roman");

// Lbl_DefaultSetting 0 and 1.
const QList<Catalog> &catalogs();

// The frames of catalogue index as they are inserted: title, frame font, line count and one
// named item per non-empty name, each stored as an empty data item. Empty for a bad index.
QList<SettingFrame> frames(int index);

// The Yes/No question asked before inserting: four CR LF-ended lines, the last empty.
QString question(const QString &caption);

} // namespace SettingCatalog
