#include "kit/Helpers.h"

#include <QLocale>

#include "kit/NumberFormat.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"

QString GetFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QString() : path.mid(slash + 1);
}

QString GetExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString AddBackslash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

QString StripNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString TakeNulItem(QString& list) {
    const qsizetype nul = list.indexOf(QChar(0));
    QString item = nul < 0 ? list : list.left(nul);
    list = nul < 0 ? QString() : list.mid(nul + 1);
    return item;
}

QString GetWindowsDir() {
    return AddBackslash(StripNul(Platform::system().WindowsDirectory()));
}

QString FormatFileSize(qint64 bytes) {
    if (bytes < 1024) return FormatNumber(double(bytes), "#,##0") + " bytes";

    // Three significant figures at most, switching unit every 1000 units.
    // Counts beyond the old 32-bit range carry on the same way in GB and TB.
    struct Step {
        qint64 kLimit;
        double divisor;
        const char* pattern;
        const char* unit;
    };
    static constexpr double KB = 1024.0, MB = KB * 1024, GB = MB * 1024, TB = GB * 1024;
    // clang-format off
    static constexpr Step steps[] = {
        {10, KB, "0.00", "KB"},
        {100, KB, "0.0", "KB"},
        {1000, KB, "0", "KB"},
        {10000, MB, "0.00", "MB"},
        {100000, MB, "0.0", "MB"},
        {1000000, MB, "0", "MB"},
        {10000000, GB, "0.00", "GB"},
        {100000000, GB, "0.0", "GB"},
        {1000000000, GB, "0", "GB"},
        {10000000000, TB, "0.00", "TB"},
        {100000000000, TB, "0.0", "TB"},
    };
    // clang-format on
    const qint64 k = bytes / 1024;
    for (const Step& step : steps)
        if (k < step.kLimit)
            return FormatNumber(double(bytes) / step.divisor, step.pattern) + step.unit;
    return FormatNumber(double(bytes) / TB, "0") + "TB";
}

namespace {
// The locale's long time format (it has the seconds) without its time zone,
// which would only add noise to a list of file dates.
QString timeWithSecondsFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == 't') continue;
        out += c;
    }
    return out.remove(QLatin1String("()")).simplified();
}
}  // namespace

// QLocale() is the system locale unless the program chose another, the same
// locale FormatNumber uses for the size texts beside these dates.
QString FormatGeneralDate(const QDateTime& when) {
    const QLocale locale;
    return locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
           locale.toString(when.time(), timeWithSecondsFormat(locale));
}

long ReadRegValue(HKEY key, const QString& valueName, QVariant& result) {
    Registry& registry = Platform::registry();
    quint32 type = 0, size = 0;
    long status = registry.RegQueryValueEx(key, valueName, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;

    switch (type) {
        case REG_SZ: {
            QByteArray buffer(qsizetype(size), '\0');
            status = registry.RegQueryValueEx(key, valueName, &type, buffer.data(), &size);
            if (status != ERROR_SUCCESS)
                result = QString();
            else  // the text without its terminating NUL
                result = QString::fromUtf8(
                    buffer.first(qBound<qsizetype>(0, qsizetype(size) - 1, buffer.size())));
            return status;
        }
        case REG_DWORD: {
            qint32 number = 0;
            size = sizeof number;
            status = registry.RegQueryValueEx(key, valueName, &type,
                                              reinterpret_cast<char*>(&number), &size);
            if (status == ERROR_SUCCESS) result = number;
            return status;
        }
        default:
            return -1;
    }
}

long WriteRegValue(HKEY key, const QString& valueName, quint32 type, const QVariant& value) {
    Registry& registry = Platform::registry();
    switch (type) {
        case REG_SZ: {
            const QByteArray text = value.toString().toUtf8() + '\0';
            return registry.RegSetValueEx(key, valueName, 0, REG_SZ, text.constData(),
                                          quint32(text.size()));
        }
        case REG_DWORD: {
            const qint32 number = value.toInt();
            return registry.RegSetValueEx(key, valueName, 0, REG_DWORD,
                                          reinterpret_cast<const char*>(&number), sizeof number);
        }
        default:
            return ERROR_SUCCESS;  // other types are not written, and that is no error
    }
}

long WriteUserRegValue(const QString& keyPath, const QString& valueName, const QVariant& value,
                       quint32 type) {
    Registry& registry = Platform::registry();
    HKEY key = 0;
    const long status = registry.RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) return status;
    const long written = WriteRegValue(key, valueName, type, value);
    registry.RegCloseKey(key);
    return written;
}
