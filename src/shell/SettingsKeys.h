#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// Which fields of the window the settings file fills at first activation and keeps at
// unload, key by key.
namespace SettingsKeys {

// The section all keys live in.
inline constexpr char IniSection[] = "TessraProg";

// Combo1's entries.
inline constexpr int SelectLan = 0;
inline constexpr int SelectFunk = 1;

// The texts of the window's fields, indexed as its control arrays are.
struct SettingsTexts
{
    std::array<QString, 20> text1; // current LAN parameters
    std::array<QString, 20> text2; // new LAN parameters
    std::array<QString, 6> text3;  // current radio parameters
    std::array<QString, 4> text4;  // gateway address
    std::array<QString, 6> text5;  // new radio parameters
    int select = SelectLan;        // index selected in Combo1
    QString flPort;                // FLPort
    QString flGateway;             // FLGateway

    bool operator==(const SettingsTexts &) const = default;
};

inline constexpr int AddressParts = 4;
inline constexpr QChar AddressSeparator = u'.';

// An address row of four fields from its dotted text: fewer parts leave the rest, more are ignored, an empty
// text changes nothing.
template<std::size_t N>
void fillAddressRow(std::array<QString, N> &fields, int firstField, const QString &value)
{
    if (value.isEmpty())
        return; // an empty value has no parts
    const QStringList parts = value.split(AddressSeparator);
    for (int k = 0; k < AddressParts && k < parts.size(); ++k)
        fields[firstField + k] = parts[k];
}

// The dotted text of an address row of four fields.
template<std::size_t N>
QString joinAddressRow(const std::array<QString, N> &fields, int firstField)
{
    QStringList parts;
    for (int k = 0; k < AddressParts; ++k)
        parts << fields[firstField + k];
    return parts.join(AddressSeparator);
}

using ReadValue = std::function<QString(const QString &key)>;
using StoredValues = QList<QPair<QString, QString>>;

// Reads every key once, in the window's order, and puts the values into their fields. An
// address value is split at "." into the four fields of its row: an empty value leaves the
// row as it is, fewer parts fill only the first fields, parts beyond the fourth are
// ignored. Every other key replaces its field, also with empty text. "Select" chooses
// "Funk" only when its leading number is 1.
void applyStoredSettings(SettingsTexts &texts, const ReadValue &read);

// The keys written at unload with their values, in writing order; addresses are their
// four fields joined with ".".
StoredValues settingsToStore(const SettingsTexts &texts);

} // namespace SettingsKeys
