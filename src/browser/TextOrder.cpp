#include "browser/TextOrder.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

namespace {
// One entry while sorting: its key's bytes and where it came from.
struct Rec {
    const uchar* key;
    quint32 length;
    quint32 index;
};

// Buckets this small are sorted by comparing whole keys.
constexpr size_t kSmallBucket = 24;

// From depth on; ties go by the order added, so the result is stable.
bool before(const Rec& a, const Rec& b, size_t depth, bool descending) {
    const size_t n = std::min(a.length, b.length) - depth;
    const int c = n ? std::memcmp(a.key + depth, b.key + depth, n) : 0;
    if (c != 0) return descending ? c > 0 : c < 0;
    if (a.length != b.length) return descending ? a.length > b.length : a.length < b.length;
    return a.index < b.index;
}

// Sorts recs, whose keys agree in their first `depth` bytes, by the rest.
// tmp has room for as many.
void sortFrom(Rec* recs, Rec* tmp, size_t n, size_t depth, bool descending) {
    while (n > kSmallBucket) {
        // Bucket 0 holds the keys that end here: they come first.
        std::array<size_t, 258> count{};
        for (size_t i = 0; i < n; ++i) {
            const Rec& r = recs[i];
            ++count[r.length > depth ? size_t(r.key[depth]) + 2 : 1];
        }
        // Keys that all go on alike: look at the next byte.
        const size_t biggest = *std::max_element(count.begin(), count.end());
        if (biggest == n && count[1] == 0) {
            ++depth;
            continue;
        }
        // Where each bucket starts, in the order asked for.
        std::array<size_t, 258> start{};
        size_t at = 0;
        for (int b = 1; b < 258; ++b) {
            const int bucket = descending ? 258 - b : b;
            start[bucket] = at;
            at += count[bucket];
        }
        std::array<size_t, 258> next = start;
        for (size_t i = 0; i < n; ++i) {
            const Rec& r = recs[i];
            tmp[next[r.length > depth ? size_t(r.key[depth]) + 2 : 1]++] = r;
        }
        std::copy(tmp, tmp + n, recs);
        for (int b = 2; b < 258; ++b)
            if (count[b] > 1) sortFrom(recs + start[b], tmp, count[b], depth + 1, descending);
        return;
    }
    std::stable_sort(recs, recs + n,
                     [&](const Rec& a, const Rec& b) { return before(a, b, depth, descending); });
}
}  // namespace

TextOrder::TextOrder(int count) {
    starts_.reserve(size_t(count) + 1);
    starts_.push_back(0);
}

void TextOrder::AddAscii(QByteArrayView text) {
    // ASCII folds to lower case, and each character is its own byte.
    const qsizetype at = keys_.size();
    keys_.resize(at + text.size());
    char* out = keys_.data() + at;
    for (char c : text) *out++ = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    starts_.push_back(quint32(keys_.size()));
}

void TextOrder::Add(QStringView text) {
    // Code units below 0x80 are one byte; the others three bytes, each above
    // every one-byte unit, in the units' order.
    for (QChar ch : QString(text.toString().toCaseFolded())) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            keys_ += char(u);
            continue;
        }
        keys_ += char(0x80 | (u >> 12));
        keys_ += char(0x80 | ((u >> 6) & 0x3F));
        keys_ += char(0x80 | (u & 0x3F));
    }
    starts_.push_back(quint32(keys_.size()));
}

std::vector<int> TextOrder::Sorted(bool descending) const {
    const size_t n = starts_.size() - 1;
    std::vector<Rec> recs(n), tmp(n);
    const uchar* base = reinterpret_cast<const uchar*>(keys_.constData());
    for (size_t i = 0; i < n; ++i)
        recs[i] = {base + starts_[i], starts_[i + 1] - starts_[i], quint32(i)};
    sortFrom(recs.data(), tmp.data(), n, 0, descending);
    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = int(recs[i].index);
    return order;
}
