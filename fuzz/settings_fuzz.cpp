// The settings file, as start-up reads it and unload writes it, for any
// content of the file.
//
// Input: the content of TessraPrg.ini.
//
// Properties:
// - start-up reads every key without failing and gets at most 255 characters;
// - unload writes every key, and a second start-up reads the window's texts
//   back exactly as they were;
// - every other value of the file, in the window's section or any other, reads
//   as before: writing the window's keys loses nothing of what people added;
// - texts the window holds (the input's lines put into its fields) come back
//   from a round trip wherever the file can hold them: Latin-1, one line, no
//   blanks around them, at most 255 characters, and an address row that is
//   four parts.

#include "FuzzSupport.h"

#include "shell/SettingsKeys.h"
#include "shell/modRWIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

using namespace FuzzSupport;
using namespace SettingsKeys;

namespace {

// Enough to read any value of a fuzz input whole.
constexpr int WholeValue = 1 << 20;
// A file rarely names more; beyond them the check would cost more than it finds.
constexpr int ProbeLimit = 24;
constexpr int AddressRows = 4;
constexpr int AddressSeparators = 3;
const QString Missing = QStringLiteral("\x01missing");
const QString Section = QString::fromLatin1(IniSection);

struct Probe
{
    QString section;
    QString key;
    QString value;
};

// In memory where the system offers it: every write of the file ends with a
// flush to its disk, which would set the pace of the whole run.
QString temporaryFolder()
{
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

const QString &iniPath()
{
    static QTemporaryDir folder(temporaryFolder() + QStringLiteral("/settings_fuzz-XXXXXX"));
    static const QString path = modRWIniFile::InitIniPath(folder.path());
    return path;
}

void writeFile(const QByteArray &content)
{
    QFile file(iniPath());
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size(),
            "the fuzz input can be put into the file");
}

SettingsTexts startUp()
{
    SettingsTexts texts;
    applyStoredSettings(texts, [](const QString &key) {
        const QString value =
            modRWIniFile::ReadIniValue(Section, key, QString(), iniPath(), modRWIniFile::IniBufferSize);
        require(value.size() < modRWIniFile::IniBufferSize, "a value read fits the buffer", key);
        return value;
    });
    return texts;
}

void unload(const SettingsTexts &texts)
{
    for (const auto &[key, value] : settingsToStore(texts))
        require(modRWIniFile::WriteIniValue(Section, key, value, iniPath()), "every key is written", key);
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The names a hand-written file gives its sections and keys, as a reader sees
// them: "[section]" lines and the text before "=" of the lines after them
// (before the first section, keys of the nameless one).
QList<Probe> probesOf(const QByteArray &content)
{
    QList<Probe> probes;
    QSet<QString> seen;
    QString section;
    QByteArray text = content;
    text.replace('\r', '\n').replace('\0', '\n');
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromLatin1(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            section = line.mid(1).section(u']', 0, 0).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const QString key = line.left(equals).trimmed();
        const QString name = section.toLower() + u'\n' + key.toLower();
        if (key.isEmpty() || seen.contains(name) || probes.size() >= ProbeLimit)
            continue;
        seen.insert(name);
        probes.append({section, key, QString()});
    }
    return probes;
}

bool writtenByTheWindow(const Probe &probe, const StoredValues &stored)
{
    if (probe.section.compare(Section, Qt::CaseInsensitive) != 0)
        return false;
    return std::any_of(stored.begin(), stored.end(),
                       [&](const auto &entry) { return entry.first.compare(probe.key, Qt::CaseInsensitive) == 0; });
}

void readProbes(QList<Probe> &probes)
{
    for (Probe &probe : probes)
        probe.value = modRWIniFile::ReadIniValue(probe.section, probe.key, Missing, iniPath(), WholeValue);
}

// Whether a value comes back from the file as it was written.
bool canBeStored(const QString &value)
{
    if (value.size() >= modRWIniFile::IniBufferSize)
        return false;
    if (!value.isEmpty() && (isSpace(value.front()) || isSpace(value.back())))
        return false;
    return std::all_of(value.begin(), value.end(),
                       [](QChar c) { return c.unicode() <= 0xFF && c != u'\r' && c != u'\n' && c != QChar(0); });
}

// The input's lines, one after the other, in the fields the window keeps.
SettingsTexts textsFrom(const QByteArray &content, SettingsTexts texts)
{
    const QList<QByteArray> lines = content.split('\n');
    qsizetype next = 0;
    const auto fill = [&](auto &fields) {
        for (QString &field : fields)
            field = QString::fromUtf8(lines[next++ % lines.size()]);
    };
    fill(texts.text1);
    fill(texts.text3);
    texts.select = content.size() % 2;
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    writeFile(content);

    QList<Probe> before = probesOf(content);
    readProbes(before);
    const SettingsTexts read = startUp();
    unload(read);
    const SettingsTexts readAgain = startUp();
    require(readAgain == read, "a second start-up reads what the first one did");

    const StoredValues stored = settingsToStore(read);
    QList<Probe> after = before;
    readProbes(after);
    for (qsizetype k = 0; k < before.size(); ++k) {
        if (writtenByTheWindow(before[k], stored))
            continue;
        require(after[k].value == before[k].value, "values the window does not write are kept",
                QStringLiteral("[%1] %2: %3 became %4")
                    .arg(before[k].section, before[k].key, before[k].value, after[k].value));
    }

    const SettingsTexts typed = textsFrom(content, read);
    unload(typed);
    const StoredValues wanted = settingsToStore(typed);
    const StoredValues got = settingsToStore(startUp());
    for (qsizetype k = 0; k < wanted.size(); ++k) {
        const QString &value = wanted[k].second;
        const bool row = k < AddressRows;
        if (!canBeStored(value) || (row && value.count(u'.') != AddressSeparators))
            continue;
        require(got[k].second == value, "a text the file can hold comes back",
                QStringLiteral("%1: [%2] came back as [%3]").arg(wanted[k].first, value, got[k].second));
    }
    return 0;
}
