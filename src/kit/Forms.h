#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>

class QHBoxLayout;
class QPushButton;

// The program's windows are single process-wide instances: created on first
// use, forgotten when they close, so the next use starts afresh.
class Forms {
public:
    // The instance of the named window, created when there is none.
    template <class T>
    static T* Get(const QString& name) {
        if (QWidget* w = Find(name)) return static_cast<T*>(w);
        T* w = new T();
        Register(name, w);
        return w;
    }
    // The instance, or null when it does not exist.
    static QWidget* Find(const QString& name);
    static bool Loaded(const QString& name) { return Find(name) != nullptr; }
    // Closes the window when it exists (it then forgets itself).
    static void Close(const QString& name);
    // Lets go of the reference: a window still on screen stays open, no
    // longer kept above its owner, and frees itself when closed; a hidden
    // one is freed now.
    static void Release(const QString& name);

private:
    static void Register(const QString& name, QWidget* w);
    static QHash<QString, QPointer<QWidget>>& table();
};

// Keeps a window above the window that owns it, without making it the
// owner's child: it is not closed with its owner, and once the owner has let
// go of it (Forms::Release) it counts as a window of its own, so the program
// runs on until it closes.
void KeepAbove(QWidget& w, QWidget* owner);
// Moves a window so that it is centred on the screen (in twips, each half
// taken separately, as the program's windows always were).
void CentreOnScreen(QWidget& w);
// A row of buttons at the right-hand side of a dialog.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);
