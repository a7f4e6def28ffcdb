#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QWidget>

#include "kit/PictureHolder.h"
#include "kit/PictureService.h"

class ImageControl;
class QLabel;
class QTimer;

// The slideshow's numbers in [0, 1): one generator for the whole run, never
// seeded, so every run of the program draws the same sequence.
double Rnd();

// The playlist: full paths in list order and the index on show (0-based,
// -1 before the first). Raw paths are the files' bytes.
struct Playlist {
    QVector<QString> entries;
    QVector<QByteArray> raw;
    qint16 ListIndex = -1;
    int ListCount() const { return entries.size(); }
};

// The slideshow: the main window's selected files (or all of them) one after
// another on a timer, forwards, backwards or at random, with a caption.
class frmshow : public QWidget {
    Q_OBJECT
public:
    frmshow();
    ~frmshow() override;

    void Form_Load();
    void setoptions();
    void SetOnTop();
    void doforward();
    void doreverse();
    void dorandom();
    void CenterImage(const PictureHolder& pic);
    void Timer1_Timer();
    void List1_Click();
    void Form_KeyUp(int KeyCode, int Shift);
    void Form_MouseUp(int Button, int Shift, float x, float y);
    void Image1_Click();
    void Form_Unload();

    // Sets the playlist's index, which shows that entry.
    void SetListIndex(int index);
    // The caption text for the entry on show.
    void BuildCaption();

    // Beyond the classic show, behind its switch in "Extras": Space pauses
    // and resumes, Left and Right step back and on in the list's order. True
    // when the key was taken.
    bool KeyPressed(int key, bool autoRepeat = false);
    bool Paused() const { return paused_; }

    Playlist List1;
    PictureHolder Picture1;
    ImageControl* Image1;
    QLabel* Label1;
    QTimer* Timer1;

    qint16 Delay = 5, Looping = 1, ShowFilename = 1, ShowDetails = 0, Sequence = 0;
    qint16 AlwaysOnTop = 1;
    bool finished = false;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // The slide's picture arrived: shown, captioned, and the next one read ahead.
    void slideArrived(const PictureAnswer& answer);
    // The caption is built when the slide on its way is shown.
    void captionWhenShown();
    // The entry the timer shows next, when the order says which.
    int nextIndex() const;
    PictureSizing slideSizing() const;

    PictureRequests* slides_;
    bool captionDue_ = false;
    int loading_ = 0;  // inside Form_Load's yields
    bool deleteWhenLoaded_ = false;
    bool unloaded_ = false;
    bool keysOn_ = false;
    bool paused_ = false;
};
