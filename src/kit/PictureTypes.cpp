#include "kit/PictureTypes.h"

#include <algorithm>

#include "kit/Schema.h"

namespace PictureTypes {

namespace {
QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

std::vector<const Row*> sortedBy(int Row::*place) {
    std::vector<const Row*> rows;
    for (const Row& r : kRows) rows.push_back(&r);
    std::stable_sort(rows.begin(), rows.end(),
                     [place](const Row* a, const Row* b) { return a->*place < b->*place; });
    return rows;
}

// The last four characters of "." and the extension: what Image Hound
// compares a name's end with.
QByteArray houndEnding(const Row& row) {
    const QByteArray ending = "." + QByteArray(row.extension.data(), row.extension.size());
    return ending.right(4);
}
}  // namespace

Schema::Key SettingKey(const Row& row) {
    return {row.classic ? Schema::BrowserOptions : Schema::ExtrasSection, row.key, true};
}

std::vector<const Row*> InListOrder() {
    return sortedBy(&Row::listOrder);
}
std::vector<const Row*> InViewerOrder() {
    return sortedBy(&Row::viewerOrder);
}
std::vector<const Row*> InSettingsOrder() {
    return sortedBy(&Row::settingsCheck);
}

QString Pattern(const Row& row) {
    return "*." + text(row.extension);
}

const Row* ListImageOwner(int image) {
    for (const Row* r : InListOrder())
        if (r->listImage == image) return r;
    return nullptr;
}

int LastListImage() {
    int last = 0;
    for (const Row& r : kRows) last = std::max(last, r.listImage);
    return last;
}

const std::vector<HoundTab>& HoundTabs() {
    static const std::vector<HoundTab> tabs = [] {
        std::vector<HoundTab> t;
        for (const Row& r : kRows) {
            if (r.houndTab >= int(t.size())) t.resize(r.houndTab + 1);
            if (!t[r.houndTab].owner)
                t[r.houndTab] = {r.classic ? text(r.name) : QStringLiteral("Other"), &r};
        }
        return t;
    }();
    return tabs;
}

const Row* HoundSwitchOf(QByteArrayView name) {
    struct Ending {
        QByteArray text;
        const Row* row;
    };
    static const std::vector<Ending> endings = [] {
        std::vector<Ending> e;
        for (const Row* r : sortedBy(&Row::houndTab)) e.push_back({houndEnding(*r), r});
        return e;
    }();
    for (const Ending& e : endings) {
        if (name.size() < e.text.size()) continue;
        const QByteArrayView end = name.last(e.text.size());
        if (std::equal(end.begin(), end.end(), e.text.begin(), [](char c, char lower) {
                return ((c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c) == lower;
            }))
            return e.row->classic ? HoundTabs()[e.row->houndTab].owner : e.row;
    }
    return nullptr;
}

int HoundTabOf(QByteArrayView name) {
    const Row* row = HoundSwitchOf(name);
    return row ? row->houndTab : -1;
}

QStringList MimeTypes() {
    QStringList types;
    for (const Row& r : kRows)
        if (!types.contains(r.mimeType)) types << r.mimeType;
    return types;
}

}  // namespace PictureTypes
