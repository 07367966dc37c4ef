// The ready-made colour schemes and the conversions between the six-digit colour text of a
// setting file and a display colour.
#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <array>

namespace ColorSchemes {

// Rows in the order Base, Title, Label, Back, Fore (SettingFormat::ColorKeys).
inline constexpr int RowCount = 5;

struct Scheme
{
    QString caption;
    std::array<QString, RowCount> values;
};

// Cmd_DefaultColor 0–11 and Cmd_DefaultColorBlack 0–5.
const QList<Scheme> &lightSchemes();
const QList<Scheme> &blackSchemes();

QString schemeStatus(const QString &caption);

// A row's text after showing it: padded on the left with zeros to six characters, or its
// last six characters when longer (ff → 0000ff).
QString normalizeRow(const QString &text);
// The colour of a row's text: digits-only text padded to six first; each pair read as a
// hexadecimal number up to its first non-hexadecimal character (none gives 0).
QColor fromText(const QString &text);
// Red, green and blue as two upper-case hexadecimal digits each (pure red → FF0000).
QString fromColor(const QColor &color);

// Flag values of the whole-window options: true exactly when, lower-cased, it is "true".
bool flagOn(const QString &text);
QString flagText(bool on);

} // namespace ColorSchemes
