#include "shell/modRWIniFile.h"
#include "shell/IniSnapshot.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <string>

// Debian's SimpleIni.h keeps its implementation behind SI_IMPLEMENTATION; the 8-bit
// interface needs no character conversion, so ConvertUTF is not wanted either.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace modRWIniFile {
namespace {

// While the file is parsed, this section closes it, so that comments after the last key,
// which SimpleIni would otherwise drop, attach to it and can be written back at the end.
// It has no letters, so no hand-written section matches it in any case.
constexpr char TrailingCommentSection[] = "\x01\x02\x03\x7f";

constexpr char Utf8Bom[] = "\xEF\xBB\xBF";

enum class FileState { Missing, Loaded, Unusable };

struct FileContent
{
    FileState state = FileState::Missing;
    QByteArray bytes;
};

FileContent loadFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    // A folder, a pipe or a device would fail or block the read; none is a settings file.
    if (!info.isFile() || info.size() > MaxIniFileSize)
        return {FileState::Unusable, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {FileState::Unusable, {}};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxIniFileSize)
        return {FileState::Unusable, {}};
    return {FileState::Loaded, bytes};
}

// A NUL byte cannot be part of a line's text; taken as a line end, it leaves the lines
// after it readable instead of ending the file there.
QByteArray withoutNul(QByteArray bytes)
{
    return bytes.replace('\0', '\n');
}

// SimpleIni skips a "[" line that lacks its "]", but takes the rest of the text from there
// as the name of the section of the keys that follow, lines and all; every save then writes
// that name out again with one line more. Such a line is left out before parsing, as every
// other line that is neither section, key nor comment is.
QByteArray withoutUnclosedSections(QByteArray bytes)
{
    const auto isLineEnd = [](char c) { return c == '\n' || c == '\r'; };
    // SimpleIni takes a UTF-8 byte-order mark at the start for no part of the first line.
    qsizetype lineStart = bytes.startsWith(Utf8Bom) ? qsizetype(std::strlen(Utf8Bom)) : 0;
    while (lineStart < bytes.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < bytes.size() && !isLineEnd(bytes.at(lineEnd)))
            ++lineEnd;
        qsizetype first = lineStart;
        while (first < lineEnd && (bytes.at(first) == ' ' || bytes.at(first) == '\t'))
            ++first;
        const QByteArrayView line(bytes.constData() + first, lineEnd - first);
        if (line.startsWith('[') && !line.contains(']'))
            std::fill(bytes.begin() + first, bytes.begin() + lineEnd, ' ');
        lineStart = lineEnd + 1;
    }
    return bytes;
}

// What SimpleIni is given to parse.
QByteArray parseable(const QByteArray &bytes)
{
    return withoutUnclosedSections(withoutNul(bytes));
}

// The file keeps the line ends it has; a new file gets the platform's own.
QByteArray lineEndOf(const QByteArray &bytes)
{
    const qsizetype firstBreak = bytes.indexOf('\n');
    if (firstBreak > 0 && bytes.at(firstBreak - 1) == '\r')
        return QByteArrayLiteral("\r\n");
    if (firstBreak >= 0)
        return QByteArrayLiteral("\n");
    return QByteArrayLiteral(SI_NEWLINE_A);
}

// Only the last value of a repeated key counts; every value is one line, written "key=value".
void configure(CSimpleIniA &ini)
{
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetQuotes(false);
    ini.SetAllowKeyOnly(false);
    ini.SetSpaces(false);
}

bool hasLineBreak(const QString &name)
{
    return name.contains(u'\r') || name.contains(u'\n') || name.contains(QChar(u'\0'));
}

// A section name ends at "]"; a key at "=", and a line starting with ";", "#" or "[" is
// a comment or a section, not a key.
bool canBeSectionName(const QString &section)
{
    return !section.trimmed().isEmpty() && !hasLineBreak(section) && !section.contains(u']');
}

bool canBeKeyName(const QString &key)
{
    const QString trimmed = key.trimmed();
    return !trimmed.isEmpty() && !hasLineBreak(key) && !key.contains(u'=') && !trimmed.startsWith(u';')
        && !trimmed.startsWith(u'#') && !trimmed.startsWith(u'[');
}

// Blanks around a name are not part of it, in the file as in a look-up.
QByteArray iniName(const QString &name)
{
    return name.trimmed().toLatin1();
}

// A value is one line: a line break in it would start a key of its own.
QByteArray oneLine(const QString &value)
{
    QByteArray bytes = value.toLatin1();
    std::replace_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return bytes;
}

