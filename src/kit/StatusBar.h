#pragma once

#include <QLabel>
#include <QVector>
#include <QWidget>

// A status bar of numbered panels (from 1). Panels hide and show on their
// own; the last visible one takes the remaining width.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(int panels, QWidget* parent = nullptr);

    class Panel {
    public:
        QString Text() const;
        void SetText(const QString& text);
        bool Visible() const;
        void SetVisible(bool visible);

    private:
        friend class StatusBar;
        QLabel* label = nullptr;
    };

    Panel& Panels(int index) { return panels_[index - 1]; }
    int Count() const { return panels_.size(); }
    int PreferredHeight() const;

private:
    QVector<Panel> panels_;
};
