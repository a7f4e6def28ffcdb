#include "platform/IniFormat.h"

#include <QStringDecoder>

namespace {

QString Fold(const QString& name) {
    return name.toCaseFolded();
}

enum class Part { Section, Key, Value };

void AppendHex(QString& out, char16_t unit, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    out += u'\\';
    out += digits == 2 ? u'x' : u'u';
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += QLatin1Char(hex[(unit >> shift) & 0xF]);
}

QString Escape(const QString& text, Part part) {
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype last = text.size() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        const char16_t c = text[i].unicode();
        const bool keyMark =
            part == Part::Key && (c == u'=' || (i == 0 && (c == u'[' || c == u';' || c == u'#')));
        if (c == u'\\') {
            out += u"\\\\";
        } else if (c == u'\n') {
            out += u"\\n";
        } else if (c == u'\r') {
            out += u"\\r";
        } else if (c == u'\t') {
            out += u"\\t";
        } else if (c < 0x20 || c == 0x7F || keyMark || (c == u' ' && (i == 0 || i == last))) {
            AppendHex(out, c, 2);
        } else if (QChar::isHighSurrogate(c) && i < last && text[i + 1].isLowSurrogate()) {
            out += text[i];
            out += text[++i];
        } else if (QChar::isSurrogate(c)) {
            AppendHex(out, c, 4);
        } else {
            out += text[i];
        }
    }
    return out;
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

std::optional<QString> Unescape(QStringView text, QString* error) {
    if (!text.contains(u'\\')) return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            *error = QStringLiteral("a lone backslash at the end");
            return std::nullopt;
        }
        switch (text[i].unicode()) {
            case u'\\':
                out += u'\\';
                break;
            case u'n':
                out += u'\n';
                break;
            case u'r':
                out += u'\r';
                break;
            case u't':
                out += u'\t';
                break;
            case u'x':
            case u'u': {
                const int digits = text[i] == u'x' ? 2 : 4;
                char16_t unit = 0;
                for (int k = 0; k < digits; ++k) {
                    const int v = ++i < text.size() ? HexValue(text[i]) : -1;
                    if (v < 0) {
                        *error = QStringLiteral("an escape needs %1 hex digits").arg(digits);
                        return std::nullopt;
                    }
                    unit = char16_t(unit * 16 + v);
                }
                out += QChar(unit);
                break;
            }
            default:
                *error = QStringLiteral("unknown escape \\%1").arg(text[i]);
                return std::nullopt;
        }
    }
    return out;
}

// Spaces and tabs only: every other blank a name or value may hold at its
// ends is either escaped or meant.
QStringView TrimBlanks(QStringView s) {
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!s.isEmpty() && blank(s.front())) s = s.sliced(1);
    while (!s.isEmpty() && blank(s.back())) s.chop(1);
    return s;
}

qsizetype FindUnescapedEquals(QStringView line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}

}  // namespace

const QString* IniDocument::Value(const QString& section, const QString& key) const {
    const auto s = index_.constFind(Fold(section));
    if (s == index_.cend()) return nullptr;
    const Block& sec = sections_[*s];
    const auto k = sec.index.constFind(Fold(key));
    return k == sec.index.cend() ? nullptr : &sec.entries[*k].second;
}

const IniDocument::Entries* IniDocument::Section(const QString& name) const {
    const auto s = index_.constFind(Fold(name));
    return s == index_.cend() ? nullptr : &sections_[*s].entries;
}

IniDocument::Block& IniDocument::sectionFor(const QString& name) {
    const QString folded = Fold(name);
    if (const auto s = index_.constFind(folded); s != index_.cend()) return sections_[*s];
    index_.insert(folded, qsizetype(sections_.size()));
    return sections_.emplace_back(Block{name, {}, {}});
}

void IniDocument::Set(const QString& section, const QString& key, const QString& value) {
    Block& sec = sectionFor(section);
    const QString folded = Fold(key);
    if (const auto k = sec.index.constFind(folded); k != sec.index.cend()) {
        sec.entries[*k].second = value;
    } else {
        sec.index.insert(folded, qsizetype(sec.entries.size()));
        sec.entries.emplace_back(key, value);
    }
}

void IniDocument::RemoveSection(const QString& name) {
    const auto s = index_.constFind(Fold(name));
    if (s == index_.cend()) return;
    sections_.erase(sections_.begin() + *s);
    index_.clear();
    for (qsizetype i = 0; i < qsizetype(sections_.size()); ++i)
        index_.insert(Fold(sections_[i].name), i);
}

QByteArray IniDocument::ToText() const {
    QString text = QStringLiteral("; Kvo View settings\n");
    for (const Block& sec : sections_) {
        text += u"\n[";
        text += Escape(sec.name, Part::Section);
        text += u"]\n";
        for (const auto& [key, value] : sec.entries) {
            text += Escape(key, Part::Key);
            text += u'=';
            text += Escape(value, Part::Value);
            text += u'\n';
        }
    }
    return text.toUtf8();
}

std::optional<IniDocument> IniDocument::Parse(const QByteArray& bytes, QString* error) {
    // Stateless: a sequence cut short at the end is an error, not left pending.
    // A leading byte order mark is dropped.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (utf8.hasError()) {
        *error = QStringLiteral("not valid UTF-8");
        return std::nullopt;
    }
    IniDocument doc;
    std::optional<QString> current;  // the section the lines below belong to
    qsizetype lineNo = 0;
    for (QStringView raw : QStringView(text).tokenize(u'\n')) {
        ++lineNo;
        if (raw.endsWith(u'\r')) raw.chop(1);  // a file edited on Windows
        const QStringView line = TrimBlanks(raw);
        QString why;
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#') continue;
        if (line.front() == u'[') {
            if (line.size() < 2 || line.back() != u']') {
                why = QStringLiteral("a section header without ']'");
            } else if (auto name = Unescape(TrimBlanks(line.sliced(1, line.size() - 2)), &why)) {
                current = doc.sectionFor(*name).name;
                continue;
            }
        } else if (!current) {
            why = QStringLiteral("a line before the first [section]");
        } else if (const qsizetype eq = FindUnescapedEquals(line); eq < 0) {
            why = QStringLiteral("neither [section] nor key=value");
        } else {
            auto key = Unescape(TrimBlanks(line.first(eq)), &why);
            auto value = key ? Unescape(TrimBlanks(line.sliced(eq + 1)), &why) : std::nullopt;
            if (value) {
                doc.Set(*current, *key, *value);
                continue;
            }
        }
        *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        return std::nullopt;
    }
    return doc;
}