QByteArray commentOfSection(const CSimpleIniA &ini, const char *section)
{
    CSimpleIniA::TNamesDepend sections;
    ini.GetAllSections(sections);
    for (const CSimpleIniA::Entry &entry : sections) {
        if (std::strcmp(entry.pItem, section) == 0 && entry.pComment)
            return QByteArray(entry.pComment);
    }
    return {};
}

} // namespace

QString InitIniPath(const QString &programFolder, const QString &userFolder)
{
    const QString portable = QDir(programFolder).filePath(QStringLiteral("TessraPrg.ini"));
    return userFolder.isEmpty() || QFileInfo::exists(portable) ? portable
                                                                : QDir(userFolder).filePath(QStringLiteral("TessraPrg.ini"));
}

QString UserSettingsFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("TessraProg"));
}

struct IniSnapshot::Parsed
{
    CSimpleIniA ini;
};

IniSnapshot::IniSnapshot(const QString &file)
{
    const FileContent content = loadFile(file);
    if (content.state != FileState::Loaded)
        return;
    const QByteArray bytes = parseable(content.bytes);
    auto parsed = std::make_unique<Parsed>();
    configure(parsed->ini);
    if (parsed->ini.LoadData(bytes.constData(), size_t(bytes.size())) >= 0)
        m_parsed = std::move(parsed);
}

IniSnapshot::~IniSnapshot() = default;

QString IniSnapshot::value(const QString &section, const QString &key, const QString &defaultValue, int size) const
{
    const qsizetype room = std::max(size - 1, 0); // the buffer keeps one place for its terminator
    QString value = defaultValue;
    if (m_parsed) {
        const char *stored = m_parsed->ini.GetValue(iniName(section).constData(), iniName(key).constData(), nullptr);
        if (stored) {
            value = QString::fromLatin1(stored);
            // A value cut to the buffer has no blanks at its new end either: so it reads as it will once written
            // back, and the next start-up sees the same text.
            if (value.size() > room) {
                value.truncate(room);
                while (value.endsWith(u' ') || value.endsWith(u'\t'))
                    value.chop(1);
            }
        }
    }
    return value.left(room);
}

QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue,
                     const QString &file, int size)
{
    return IniSnapshot(file).value(section, key, defaultValue, size);
}

bool WriteIniValue(const QString &section, const QString &key, const QString &value, const QString &file)
{
    return WriteIniValues(section, {{key, value}}, file);
}

bool WriteIniValues(const QString &section, const IniValues &values, const QString &file)
{
    if (!canBeSectionName(section)
        || !std::all_of(values.begin(), values.end(), [](const auto &entry) { return canBeKeyName(entry.first); }))
        return false;
    // A file that is there but cannot be read is not replaced: its settings would be lost.
    const FileContent content = loadFile(file);
    if (content.state == FileState::Unusable)
        return false;

    QByteArray bytes = parseable(content.bytes);
    const QByteArray lineEnd = lineEndOf(content.bytes);
    const bool keepsTrailingComment = !bytes.contains(TrailingCommentSection);
    if (keepsTrailingComment)
        bytes += QByteArray("\n[") + TrailingCommentSection + "]\n";

    CSimpleIniA ini;
    configure(ini);
    if (ini.LoadData(bytes.constData(), size_t(bytes.size())) < 0)
        return false;
    QByteArray trailingComment;
    if (keepsTrailingComment) {
        trailingComment = commentOfSection(ini, TrailingCommentSection);
        ini.Delete(TrailingCommentSection, nullptr);
    }
    for (const auto &[key, value] : values) {
        if (ini.SetValue(iniName(section).constData(), iniName(key).constData(), oneLine(value).constData()) < 0)
            return false;
    }
    std::string saved;
    if (ini.Save(saved, true) < 0)
        return false;

    QByteArray text = QByteArray::fromStdString(saved);
    if (!trailingComment.isEmpty())
        text += trailingComment + '\n';
    // A file that did not start with a byte-order mark must not start with one now: a key
    // whose name begins with those bytes, written first, would lose them at the next read.
    if (!ini.IsUnicode() && text.startsWith(Utf8Bom))
        text.prepend('\n');
    text.replace("\r\n", "\n");
    if (lineEnd != "\n")
        text.replace("\n", lineEnd);

    // Written beside the old file and renamed over it, so a full disk or a crash midway
    // leaves the old file as it was. QSaveFile commits a file that came out short (a full
    // disk ends a write without an error), so the write is unbuffered and its count checked.
    QSaveFile saveFile(file);
    if (!saveFile.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (saveFile.write(text) != text.size()) {
        saveFile.cancelWriting();
        return false;
    }
    return saveFile.commit();
}

} // namespace modRWIniFile
