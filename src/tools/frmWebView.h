#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <vector>

// The work picture box the pattern is built in: a picture, and the drawing
// surface that stays when the box is made larger.
struct WorkPicture {
    QImage Picture;
    QImage surface;
    // The picture's own size when Picture holds only its top left part,
    // which is all of it a screen can show; invalid when Picture is whole.
    QSize size;
};

// One copy of a rectangle of the surface onto itself.
struct TileCopy {
    QRect from;
    QPoint to;
};
// The copies that tile a picture of pictureSize over a screen of screenSize
// (pixels): the first row tile by tile, then that row band by band. The tile
// is one pixel less high than the picture.
std::vector<TileCopy> TileCopies(QSize pictureSize, QSize screenSize);

class frmWebView;
// Makes the form's background the picture of box repeated edge to edge, one
// screen at most. The second box is not used.
void TilePicture(WorkPicture& box, WorkPicture* unused, frmWebView& form);

// The web pattern viewer: the selected picture as a page background.
class frmWebView : public QWidget {
    Q_OBJECT
public:
    frmWebView();

    void Form_Load();
    void Form_Unload();

    WorkPicture Picture1;
    // Drawn from the window's top left; the window's colour beyond it.
    QImage Background;
    void SetBackground(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};
