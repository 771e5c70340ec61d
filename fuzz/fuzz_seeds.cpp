// Writes the seed corpora of the fuzz targets from their tables in seeds/: one
// seed per line, written as hex (blanks are for reading), or as text in double
// quotes with the escapes \n \r \t \0 \\ \" and \xHH. "#" starts a comment.
//
//   fuzz_seeds <folder of tables> <folder of corpora>
// writes seeds/<target>.txt into <folder of corpora>/<target>/seed-<line>.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int HexBase = 16;
constexpr int HexEscapeDigits = 2;

bool unquote(const QByteArray &line, QByteArray &seed)
{
    seed.clear();
    for (qsizetype k = 1; k < line.size(); ++k) {
        const char c = line[k];
        if (c == '"')
            return line.mid(k + 1).trimmed().isEmpty();
        if (c != '\\') {
            seed += c;
            continue;
        }
        if (++k >= line.size())
            return false;
        switch (line[k]) {
        case 'n': seed += '\n'; break;
        case 'r': seed += '\r'; break;
        case 't': seed += '\t'; break;
        case '0': seed += '\0'; break;
        case '\\': seed += '\\'; break;
        case '"': seed += '"'; break;
        case 'x': {
            bool ok = false;
            seed += char(line.mid(k + 1, HexEscapeDigits).toInt(&ok, HexBase));
            if (!ok)
                return false;
            k += HexEscapeDigits;
            break;
        }
        default: return false;
        }
    }
    return false;
}

bool fromHex(const QByteArray &line, QByteArray &seed)
{
    QByteArray digits = line;
    digits.replace(' ', "").replace('\t', "");
    seed = QByteArray::fromHex(digits);
    return digits.size() % 2 == 0 && seed.toHex().compare(digits, Qt::CaseInsensitive) == 0;
}

bool writeCorpus(const QFileInfo &table, const QDir &corpora)
{
    QFile in(table.filePath());
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QString target = table.completeBaseName();
    if (!corpora.mkpath(target))
        return false;
    const QDir corpus(corpora.filePath(target));
    int lineNumber = 0;
    while (!in.atEnd()) {
        ++lineNumber;
        QByteArray line = in.readLine().trimmed();
        if (!line.startsWith('"')) {
            const qsizetype comment = line.indexOf('#');
            if (comment >= 0)
                line.truncate(comment);
            line = line.trimmed();
        }
        if (line.isEmpty())
            continue;
        QByteArray seed;
        if (!(line.startsWith('"') ? unquote(line, seed) : fromHex(line, seed))) {
            std::fprintf(stderr, "%s:%d: not a seed\n", qPrintable(table.filePath()), lineNumber);
            return false;
        }
        QFile out(corpus.filePath(QStringLiteral("seed-%1").arg(lineNumber, 3, 10, QLatin1Char('0'))));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(seed) != seed.size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder of tables> <folder of corpora>\n");
        return 2;
    }
    const QDir tables(QString::fromLocal8Bit(argv[1]));
    const QDir corpora(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(corpora.path()))
        return 1;
    const QFileInfoList found = tables.entryInfoList({QStringLiteral("*.txt")}, QDir::Files);
    if (found.isEmpty())
        return 1;
    for (const QFileInfo &table : found) {
        if (!writeCorpus(table, corpora))
            return 1;
    }
    return 0;
}
