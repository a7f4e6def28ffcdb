#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// The settings store of the application "Kvo View". Section and key names
// are compared without regard to letter case.

// The stored text, or the default as text when the key or section is
// missing. A boolean default reads back as "True"/"False".
QString ReadSetting(const QString& section, const QString& key, const QVariant& defaultValue = {});
void WriteSetting(const QString& section, const QString& key, const QVariant& value);
// All (key, value) pairs in first-written order; empty when the section is
// missing or empty.
std::vector<std::pair<QString, QString>> ReadSection(const QString& section);
void DeleteSection(const QString& section);

// Keeps the writes made while it lives together: the store is locked, read
// and written once when it goes, however many keys were written.
class SettingsBatch {
public:
    SettingsBatch();
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;
};

// The text form of a value as the store keeps it ("True"/"False" for booleans).
QString SettingText(const QVariant& value);

// Conversions of stored texts; empty when the text cannot be converted.
// Booleans: "True"/"False" in any letter case, or a number (0 is false).
std::optional<bool> ToBool(const QString& text);
// 16-bit signed unless told otherwise; decimal text, surrounding spaces allowed.
std::optional<qint16> ToInt16(const QString& text);
// A number rounded half to even into 16 bits; empty when it does not fit.
std::optional<qint16> ToInt16(double value);
std::optional<qint32> ToInt32(const QString& text);
// Single-precision number (twips).
std::optional<float> ToSingle(const QString& text);
