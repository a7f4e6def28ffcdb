#pragma once

#include <QString>
#include <QVariant>
#include <vector>

// Every key the program keeps in its settings, with its default. The two
// list sections ("Favorite Folders", "Recent Folders") have no fixed keys.
namespace Schema {
inline const QString BrowserOptions = QStringLiteral("Browser Options");
inline const QString FileOptions = QStringLiteral("File Options");
inline const QString SlideshowSettings = QStringLiteral("Slideshow Settings");
inline const QString GeneralOptions = QStringLiteral("General Options");
inline const QString FavoriteFolders = QStringLiteral("Favorite Folders");
inline const QString RecentFolders = QStringLiteral("Recent Folders");

struct Key {
    QString section;
    QString key;
    // Invalid when the key has no default ("Listview View").
    QVariant defaultValue;
};

// All keys of the four fixed sections, section by section. Defaults that
// depend on the screen or the program's place are worked out now.
std::vector<Key> Keys();
// The default of one key; invalid when unknown or without default.
QVariant Default(const QString& section, const QString& key);
// The stored text of a key, or its default as text when it is not stored.
QString Read(const QString& section, const QString& key);
}  // namespace Schema
