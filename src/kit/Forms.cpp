#include "kit/Forms.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QWindow>
#include <utility>
#include <vector>

#include "kit/Twips.h"

QHash<QString, QPointer<QWidget>>& Forms::table() {
    static QHash<QString, QPointer<QWidget>> t;
    return t;
}

void Forms::Register(const QString& name, QWidget* w) {
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    table().insert(name, w);
}

QWidget* Forms::Find(const QString& name) {
    auto it = table().find(name);
    if (it == table().end()) return nullptr;
    if (it->isNull()) {
        table().erase(it);
        return nullptr;
    }
    return it->data();
}

void Forms::Close(const QString& name) {
    if (QWidget* w = Find(name)) w->close();
}

void Forms::Release(const QString& name) {
    QWidget* w = Find(name);
    table().remove(name);
    if (!w) return;
    if (!w->isVisible()) {
        w->deleteLater();
        return;
    }
    // A window kept above another one does not count when the program asks
    // whether its last window has closed: cut it loose before its owner goes.
    if (QWindow* h = w->windowHandle()) h->setTransientParent(nullptr);
}

namespace {
// The windows the main window's closing deals with, in order.
std::vector<std::pair<QString, Forms::WithMain>>& declared() {
    static std::vector<std::pair<QString, Forms::WithMain>> d;
    return d;
}
}  // namespace

void Forms::Declare(const QString& name, WithMain what) {
    for (auto& [n, w] : declared())
        if (n == name) {
            w = what;
            return;
        }
    declared().emplace_back(name, what);
}

void Forms::CloseDeclared() {
    for (const auto& [name, what] : declared())
        if (what == Closed) Close(name);
}

void Forms::ReleaseDeclared() {
    for (const auto& [name, what] : declared()) Release(name);
}

void KeepAbove(QWidget& w, QWidget* owner) {
    if (!owner) return;
    w.winId();
    owner->winId();
    if (QWindow* h = w.windowHandle()) h->setTransientParent(owner->windowHandle());
}

void CentreOnScreen(QWidget& w) {
    const ScreenMetrics& s = Platform::screen();
    w.move(PxX(s.ScreenWidth() / 2 - TwX(w.width()) / 2),
           PxY(s.ScreenHeight() / 2 - TwY(w.height()) / 2));
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}
