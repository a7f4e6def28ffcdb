#pragma once

#include <QWidget>

class FileListView;
class QLabel;
class QProgressBar;
class QPushButton;

// The small borderless window that builds the HTML listing of the main
// list's selected files while it loads: the file being added, a bar, Cancel.
class frmprogress : public QWidget {
    Q_OBJECT
public:
    explicit frmprogress(QWidget* owner = nullptr);

    // Centres and shows the window, then builds the listing.
    void Form_Load();
    // Builds the listing of lv's selected files under the heading folder and
    // puts it on the clipboard; a cancelled run leaves the clipboard alone.
    void createHTML(FileListView* lv, const QString& folder);
    void Command2_Click();

    bool KeepGoing = false;
    QPushButton* Command1;  // the raised face filling the window
    QLabel* Picture1;
    QProgressBar* ProgressBar1;
    QPushButton* Command2;
};
