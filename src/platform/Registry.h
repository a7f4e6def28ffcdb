#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>

class SystemInfo;

// The few system registry values the program reads or writes, kept with the
// calling conventions of the registry API so callers read like the original.
using HKEY = quintptr;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_DWORD = 4;
inline constexpr quint32 KEY_ALL_ACCESS = 63;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_MORE_DATA = 234;

class Registry {
public:
    virtual ~Registry() = default;
    virtual long RegOpenKeyEx(HKEY root, const QString& subKey, quint32 options, quint32 samDesired,
                              HKEY* result) = 0;
    // With data null, reports only type and size (in bytes, terminating NUL
    // of a REG_SZ included). With data given, *size is the buffer's size;
    // ERROR_MORE_DATA when it is too small.
    virtual long RegQueryValueEx(HKEY key, const QString& name, quint32* type, char* data,
                                 quint32* size) = 0;
    virtual long RegSetValueEx(HKEY key, const QString& name, quint32 reserved, quint32 type,
                               const char* data, quint32 size) = 0;
    virtual long RegCloseKey(HKEY key) = 0;
};

// Keys and values held in memory. Local-machine
// "Software\Microsoft\Windows\CurrentVersion" answers RegisteredOwner and
// RegisteredOrganization from SystemInfo (the given one, else Platform::system()
// at the time of the read); everything else is what was written
// during this run. Text values are UTF-8 with a terminating NUL.
class MemoryRegistry : public Registry {
public:
    explicit MemoryRegistry(const SystemInfo* system = nullptr);
    long RegOpenKeyEx(HKEY root, const QString& subKey, quint32 options, quint32 samDesired,
                      HKEY* result) override;
    long RegQueryValueEx(HKEY key, const QString& name, quint32* type, char* data,
                         quint32* size) override;
    long RegSetValueEx(HKEY key, const QString& name, quint32 reserved, quint32 type,
                       const char* data, quint32 size) override;
    long RegCloseKey(HKEY key) override;

    struct Value {
        quint32 type = 0;
        QByteArray data;
    };
    // Full key path ("HKCU\Control Panel\Desktop", case-folded) -> value name
    // (case-folded) -> value.
    QHash<QString, QHash<QString, Value>> keys;

private:
    const SystemInfo* system_;
    QHash<HKEY, QString> open_;
    HKEY next_ = 1;
};
