#pragma once

#include <QString>

// The settings file. Until it is built, a read gives empty text and a write does nothing.
namespace modRWIniFile {

QString InitIniPath(const QString &programFolder);
QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue,
                     const QString &file, int size);
void WriteIniValue(const QString &section, const QString &key, const QString &value, const QString &file);

} // namespace modRWIniFile
