#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// The contents of a settings file: sections of (key, value) texts, both kept
// in first-written order and looked up without regard to letter case. The
// first spelling of a name is the one kept.
//
// The text form is UTF-8, one "[Section]" or "key=value" per line. Blank
// lines and lines starting with ';' or '#' are ignored, as are blanks around
// names and values. Whatever would be misread is written as a backslash
// escape: \\ \n \r \t, \xHH for other control characters, for a space at
// either end and for a key's '=' or leading '[', ';', '#', and \uXXXX for a
// UTF-16 unit that is not part of a valid pair.
class IniDocument {
public:
    using Entries = std::vector<std::pair<QString, QString>>;

    const QString* Value(const QString& section, const QString& key) const;
    // Null when the section is missing.
    const Entries* Section(const QString& name) const;
    // Creates or replaces; a replaced value keeps its place.
    void Set(const QString& section, const QString& key, const QString& value);
    void RemoveSection(const QString& name);

    // Whether two section names, or two keys, are the same one.
    static bool SameName(const QString& a, const QString& b) {
        return a.toCaseFolded() == b.toCaseFolded();
    }

    QByteArray ToText() const;
    // Empty, with *error naming the line, when the text is not valid UTF-8 or
    // a line is none of: blank, a comment, a [section] header, or a key=value
    // with valid escapes below a header.
    static std::optional<IniDocument> Parse(const QByteArray& text, QString* error);

private:
    struct Block {
        QString name;
        Entries entries;
        QHash<QString, qsizetype> index;  // case-folded key -> place in entries
    };
    Block& sectionFor(const QString& name);

    std::vector<Block> sections_;
    QHash<QString, qsizetype> index_;  // case-folded name -> place in sections_
};
