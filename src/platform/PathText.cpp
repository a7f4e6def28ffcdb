#include "platform/PathText.h"

#include <vector>

namespace {
constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kEscapeBase = 0xDC00;  // + a byte of 0x80..0xFF

// The length of the valid UTF-8 sequence starting at i (1 to 4), 0 when the
// byte there starts none: a stray continuation byte, a truncated sequence,
// an overlong form, an encoded surrogate or a code point past U+10FFFF.
int validSequence(const QByteArray& b, qsizetype i, char32_t* cp) {
    const auto at = [&](qsizetype k) { return uchar(b[k]); };
    const uchar c = at(i);
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    int n = 0;
    char32_t v = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        v = c & 0x1F;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        v = c & 0x0F;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        v = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > b.size()) return 0;
    for (int k = 1; k < n; ++k) {
        const uchar t = at(i + k);
        if ((t & 0xC0) != 0x80) return 0;
        v = (v << 6) | (t & 0x3F);
    }
    if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    *cp = v;
    return n;
}

// One character of a decoded path and the bytes it stands for.
struct Piece {
    qsizetype byteStart;
    qsizetype units;  // UTF-16 units it takes in the text (1 or 2)
};

// Decodes bytes, each byte outside UTF-8 as one unit made by `stray`.
template <class Stray>
QString decode(const QByteArray& bytes, Stray stray, std::vector<Piece>* pieces = nullptr) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const int n = validSequence(bytes, i, &cp);
        const qsizetype before = text.size();
        if (n == 0) {
            text.append(QChar(stray(uchar(bytes[i]))));
        } else {
            const char32_t one[1] = {cp};
            text.append(QString::fromUcs4(one, 1));
        }
        if (pieces) pieces->push_back({i, text.size() - before});
        i += n == 0 ? 1 : n;
    }
    return text;
}

char16_t escaped(uchar b) {
    return char16_t(kEscapeBase + b);
}
char16_t replaced(uchar) {
    return kReplacement;
}

bool standsForUnknownBytes(QStringView s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.unicode() == kReplacement) return true;
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate()) return true;
    }
    return false;
}
}  // namespace

QString PathText(const QByteArray& bytes) {
    return decode(bytes, escaped);
}

QByteArray PathBytes(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    qsizetype runStart = 0;
    // Runs of ordinary text go through the UTF-8 encoder; an escape unit is
    // its byte again.
    const auto flush = [&](qsizetype end) {
        if (end > runStart) out += QStringView(text).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        const bool paired =
            (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ||
            (QChar::isLowSurrogate(u) && i > 0 && text[i - 1].isHighSurrogate());
        if (!paired && u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            flush(i);
            out.append(char(u - kEscapeBase));
            runStart = i + 1;
        }
    }
    flush(text.size());
    return out;
}

QString ShownText(const QByteArray& bytes) {
    return decode(bytes, replaced);
}

QString ShownPath(const QString& pathText) {
    QString shown = pathText;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i].isHighSurrogate() && i + 1 < shown.size() && shown[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (shown[i].isSurrogate()) shown[i] = QChar(kReplacement);
    }
    return shown;
}

std::optional<QByteArray> MapEditedText(const QByteArray& original, const QString& edited) {
    std::vector<Piece> pieces;
    const QString shown = decode(original, replaced, &pieces);
    const qsizetype count = qsizetype(pieces.size());
    const auto same = [&](qsizetype shownAt, qsizetype editedAt, qsizetype units) {
        return editedAt >= 0 && editedAt + units <= edited.size() &&
               QStringView(shown).mid(shownAt, units) == QStringView(edited).mid(editedAt, units);
    };
    // Whole characters kept at the start, then at the end, never overlapping.
    qsizetype head = 0, headUnits = 0;
    while (head < count && same(headUnits, headUnits, pieces[head].units))
        headUnits += pieces[head++].units;
    qsizetype tail = 0, tailUnits = 0;
    while (tail < count - head) {
        const Piece& p = pieces[count - 1 - tail];
        const qsizetype units = p.units;
        if (edited.size() - tailUnits - units < headUnits ||
            !same(shown.size() - tailUnits - units, edited.size() - tailUnits - units, units))
            break;
        tailUnits += units;
        ++tail;
    }
    const QStringView typed =
        QStringView(edited).mid(headUnits, edited.size() - headUnits - tailUnits);
    if (standsForUnknownBytes(typed)) return std::nullopt;
    const qsizetype keepFront = head < count ? pieces[head].byteStart : original.size();
    const qsizetype keepBack = tail > 0 ? pieces[count - tail].byteStart : original.size();
    return original.left(keepFront) + typed.toUtf8() + original.mid(keepBack);
}
