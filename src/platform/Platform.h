#pragma once

#include <memory>

class ScreenMetrics;
class Clock;
class SystemInfo;
class Registry;
class FileSystem;
class SettingsBackend;
class Volumes;
class Shell;
class Printers;
class Launchers;

// The operating-system services the program uses, one instance each.
// main() installs the real ones; tests install fakes where they need them.
class Platform {
public:
    static ScreenMetrics& screen();
    static Clock& clock();
    static SystemInfo& system();
    static Registry& registry();
    static FileSystem& files();
    static SettingsBackend& settings();
    static Volumes& volumes();
    static Shell& shell();
    static Printers& printers();
    static Launchers& launchers();

    // The Linux services, settings in the default per-user file. Services
    // already installed are replaced.
    static void InstallDefaults();
    static void SetScreen(std::unique_ptr<ScreenMetrics> s);
    static void SetClock(std::unique_ptr<Clock> c);
    static void SetSystem(std::unique_ptr<SystemInfo> s);
    static void SetRegistry(std::unique_ptr<Registry> r);
    static void SetFiles(std::unique_ptr<FileSystem> f);
    static void SetSettings(std::unique_ptr<SettingsBackend> s);
    static void SetVolumes(std::unique_ptr<Volumes> v);
    static void SetShell(std::unique_ptr<Shell> s);
    static void SetPrinters(std::unique_ptr<Printers> p);
    static void SetLaunchers(std::unique_ptr<Launchers> l);
};
