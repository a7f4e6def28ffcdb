#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <vector>

// Sorts many texts without regard to case, as a stable sort comparing
// their case-folded forms code unit by code unit would (QString::compare
// of toCaseFolded() texts), in time that grows with the texts' length and
// not with the logarithm of their number: each text becomes a byte string
// whose byte order is that order, and the byte strings are sorted by their
// leading bytes, bucket by bucket.
// True when every byte is plain ASCII: such a name's text is its bytes.
inline bool IsAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (uchar(c) >= 0x80) return false;
    return true;
}

class TextOrder {
public:
    explicit TextOrder(int count);
    // The text of the next entry, in plain ASCII bytes (folded here) or as
    // any text.
    void AddAscii(QByteArrayView text);
    void Add(QStringView text);
    // The entries in their order: stable, equal texts keep the order they
    // were added in, also when descending.
    std::vector<int> Sorted(bool descending) const;

private:
    QByteArray keys_;
    std::vector<quint32> starts_;
};
