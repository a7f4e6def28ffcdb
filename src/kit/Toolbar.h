#pragma once

#include <QIcon>
#include <QString>
#include <QToolBar>
#include <QVector>
#include <QWidget>

class QAction;

inline constexpr quint32 TB_SETSTYLE = 1080;
inline constexpr quint32 TB_GETSTYLE = 1081;
inline constexpr quint32 TBSTYLE_FLAT = 0x800;

// The native bar inside a Toolbar. It keeps the toolbar style word; the flat
// bit draws the buttons without a frame until the mouse is over them.
class ToolbarWindow32 : public QToolBar {
    Q_OBJECT
public:
    explicit ToolbarWindow32(QWidget* parent);
    qintptr SendMessage(quint32 msg, quintptr wParam, qintptr lParam);
    quint32 Style() const { return style_; }

private:
    void applyStyle();
    quint32 style_ = 0;
};

// A toolbar of indexed buttons (1-based; separators hold an index too), each
// with a key, a tool tip and an image. Emits ButtonClick with the index.
class Toolbar : public QWidget {
    Q_OBJECT
public:
    explicit Toolbar(QWidget* parent = nullptr);

    struct Button {
        QString key;
        QString toolTip;
        QIcon image;
        bool separator = false;
        QAction* action = nullptr;
    };

    // Appends a button and returns its index.
    int AddButton(const QString& key, const QString& toolTip, const QIcon& image);
    int AddSeparator();
    void Clear();
    int Count() const { return buttons_.size(); }
    const Button& Buttons(int index) const { return buttons_.at(index - 1); }
    // The button's rectangle in this control's coordinates.
    QRect ButtonRect(int index) const;
    void SetButtonEnabled(int index, bool enabled);

    // Height the bar needs, in pixels.
    int PreferredHeight() const;
    void Refresh();
    ToolbarWindow32* bar() const { return bar_; }

signals:
    void ButtonClick(int index);
    // A mouse button released anywhere over the bar (1 left, 2 right),
    // with the position in twips.
    void MouseUp(int button, int shift, float x, float y);

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    ToolbarWindow32* bar_;
    QVector<Button> buttons_;
};
