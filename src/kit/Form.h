#pragma once

#include <QMainWindow>

class OuterSize;

// A window with a menu bar in the old runtime's manner. Closing it runs
// Form_QueryUnload, which may cancel by setting Cancel, and then Form_Unload,
// once; a close asked for during Form_Unload just goes through. Its geometry
// is read and set in twips: the outer frame, which is what the user sees as
// the window, and the client area below the menu bar (Client(), where the
// window's controls live).
//
// To add a window: a class with Q_OBJECT (its class name is its name among
// the Forms), built on this one when it has a menu bar and the unload
// sequence; open it with Forms::Get<T>() from the table of openers that app/
// fills, and say in app/Windows.cpp what closing the main window does with it.
class Form : public QMainWindow {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Cancel starts at 0; UnloadMode is 0 when the window is closed.
    virtual void Form_QueryUnload(qint16& Cancel, qint16 UnloadMode);
    virtual void Form_Unload(qint16& Cancel);

    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void SetLeft(float twips);
    void SetTop(float twips);
    // The outer size is reached once the window manager has framed the window.
    void SetWidth(float twips);
    void SetHeight(float twips);
    // 0 normal, 1 minimised, 2 maximised.
    int WindowState() const;
    void SetWindowState(int state);
    float ScaleWidth() const;
    float ScaleHeight() const;

protected:
    // The client area; the window filters its events, so a subclass sees
    // its resizes in eventFilter.
    QWidget* Client() const { return client_; }
    void closeEvent(QCloseEvent* e) override;

private:
    QWidget* client_;
    OuterSize* outerSize_;
    bool unloading_ = false;
};
