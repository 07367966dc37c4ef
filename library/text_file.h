// Setting files on disk: code page 932 text with CR LF line ends, replaced atomically.
#pragma once

#include "cp932_codec.h"
#include "platform_wrappers.h"

#include <QString>
#include <optional>

class TextFile final
{
public:
    TextFile() = delete;

    // Reads the whole file as code page 932. A line ends at CR or CR LF (a lone LF stays
    // in its line) and every line comes back followed by CR LF. A read error part way is a
    // failure like a file that cannot be opened: no part of the text comes back.
    static std::optional<QString> read(const QString &path, VbError *error = nullptr);

    // Writes the text as code page 932 through a synced temporary file in the same folder
    // that then replaces the old file, so a refused or failed save leaves the old file as it
    // was. A full disk (also a quota or the file size limit) is error 61 "Disk full".
    static bool write(const QString &path, const QString &text, VbError *error = nullptr,
                      Cp932Unencodable *unencodable = nullptr);

    // The line splitting of read() applied to text already in memory.
    static QString normaliseLineEnds(const QString &text);

    // Folder (surrounding spaces trimmed) and name with exactly one separator between
    // them; an empty folder gives the name alone.
    static QString joinPath(const QString &folder, const QString &name);
};
