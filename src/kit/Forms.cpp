#include "kit/Forms.h"

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
    if (w && !w->isVisible()) w->deleteLater();
}
