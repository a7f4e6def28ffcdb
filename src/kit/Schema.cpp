#include "kit/Schema.h"

#include "kit/Settings.h"

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"
#include "platform/SystemInfo.h"

QVariant Schema::ScreenWidthLess400() {
    return double(Platform::screen().ScreenWidth()) - 400;
}

QVariant Schema::ScreenHeightLess400() {
    return double(Platform::screen().ScreenHeight()) - 400;
}

QVariant Schema::ProgramRoot() {
    const SystemInfo& sys = Platform::system();
    return sys.VolumeRoot(sys.ProgramFolder());
}

QVariant Schema::Default(const Key& key) {
    return key.workOut ? key.workOut() : key.fallback;
}

QString ReadSetting(const Schema::Key& key) {
    if (!key.workOut) return ReadSetting(key.section, key.name, key.fallback);
    // Only a missing key needs its default worked out: the program's volume
    // is a look at the mount table.
    if (auto v = Platform::settings().Value(key.section, key.name)) return *v;
    return SettingText(key.workOut());
}

void WriteSetting(const Schema::Key& key, const QVariant& value) {
    WriteSetting(key.section, key.name, value);
}
