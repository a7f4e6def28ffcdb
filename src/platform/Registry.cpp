#include "platform/Registry.h"

#include <QStringList>
#include <cstring>

#include "platform/Platform.h"
#include "platform/SystemInfo.h"

namespace {
constexpr long kErrorInvalidParameter = 87;

const QString kLocalMachine = QStringLiteral("hklm");
const QString kCurrentUser = QStringLiteral("hkcu");
// Where the registered owner and organisation live.
const QString kVersionKey = QStringLiteral("hklm\\software\\microsoft\\windows\\currentversion");

// "Software\\Microsoft\\" and "software\microsoft" name the same key.
QString joinKey(const QString& base, const QString& subKey) {
    QStringList parts{base};
    for (const QString& part : subKey.split('\\', Qt::SkipEmptyParts)) parts << part.toCaseFolded();
    return parts.join('\\');
}

// True when key is known itself or is an ancestor of a known key.
bool isKeyOrAncestor(const QString& key, const QString& known) {
    return known == key || known.startsWith(key + '\\');
}

QByteArray textValue(const QString& text) {
    return text.toUtf8() + '\0';
}
}  // namespace

MemoryRegistry::MemoryRegistry(const SystemInfo* system) : system_(system) {
    open_.insert(HKEY_LOCAL_MACHINE, kLocalMachine);
    open_.insert(HKEY_CURRENT_USER, kCurrentUser);
}

long MemoryRegistry::RegOpenKeyEx(HKEY root, const QString& subKey, quint32, quint32,
                                  HKEY* result) {
    if (!result) return kErrorInvalidParameter;
    const auto base = open_.constFind(root);
    if (base == open_.constEnd()) return ERROR_INVALID_HANDLE;
    const QString path = joinKey(*base, subKey);

    // The local machine holds only what the system provides and what was
    // written this run; the current user's branch takes any key, as if the
    // user had every key already.
    if (!isKeyOrAncestor(kCurrentUser, path)) {
        bool exists = isKeyOrAncestor(path, kVersionKey);
        for (auto it = keys.constBegin(); !exists && it != keys.constEnd(); ++it)
            exists = isKeyOrAncestor(path, it.key());
        if (!exists) return ERROR_FILE_NOT_FOUND;
    }
    const HKEY handle = next_++;
    open_.insert(handle, path);
    *result = handle;
    return ERROR_SUCCESS;
}

long MemoryRegistry::RegQueryValueEx(HKEY key, const QString& name, quint32* type, char* data,
                                     quint32* size) {
    const auto path = open_.constFind(key);
    if (path == open_.constEnd()) return ERROR_INVALID_HANDLE;
    if (data && !size) return kErrorInvalidParameter;

    Value value;
    const QString valueName = name.toCaseFolded();
    const auto stored = keys.constFind(*path);
    if (stored != keys.constEnd() && stored->contains(valueName)) {
        value = stored->value(valueName);
    } else if (*path == kVersionKey &&
               (valueName == u"registeredowner" || valueName == u"registeredorganization")) {
        const SystemInfo& system = system_ ? *system_ : Platform::system();
        value.type = REG_SZ;
        value.data = textValue(valueName == u"registeredowner" ? system.RegisteredOwner()
                                                               : system.RegisteredOrganization());
    } else {
        return ERROR_FILE_NOT_FOUND;
    }

    if (type) *type = value.type;
    const quint32 needed = quint32(value.data.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value.data.constData(), needed);
    }
    if (size) *size = needed;
    return ERROR_SUCCESS;
}

long MemoryRegistry::RegSetValueEx(HKEY key, const QString& name, quint32, quint32 type,
                                   const char* data, quint32 size) {
    const auto path = open_.constFind(key);
    if (path == open_.constEnd()) return ERROR_INVALID_HANDLE;
    if (!data && size > 0) return kErrorInvalidParameter;
    keys[*path][name.toCaseFolded()] = Value{type, QByteArray(data, qsizetype(size))};
    return ERROR_SUCCESS;
}

long MemoryRegistry::RegCloseKey(HKEY key) {
    // The predefined roots stay open for the whole run.
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    return open_.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
