#include "platform/Platform.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Launchers.h"
#include "platform/Printers.h"
#include "platform/Registry.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "platform/Volumes.h"

namespace {
struct Services {
    std::unique_ptr<ScreenMetrics> screen;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<SystemInfo> system;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<FileSystem> files;
    std::unique_ptr<SettingsBackend> settings;
    std::unique_ptr<Volumes> volumes;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<Printers> printers;
    std::unique_ptr<Launchers> launchers;
};

Services& services() {
    static Services s;
    return s;
}

// A service asked for before anything was installed gets the real one, so a
// forgotten install never dereferences null.
template <class T, class Real>
T& getOrMake(std::unique_ptr<T>& slot) {
    if (!slot) slot = std::make_unique<Real>();
    return *slot;
}
}  // namespace

ScreenMetrics& Platform::screen() {
    return getOrMake<ScreenMetrics, QtScreenMetrics>(services().screen);
}
Clock& Platform::clock() {
    return getOrMake<Clock, SteadyClock>(services().clock);
}
SystemInfo& Platform::system() {
    return getOrMake<SystemInfo, LinuxSystemInfo>(services().system);
}
Shell& Platform::shell() {
    return getOrMake<Shell, DesktopShell>(services().shell);
}
Printers& Platform::printers() {
    return getOrMake<Printers, SystemPrinters>(services().printers);
}
Launchers& Platform::launchers() {
    return getOrMake<Launchers, DesktopLaunchers>(services().launchers);
}
Volumes& Platform::volumes() {
    return getOrMake<Volumes, LinuxVolumes>(services().volumes);
}
FileSystem& Platform::files() {
    return getOrMake<FileSystem, PosixFileSystem>(services().files);
}

Registry& Platform::registry() {
    auto& s = services();
    if (!s.registry) s.registry = std::make_unique<MemoryRegistry>();
    return *s.registry;
}

SettingsBackend& Platform::settings() {
    auto& s = services();
    if (!s.settings)
        s.settings = std::make_unique<IniSettingsBackend>(IniSettingsBackend::DefaultPath());
    return *s.settings;
}

void Platform::InstallDefaults() {
    auto& s = services();
    s.screen = std::make_unique<QtScreenMetrics>();
    s.clock = std::make_unique<SteadyClock>();
    s.system = std::make_unique<LinuxSystemInfo>();
    s.registry = std::make_unique<MemoryRegistry>();
    s.files = std::make_unique<PosixFileSystem>();
    s.volumes = std::make_unique<LinuxVolumes>();
    s.shell = std::make_unique<DesktopShell>();
    s.printers = std::make_unique<SystemPrinters>();
    s.launchers = std::make_unique<DesktopLaunchers>();
    s.settings = std::make_unique<IniSettingsBackend>(IniSettingsBackend::DefaultPath());
}

void Platform::SetScreen(std::unique_ptr<ScreenMetrics> p) {
    services().screen = std::move(p);
}
void Platform::SetClock(std::unique_ptr<Clock> p) {
    services().clock = std::move(p);
}
void Platform::SetSystem(std::unique_ptr<SystemInfo> p) {
    services().system = std::move(p);
}
void Platform::SetRegistry(std::unique_ptr<Registry> p) {
    services().registry = std::move(p);
}
void Platform::SetFiles(std::unique_ptr<FileSystem> p) {
    services().files = std::move(p);
}
void Platform::SetSettings(std::unique_ptr<SettingsBackend> p) {
    services().settings = std::move(p);
}
void Platform::SetVolumes(std::unique_ptr<Volumes> p) {
    services().volumes = std::move(p);
}
void Platform::SetShell(std::unique_ptr<Shell> p) {
    services().shell = std::move(p);
}
void Platform::SetPrinters(std::unique_ptr<Printers> p) {
    services().printers = std::move(p);
}
void Platform::SetLaunchers(std::unique_ptr<Launchers> p) {
    services().launchers = std::move(p);
}
