#include "color_schemes.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ColorSchemes {

const QList<Scheme> &lightSchemes()
{
    static const QList<Scheme> schemes = {
        {u"Blue"_s, {u"C0C0FF"_s, u"000080"_s, u"0000C0"_s, u"9090FF"_s, u"FFFFFF"_s}},
        {u"Green"_s, {u"C0FFC0"_s, u"008000"_s, u"00C000"_s, u"90FF90"_s, u"FFFFFF"_s}},
        {u"Pink"_s, {u"FFC0FF"_s, u"800080"_s, u"C000C0"_s, u"FF90FF"_s, u"FFFFFF"_s}},
        {u"Gray"_s, {u"C0C0C0"_s, u"000000"_s, u"000000"_s, u"808080"_s, u"000000"_s}},
        {u"Black"_s, {u"000000"_s, u"FFFFFF"_s, u"FFFFFF"_s, u"FFFFFF"_s, u"000000"_s}},
        {u"Yellow"_s, {u"FAFA00"_s, u"808000"_s, u"808000"_s, u"C400C4"_s, u"FFFFFF"_s}},
        {u"Purple"_s, {u"8000FF"_s, u"FF80C0"_s, u"FF80C0"_s, u"800080"_s, u"FFFF80"_s}},
        {u"White"_s, {u"FFFFFF"_s, u"000000"_s, u"808080"_s, u"D0D0D0"_s, u"808080"_s}},
        {u"Extra 01"_s, {u"FAFFCE"_s, u"9D98FA"_s, u"9090DA"_s, u"D8FFE1"_s, u"5050EA"_s}},
        {u"Extra 02"_s, {u"383838"_s, u"808F94"_s, u"848484"_s, u"354656"_s, u"848484"_s}},
        {u"Extra 03"_s, {u"008000"_s, u"FF80FF"_s, u"FFFF80"_s, u"004000"_s, u"FFFFFF"_s}},
        {u"Orange"_s, {u"FF8000"_s, u"FFD0FF"_s, u"FFFFFF"_s, u"FFFFFF"_s, u"FF8000"_s}},
    };
    return schemes;
}

const QList<Scheme> &blackSchemes()
{
    static const QList<Scheme> schemes = {
        {u"Blue"_s, {u"000000"_s, u"0080FF"_s, u"00FFFF"_s, u"80FFFF"_s, u"0080FF"_s}},
        {u"Pink"_s, {u"000000"_s, u"FF00FF"_s, u"FF80FF"_s, u"FF80FF"_s, u"FFFFFF"_s}},
        {u"Orange"_s, {u"000000"_s, u"FF8080"_s, u"FF8040"_s, u"FF8040"_s, u"FFFFFF"_s}},
        {u"Green"_s, {u"000000"_s, u"00FF00"_s, u"00FF00"_s, u"80FF80"_s, u"008000"_s}},
        {u"Yellow"_s, {u"000000"_s, u"FAFA00"_s, u"FAFA00"_s, u"FFFF80"_s, u"6E0074"_s}},
        {u"Purple"_s, {u"000000"_s, u"A000FF"_s, u"D000D0"_s, u"FF5BFF"_s, u"FFFFFF"_s}},
    };
    return schemes;
}

QString schemeStatus(const QString &caption)
{
    return u"Default Settingの「"_s + caption + u"」を選択しました。"_s;
}

QString normalizeRow(const QString &text)
{
    return (u"000000"_s + text).right(6);
}

namespace {

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9') {
        return c.unicode() - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c.unicode() - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c.unicode() - u'A' + 10;
    }
    return -1;
}

// A two-character piece read as hexadecimal up to its first non-digit.
int readPair(QStringView pair)
{
    int value = 0;
    for (const QChar c : pair) {
        const int d = hexDigit(c);
        if (d < 0) {
            break;
        }
        value = value * 16 + d;
    }
    return value;
}

} // namespace

QColor fromText(const QString &text)
{
    QString s = text;
    const bool digitsOnly = !s.isEmpty() && std::all_of(s.cbegin(), s.cend(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (digitsOnly && s.size() < 6) {
        s = u"000000"_s.left(6 - s.size()) + s;
    }
    s.replace(u'\t', u' ');
    s = s.trimmed();
    const QStringView v(s);
    return QColor(readPair(v.mid(0, 2)), readPair(v.mid(2, 2)), readPair(v.mid(4, 2)));
}

QString fromColor(const QColor &color)
{
    return u"%1%2%3"_s.arg(color.red(), 2, 16, QChar(u'0'))
        .arg(color.green(), 2, 16, QChar(u'0'))
        .arg(color.blue(), 2, 16, QChar(u'0'))
        .toUpper();
}

bool flagOn(const QString &text)
{
    return text.toLower() == u"true"_s;
}

QString flagText(bool on)
{
    return on ? u"True"_s : u"False"_s;
}

} // namespace ColorSchemes
