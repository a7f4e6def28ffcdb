#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

// The per-user settings store: sections of (key, value) texts, both kept in
// first-written order and compared without regard to letter case.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    virtual std::optional<QString> Value(const QString& section, const QString& key) = 0;
    // Creates or replaces. True when the change reached the disk; on false the
    // change is still kept in memory for the rest of the run.
    virtual bool SetValue(const QString& section, const QString& key, const QString& value) = 0;
    // Every (key, value) of a section in first-written order; empty when the
    // section is missing.
    virtual std::vector<std::pair<QString, QString>> Section(const QString& section) = 0;
    virtual bool DeleteSection(const QString& section) = 0;
    // Between BeginBatch and the matching EndBatch (they nest) changes are
    // kept in memory and read back at once; EndBatch saves them together.
    // True when they reached the disk, or when an outer batch is still open.
    virtual void BeginBatch() {}
    virtual bool EndBatch() { return true; }
};

// A text file in INI form. Every write is atomic (temporary file + rename)
// and taken under a lock file after re-reading the file if another process
// changed it, so two running instances never lose each other's keys. A file
// that cannot be parsed is renamed aside and the store starts empty.
class IniSettingsBackend : public SettingsBackend {
public:
    explicit IniSettingsBackend(const QString& filePath);
    ~IniSettingsBackend() override;

    // $XDG_CONFIG_HOME/Kvo View/settings.ini (~/.config/Kvo View/settings.ini).
    static QString DefaultPath();

    QString FilePath() const;
    // Where an unparseable file was moved to; empty when none was.
    QString BrokenFileKeptAs() const;

    std::optional<QString> Value(const QString& section, const QString& key) override;
    bool SetValue(const QString& section, const QString& key, const QString& value) override;
    std::vector<std::pair<QString, QString>> Section(const QString& section) override;
    bool DeleteSection(const QString& section) override;
    // A batch takes the lock, re-reads and writes the file once for all its
    // changes, with the same safety as a single write: a kill before the end
    // leaves the file as it was, and another instance's keys are merged in.
    void BeginBatch() override;
    bool EndBatch() override;
    // Files written since this store was made (for measuring).
    int WriteCount() const;

private:
    Q_DISABLE_COPY_MOVE(IniSettingsBackend)
    struct Impl;
    Impl* d;
};
