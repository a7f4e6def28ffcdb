#include "kit/NumberFormat.h"

#include <charconv>
#include <cmath>

namespace {
// What a picture pattern asks for.
struct Picture {
    bool grouping = false;  // ',' in the integer part
    bool point = false;     // the pattern has a '.'
    int minInt = 0;         // '0's before the point
    int minFrac = 0;        // '0's after the point
    int maxFrac = 0;        // '0's and '#'s after the point
};

Picture parse(const QString& pattern) {
    Picture pic;
    const qsizetype dot = pattern.indexOf('.');
    const QStringView intPart = dot < 0 ? QStringView(pattern) : QStringView(pattern).left(dot);
    pic.point = dot >= 0;
    pic.grouping = intPart.contains(u',');
    pic.minInt = int(intPart.count(u'0'));
    if (pic.point) {
        const QStringView fracPart = QStringView(pattern).mid(dot + 1);
        pic.minFrac = int(fracPart.count(u'0'));
        pic.maxFrac = pic.minFrac + int(fracPart.count(u'#'));
    }
    return pic;
}

// A non-negative decimal number as digit texts, split at the point.
struct Decimal {
    std::string intDigits, fracDigits;
};

// The shortest text that reads back as the same double, so that rounding
// works on the digits a person would write (1.15, not 1.149999...).
Decimal toDecimal(double magnitude) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string text(buffer, result.ptr);  // "d.ddde+XX"
    const size_t e = text.find('e');
    std::string digits = text.substr(0, e);
    if (digits.size() > 1) digits.erase(1, 1);  // drop the point
    const int exponent = std::stoi(text.substr(e + 1));

    Decimal d;
    const int intCount = exponent + 1;
    if (intCount <= 0) {
        d.fracDigits = std::string(size_t(-intCount), '0') + digits;
    } else if (size_t(intCount) >= digits.size()) {
        d.intDigits = digits + std::string(size_t(intCount) - digits.size(), '0');
    } else {
        d.intDigits = digits.substr(0, size_t(intCount));
        d.fracDigits = digits.substr(size_t(intCount));
    }
    return d;
}

// Keeps maxFrac fraction digits, rounding half away from zero.
void roundTo(Decimal& d, int maxFrac) {
    if (d.fracDigits.size() <= size_t(maxFrac)) return;
    const bool up = d.fracDigits[size_t(maxFrac)] >= '5';
    d.fracDigits.resize(size_t(maxFrac));
    if (!up) return;
    std::string all = d.intDigits + d.fracDigits;
    int i = int(all.size()) - 1;
    for (; i >= 0 && all[size_t(i)] == '9'; --i) all[size_t(i)] = '0';
    if (i >= 0)
        ++all[size_t(i)];
    else
        all.insert(all.begin(), '1');
    d.intDigits = all.substr(0, all.size() - size_t(maxFrac));
    d.fracDigits = all.substr(all.size() - size_t(maxFrac));
}

QString grouped(const std::string& digits, const QString& separator) {
    QString out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += QLatin1Char(digits[i]);
    }
    return out;
}
}  // namespace

QString FormatNumber(double value, const QString& pattern, const QLocale& locale) {
    if (!std::isfinite(value)) return locale.toString(value);
    const Picture pic = parse(pattern);

    Decimal d = toDecimal(std::fabs(value));
    roundTo(d, pic.maxFrac);
    d.intDigits.erase(0, d.intDigits.find_first_not_of('0'));
    while (d.fracDigits.size() > size_t(pic.minFrac) && d.fracDigits.back() == '0')
        d.fracDigits.pop_back();
    const bool zero =
        d.intDigits.empty() && d.fracDigits.find_first_not_of('0') == std::string::npos;
    if (d.intDigits.size() < size_t(pic.minInt))
        d.intDigits.insert(0, size_t(pic.minInt) - d.intDigits.size(), '0');
    if (d.fracDigits.size() < size_t(pic.minFrac))
        d.fracDigits.append(size_t(pic.minFrac) - d.fracDigits.size(), '0');

    // A pattern of optional digits only has nothing to show for zero.
    if (zero && pic.minInt == 0 && pic.minFrac == 0 && !pic.point) return QString();

    QString out;
    if (value < 0 && !zero) out += locale.negativeSign();
    out += pic.grouping ? grouped(d.intDigits, locale.groupSeparator())
                        : QString::fromLatin1(d.intDigits);
    if (pic.point) out += locale.decimalPoint() + QString::fromLatin1(d.fracDigits);
    return out;
}
