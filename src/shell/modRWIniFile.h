#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The settings file: an 8-bit INI file of [section] and key=value lines, in which
// section and key names match without regard to case.
namespace modRWIniFile {

// The buffer size the window passes to every read: at most 255 characters come back.
inline constexpr int IniBufferSize = 256;

// A file larger than this is no settings file: it reads as missing and is never replaced.
inline constexpr qint64 MaxIniFileSize = 64 * 1024 * 1024;

// The settings file "TessraPrg.ini": the one in the program's own folder where it stands there (a portable copy),
// otherwise the one in the user's folder, which need not exist yet; without a user's folder, the program's.
QString InitIniPath(const QString &programFolder, const QString &userFolder = QString());

// The user's folder for the settings file of an installed program: TessraProg in the user's configuration folder.
QString UserSettingsFolder();

// The value of key in section, or defaultValue when the file, the section or the key is
// missing or the file cannot be read; either way at most size - 1 characters of it. Bytes
// are taken as Latin-1, blanks around the value are not part of it (nor at the end of one
// that was cut), and of a key that appears twice the last value counts.
QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue,
                     const QString &file, int size);

// Sets key in section to value, creating the file, the section or the key as needed. An
// existing key keeps its line and its spelling; the other sections, keys and comments keep
// their order and the file its line ends. The file is written anew in the library's layout:
// "key=value", blank lines only before comments and between sections, and lines that are
// neither section, key nor comment left out. It is replaced as a whole, so a failed write
// leaves the previous file untouched. Returns false, and changes nothing, when the file
// cannot be read or written or the section or key cannot be a name on an INI line.
// Line breaks in value become blanks; characters beyond Latin-1 become "?".
bool WriteIniValue(const QString &section, const QString &key, const QString &value, const QString &file);

// Sets several keys of section at once, each as WriteIniValue sets it, in one replacement of the file: either all of
// them are kept or none is. Returns false, and changes nothing, where WriteIniValue would fail for any of them.
using IniValues = QList<QPair<QString, QString>>;
bool WriteIniValues(const QString &section, const IniValues &values, const QString &file);

} // namespace modRWIniFile
