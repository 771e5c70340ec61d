#include "shell/modRWIniFile.h"

#include <QDir>

namespace modRWIniFile {

QString InitIniPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("TessraPrg.ini"));
}

QString ReadIniValue(const QString &, const QString &, const QString &, const QString &, int)
{
    return QString();
}

void WriteIniValue(const QString &, const QString &, const QString &, const QString &)
{
}

} // namespace modRWIniFile
