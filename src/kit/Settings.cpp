#include "kit/Settings.h"

#include "platform/Platform.h"
#include "platform/SettingsBackend.h"

#include <cmath>
#include <limits>

QString SettingText(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? "True" : "False";
    if (value.typeId() == QMetaType::Float || value.typeId() == QMetaType::Double) {
        // Geometry values: whole numbers in practice, written without ".0".
        return QString::number(value.toDouble(), 'g', 9);
    }
    return value.toString();
}

QString ReadSetting(const QString& section, const QString& key, const QVariant& defaultValue) {
    if (auto v = Platform::settings().Value(section, key)) return *v;
    return SettingText(defaultValue);
}

void WriteSetting(const QString& section, const QString& key, const QVariant& value) {
    Platform::settings().SetValue(section, key, SettingText(value));
}

std::vector<std::pair<QString, QString>> ReadSection(const QString& section) {
    return Platform::settings().Section(section);
}

void DeleteSection(const QString& section) {
    Platform::settings().DeleteSection(section);
}

SettingsBatch::SettingsBatch() {
    Platform::settings().BeginBatch();
}

SettingsBatch::~SettingsBatch() {
    Platform::settings().EndBatch();
}

std::optional<bool> ToBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare("True", Qt::CaseInsensitive) == 0) return true;
    if (t.compare("False", Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (ok) return d != 0.0;
    return std::nullopt;
}

namespace {
// Whole-number text, rounded half to even like the old runtime's
// conversions, within [lo, hi].
std::optional<qint64> toWhole(double d, qint64 lo, qint64 hi) {
    const double r = std::nearbyint(d);
    if (!(r >= double(lo) && r <= double(hi))) return std::nullopt;
    return qint64(r);
}

std::optional<qint64> toWhole(const QString& text, qint64 lo, qint64 hi) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return toWhole(d, lo, hi);
}
}  // namespace

std::optional<qint16> ToInt16(const QString& text) {
    if (auto v = toWhole(text, -32768, 32767)) return qint16(*v);
    return std::nullopt;
}

std::optional<qint16> ToInt16(double value) {
    if (auto v = toWhole(value, -32768, 32767)) return qint16(*v);
    return std::nullopt;
}

std::optional<qint32> ToInt32(const QString& text) {
    if (auto v =
            toWhole(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()))
        return qint32(*v);
    return std::nullopt;
}

std::optional<float> ToSingle(const QString& text) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 3.4e38) return std::nullopt;
    return float(d);
}
