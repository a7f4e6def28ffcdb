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
// use, forgotten when they close, so the next use starts afresh. The type
// names the window: its class name (Q_OBJECT is required) is its name here.
class Forms {
public:
    // The instance of the window, created when there is none.
    template <class T>
    static T* Get() {
        if (T* w = Find<T>()) return w;
        T* w = new T();
        Register(Name<T>(), w);
        return w;
    }
    // The instance, or null when it does not exist.
    template <class T>
    static T* Find() {
        return qobject_cast<T*>(Find(Name<T>()));
    }
    template <class T>
    static bool Loaded() {
        return Find<T>() != nullptr;
    }
    // Closes the window when it exists (it then forgets itself).
    template <class T>
    static void Close() {
        Close(Name<T>());
    }
    // Lets go of the reference: a window still on screen stays open, no
    // longer kept above its owner, and frees itself when closed; a hidden
    // one is freed now.
    template <class T>
    static void Release() {
        Release(Name<T>());
    }

    // What closing the main window does with a window: release it, or close
    // it first and release it afterwards. Windows declared neither are left
    // alone. The start-up code declares them all, in the order the main
    // window deals with them.
    enum WithMain { Released, Closed };
    template <class T>
    static void Declare(WithMain what) {
        Declare(Name<T>(), what);
    }
    // The main window's two steps: closing the windows declared Closed (from
    // its Form_QueryUnload), then releasing all declared ones (Form_Unload).
    static void CloseDeclared();
    static void ReleaseDeclared();

private:
    template <class T>
    static QString Name() {
        return QString::fromLatin1(T::staticMetaObject.className());
    }
    static QWidget* Find(const QString& name);
    static void Close(const QString& name);
    static void Release(const QString& name);
    static void Declare(const QString& name, WithMain what);
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
