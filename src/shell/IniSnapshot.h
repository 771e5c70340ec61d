#pragma once

#include <QString>

#include <memory>

namespace modRWIniFile {

// The settings file as it stood when it was read: the keys of a start-up come from one read of the file, not from a
// read each. A value reads as ReadIniValue reads it; a missing or unusable file gives every key its default.
class IniSnapshot
{
public:
    explicit IniSnapshot(const QString &file);
    ~IniSnapshot();
    IniSnapshot(const IniSnapshot &) = delete;
    IniSnapshot &operator=(const IniSnapshot &) = delete;

    QString value(const QString &section, const QString &key, const QString &defaultValue, int size) const;

private:
    struct Parsed;
    // Null when the file was missing or could not be read.
    std::unique_ptr<Parsed> m_parsed;
};

} // namespace modRWIniFile
