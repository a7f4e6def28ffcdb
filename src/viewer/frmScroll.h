#pragma once

#include <QHash>
#include <functional>
#include <optional>

#include "kit/CStopWatch.h"
#include "kit/Form.h"
#include "kit/MenuArray.h"
#include "kit/PictureHolder.h"
#include "kit/PictureService.h"

class GifPlayer;
class PictureBox;
class ScrollBar;
class StatusBar;
class Toolbar;
class Viewport;
class ZoomSurface;

// The zoom step of the viewer, 0 to 6; 3 is actual size.
inline qint16 ZoomLevel = 3;
// The factor of a zoom step.
double ZoomFactor(int level);
// The first step above (up) or below a displayed factor, or -1 when there is
// none; from a picture fitted to the window, Zoom In and Out go there.
int StepBeyond(double factor, bool up);

// The viewer window: one picture at a zoom step inside scroll bars, stepping
// through the main window's file list.
class frmScroll : public Form {
    Q_OBJECT
public:
    frmScroll();
    ~frmScroll() override;

    // Window events.
    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload(qint16& Cancel, qint16 UnloadMode) override;
    void Form_Unload(qint16& Cancel) override;

    // Loading, zoom and layout. rawPath names the file by its bytes when
    // strfilename (the path shown) cannot.
    void Loadimage(const QString& strfilename, const QByteArray& rawPath = {});
    void DoZoom(bool IsPlus);
    void ZoomIn(int zoomtype);
    void sizeit();
    void SetScrollRanges();
    void HBar_Change();
    void HBar_Scroll();
    void VBar_Change();
    void VBar_Scroll();

    // Navigation and commands.
    void DoEnable();
    void ShowNext();
    void ShowPrevious();
    void GetImageFile();
    void IconMenu1_MenuHighlighted(const QString& MenuCaption);
    void mnufilea_Click(int Index);
    void mnuedita_Click(int Index);
    void mnuwall_Click(int Index);
    void mnuviewa_Click(int Index);
    void mnuabouta_Click(int Index);
    void Toolbar1_ButtonClick(int Index);
    void InnerPict_MouseUp(int Button, int Shift, float x, float y);
    void OuterPict_MouseUp(int Button, int Shift, float x, float y);

    // Beyond the classic viewer, each behind its switch in "Extras": the
    // whole picture fitted to the window until a zoom, a new picture or
    // actual size; full screen; the first and last picture of the list.
    void FitInWindow();
    bool Fitted() const { return fitted_; }
    void ToggleFullScreen();
    void ShowFirst();
    void ShowLast();
    // A key the viewer answers: true when it took it. Only with the keys'
    // switch on; F11 goes with the Fit in Window switch.
    bool KeyPressed(int key, Qt::KeyboardModifiers modifiers);
    // The mouse wheel over the picture, in eighths of a degree: scrolls
    // vertically, with Shift horizontally, with Ctrl zooms a step.
    void WheelTurned(QPoint angleDelta, Qt::KeyboardModifiers modifiers);

    // The open dialog: returns the chosen path, empty when cancelled. Tests
    // put their own chooser here.
    static inline std::function<QString(QWidget* owner, const QString& filter)> chooseFile;

    // An animated GIF on show plays while the switch is on.
    GifPlayer* Animation() const { return gif_; }

    MenuArray& Menu(const QString& array) { return menus_[array]; }
    MenuArray& mnufilea() { return Menu("mnufilea"); }
    MenuArray& mnuedita() { return Menu("mnuedita"); }
    MenuArray& mnuwall() { return Menu("mnuwall"); }
    MenuArray& mnuviewa() { return Menu("mnuviewa"); }
    MenuArray& mnuabouta() { return Menu("mnuabouta"); }

    Toolbar* Toolbar1;
    StatusBar* StatusBar1;
    QWidget* picholder;
    Viewport* OuterPict;
    ZoomSurface* InnerPict;
    ScrollBar* HBar;
    ScrollBar* VBar;
    PictureHolder Picture1;
    PictureBox* picwall;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildMenus();
    void buildToolbar();
    void dispatch(const QString& array, int index);
    void setPrevious(bool on);
    void setNext(bool on);
    // Moves the list's selection from row i to row next and loads it.
    void stepTo(int i, int next);
    void layoutBars();
    void closeViewer();
    // The picture Loadimage asked for arrived: shown unzoomed, with its facts.
    void pictureArrived(const PictureAnswer& answer);
    // Reads the list's next picture in the direction of travel ahead.
    void preloadBeyond(int i, int next);
    // Shows the picture as large as the room without bars lets it be.
    void fitToWindow();
    // Home and End: to the list's first or last picture.
    void showEnd(bool first);
    // A menu command, when its item is enabled.
    void runEnabled(int index);
    // Moves a visible bar's value by `by`, kept within its limits.
    static void nudge(ScrollBar* bar, double by);
    // Dragging the picture with the left button: where it started.
    void pictureMouse(QEvent* e);
    // What the surface shows: the animation's frame while one plays, else
    // the picture as loaded.
    const QImage& onSurface() const;
    void stopAnimation();

    QHash<QString, MenuArray> menus_;
    std::optional<CStopWatch> stopwatch_;
    PictureRequests* pictures_;
    QString loadingName_;  // the name Loadimage was given, for the panels and title
    bool keysOn_ = true;   // the keys, the wheel and dragging
    bool fitOn_ = true;    // Fit in Window and full screen
    bool animateOn_ = true;
    GifPlayer* gif_;
    QImage frame_;  // the animation's frame on show
    bool fitted_ = false;
    double fitFactor_ = 1;
    bool wasMaximized_ = false;
    int wheelZoom_ = 0;  // the Ctrl+wheel turn not yet used for a step
    std::optional<QPoint> dragFrom_;
    qint16 dragH_ = 0, dragV_ = 0;
};
