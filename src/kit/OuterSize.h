#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QWidget;

// Gives a top-level window the outer size (frame included) it was asked for.
// Before the window manager has framed a window its frame is not known, so
// the size set then is the client's; once the frame shows up the client is
// shrunk by it, once. A maximised or minimised window is left alone until it
// comes back to normal, so its normal size ends up the one asked for. A
// window that stays frameless for a while (no window manager) already has it.
class OuterSize : public QObject {
public:
    explicit OuterSize(QWidget* window);

    void SetWidth(int px);
    void SetHeight(int px);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void apply();
    void resizeClient();

    QWidget* window_;
    int width_ = 0;  // 0: nothing pending
    int height_ = 0;
    QTimer poll_;
    QElapsedTimer shown_;
};
