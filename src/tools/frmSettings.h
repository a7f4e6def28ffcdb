#pragma once

#include <QDialog>
#include <QHash>

#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QTabBar;

// The settings dialog: the browser, slideshow and file-operation options on
// three tabs, and the extras on a fourth. Every opening reads the store again; OK and Apply write
// every control back and make the main window take the new values.
class frmSettings : public QDialog {
    Q_OBJECT
public:
    frmSettings();

    void Form_Load();
    void Form_Unload(qint16& Cancel);
    void Command1_Click(int Index);
    void TabStrip1_Click();
    void Slider1_Click();

    void GetBrowser();
    void GetFileOps();
    void GetSS();
    void SaveBrowser();
    void SaveFileOps();
    void SaveSS();
    // The "Extras" tab: one check box per extra switch.
    void GetExtras();
    void SaveExtras();

    // Check boxes by their index; the slots with no box (3 of Check1, 1 of
    // Check3) stay null.
    std::vector<QCheckBox*> Check1;  // 21 slots, and one for each newer picture type
    QCheckBox* Check3[4] = {};
    QCheckBox* Check4[4] = {};
    QRadioButton* Option1[2] = {};
    QRadioButton* Option2[3] = {};
    QSlider* Slider1 = nullptr;
    QLabel* Label2[3] = {};
    QTabBar* TabStrip1 = nullptr;
    QStackedWidget* Picture1 = nullptr;
    QPushButton* Command1[3] = {};
    // The box of an extra switch by its key; null for no such switch.
    QCheckBox* ExtraCheck(const QString& key) const { return extraChecks_.value(key); }

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    QWidget* browserTab();
    QWidget* slideshowTab();
    QWidget* miscTab();
    QWidget* extrasTab();
    QCheckBox* check(QCheckBox** array, int index, const QString& caption);

    QHash<QString, QCheckBox*> extraChecks_;
    bool unloading_ = false;
};
