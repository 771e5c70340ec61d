// The settings file, as start-up reads it and unload writes it, for any content of the file.
// Input: the content of TessraPrg.ini.
// Properties:
// - start-up reads every key without failing and gets at most 255 characters;
// - unload writes every key, and a second start-up reads the window's texts back exactly as they were;
// - every other value of the file, in the window's section or any other, reads as before: writing the window's
//   keys loses nothing of what people added;
// - texts the window holds (the input's lines put into its fields) come back from a round trip wherever the file
//   can hold them: Latin-1, one line, no blanks around them, at most 255 characters, and an address row that is
//   four parts.

#include "FuzzSupport.h"

#include "shell/IniSnapshot.h"
#include "shell/SettingsKeys.h"
#include "shell/modRWIniFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

using namespace FuzzSupport;
using namespace SettingsKeys;
using namespace modRWIniFile;

namespace {

constexpr int AddressRows = 4; // the first keys written, four parts joined with "."
const QString Section = QString::fromLatin1(IniSection);
// In memory where the system offers it: every write of the file ends with a flush to its disk, which would set the pace
// of the whole run.
const QTemporaryDir Folder((QFileInfo("/dev/shm").isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                           + "/settings_fuzz-XXXXXX");
const QString IniPath = InitIniPath(Folder.path());

// As the window starts: one read of the file for all keys.
SettingsTexts startUp(const IniSnapshot &stored)
{
    SettingsTexts texts;
    applyStoredSettings(texts, [&stored](const QString &key) {
        const QString value = stored.value(Section, key, QString(), IniBufferSize);
        require(value.size() < IniBufferSize, "a value read fits the buffer", key);
        return value;
    });
    return texts;
}

// As the window unloads: every key in one write of the file.
void unload(const SettingsTexts &texts)
{
    require(WriteIniValues(Section, settingsToStore(texts), IniPath), "every key is written");
}

// The keys a hand-written file holds that the window does not write, as a reader sees them: "[section]" lines and
// the text before "=" of the lines after them (before the first section, the nameless one's). A file rarely names more
// than 24; beyond them the check costs more than it finds.
QList<QPair<QString, QString>> othersIn(QByteArray content)
{
    QSet<QString> seen;
    for (const auto &entry : settingsToStore(SettingsTexts()))
        seen.insert((Section + u'\n' + entry.first).toLower());
    QList<QPair<QString, QString>> others;
    QString section;
    for (const QByteArray &raw : content.replace('\r', '\n').replace('\0', '\n').split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        const QString key = line.section(u'=', 0, 0).trimmed();
        const QString name = (section + u'\n' + key).toLower();
        if (line.startsWith(u'['))
            section = line.mid(1).section(u']', 0, 0).trimmed();
        else if (line.indexOf(u'=') > 0 && !line.startsWith(u';') && !line.startsWith(u'#') && !key.isEmpty()
                 && others.size() < 24 && !seen.contains(name)) {
            seen.insert(name);
            others.append({section, key});
        }
    }
    return others;
}

// Their values as the file holds them.
QStringList valuesOf(const QList<QPair<QString, QString>> &others, const IniSnapshot &stored)
{
    QStringList values;
    for (const auto &[section, key] : others)
        values << QStringLiteral("[%1] %2=").arg(section, key) + stored.value(section, key, "\x01missing", 1 << 20);
    return values;
}

// Whether a value comes back from the file as it was written: Latin-1 on one line, no blanks around it.
bool canBeStored(const QString &value)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    const auto kept = [](QChar c) { return c.unicode() <= 0xFF && c != u'\r' && c != u'\n' && c != QChar(0); };
    return value.size() < IniBufferSize && (value.isEmpty() || (!blank(value.front()) && !blank(value.back())))
        && std::all_of(value.begin(), value.end(), kept);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    QFile file(IniPath);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size(),
            "the fuzz input can be put into the file");
    file.close();
    const QList<QPair<QString, QString>> others = othersIn(content);
    QStringList otherValues;
    SettingsTexts read;
    {
        const IniSnapshot stored(IniPath);
        otherValues = valuesOf(others, stored);
        read = startUp(stored);
    }
    unload(read);
    {
        const IniSnapshot stored(IniPath);
        require(startUp(stored) == read, "a second start-up reads what the first one did");
        require(valuesOf(others, stored) == otherValues, "values the window does not write are kept",
                otherValues.join(u'\n'));
    }

    // The input's lines, one after the other, in the fields the window keeps.
    SettingsTexts typed = read;
    const QList<QByteArray> lines = content.split('\n');
    qsizetype next = 0;
    for (QString &field : typed.text1)
        field = QString::fromUtf8(lines[next++ % lines.size()]);
    for (QString &field : typed.text3)
        field = QString::fromUtf8(lines[next++ % lines.size()]);
    typed.select = content.size() % 2;
    unload(typed);
    const StoredValues wanted = settingsToStore(typed), got = settingsToStore(startUp(IniSnapshot(IniPath)));
    for (qsizetype k = 0; k < wanted.size(); ++k) {
        const QString &value = wanted[k].second;
        if (canBeStored(value) && (k >= AddressRows || value.count(u'.') == AddressRows - 1))
            require(got[k].second == value, "a text the file can hold comes back",
                    QStringLiteral("%1: [%2] came back as [%3]").arg(wanted[k].first, value, got[k].second));
    }
    return 0;
}
