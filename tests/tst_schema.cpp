// The program's store operations: how stored texts convert, the names and
// defaults every key is kept under, and the list sections.
#include <QDir>
#include <QtTest>

#include "TestEnv.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"
#include "platform/SystemInfo.h"

namespace {
// Counts how often the program's volume is looked up.
class CountingSystem : public FakeSystemInfo {
public:
    mutable int volumeLookups = 0;
    QString VolumeRoot(const QString& path) const override {
        ++volumeLookups;
        return FakeSystemInfo::VolumeRoot(path);
    }
};
}  // namespace

Q_DECLARE_METATYPE(const Schema::Key*)

class TestSchema : public QObject {
    Q_OBJECT

    void freshStore() {
        UseFreshSettings();
        UseFakeSystem("/media/usb/")->programFolder = "/media/usb/kvo/";
    }

private slots:
    void init() { freshStore(); }

    void booleans_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");  // -1 cannot be converted
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("false lower") << "false" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("spaces") << " True " << 1;
        QTest::newRow("yes") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
    }

    void booleans() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<bool> v = ToBool(text);
        QCOMPARE(v.has_value() ? int(*v) : -1, expected);
    }

    void integers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << "2" << 2 << true;
        QTest::newRow("overflow") << "32768" << 0 << false;
        QTest::newRow("smallest") << "-32768" << -32768 << true;
        QTest::newRow("half to even") << "2.5" << 2 << true;
        QTest::newRow("word") << "two" << 0 << false;
        QTest::newRow("empty") << "" << 0 << false;
    }

    void integers() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QFETCH(bool, ok);
        const auto v = ToInt16(text);
        QCOMPARE(v.has_value(), ok);
        if (ok) QCOMPARE(int(*v), expected);
    }

    // The names a user's file holds, and what each reads as while missing.
    // The screen is the test's 1024 x 768 at 15 twips a pixel; the program
    // lives on /media/usb/.
    void keysKeepTheirNames_data() {
        QTest::addColumn<const Schema::Key*>("key");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fallback");
        struct Row {
            const Schema::Key* key;
            const char *section, *name, *fallback;
        };
        static const Row rows[] = {
            // clang-format off
            {&Keys::ShowBMP,               "Browser Options", "Show BMP", "True"},
            {&Keys::ShowDIB,               "Browser Options", "Show DIB", "True"},
            {&Keys::ShowGIF,               "Browser Options", "Show GIF", "True"},
            {&Keys::ShowJPG,               "Browser Options", "Show JPG", "True"},
            {&Keys::ShowJPEG,              "Browser Options", "Show JPEG", "True"},
            {&Keys::ShowICO,               "Browser Options", "Show ICO", "True"},
            {&Keys::ShowCUR,               "Browser Options", "Show CUR", "True"},
            {&Keys::ShowWMF,               "Browser Options", "Show WMF", "True"},
            {&Keys::ShowEMF,               "Browser Options", "Show EMF", "True"},
            {&Keys::ShowHiddenFiles,       "Browser Options", "Show Hidden Files", "True"},
            {&Keys::ToolbarVisible,        "Browser Options", "Toolbar Visible", "True"},
            {&Keys::StatusBarVisible,      "Browser Options", "StatusBar Visible", "True"},
            {&Keys::UsePreviousFolder,     "Browser Options", "Use Previous Folder", "True"},
            {&Keys::PathInTitlebar,        "Browser Options", "Path in Titlebar", "True"},
            {&Keys::DoubleClick,           "Browser Options", "Double Click", "True"},
            {&Keys::SaveWindowPosition,    "Browser Options", "Window Position", "True"},
            {&Keys::SaveWindowSize,        "Browser Options", "Window Size", "True"},
            {&Keys::SaveWindowState,       "Browser Options", "Window State", "True"},
            {&Keys::FullRowSelect,         "Browser Options", "Full Row Select", "True"},
            {&Keys::GridLines,             "Browser Options", "Grid Lines", "True"},
            {&Keys::PreviewPosition,       "Browser Options", "Preview Position", "Right"},
            {&Keys::Left,                  "Browser Options", "Left", "200"},
            {&Keys::Top,                   "Browser Options", "Top", "200"},
            {&Keys::Width,                 "Browser Options", "Width", "14960"},
            {&Keys::Height,                "Browser Options", "Height", "11120"},
            {&Keys::WindowState,           "Browser Options", "WindowState", "0"},
            {&Keys::PreviousFolder,        "Browser Options", "Previous Folder", "/media/usb/"},
            {&Keys::ListviewView,          "Browser Options", "Listview View", ""},
            {&Keys::Odometer,              "Browser Options", "Odometer", "0"},
            {&Keys::ConfirmFolderCreation, "File Options", "Confirm Folder Creation", "True"},
            {&Keys::ShowConfirmDialog,     "File Options", "Show Confrim Dialog", "True"},
            {&Keys::ShowProgress,          "File Options", "Show Progress", "True"},
            {&Keys::Delay,                 "Slideshow Settings", "Delay", "5"},
            {&Keys::Looping,               "Slideshow Settings", "Looping", "1"},
            {&Keys::ShowFilename,          "Slideshow Settings", "Show Filename", "1"},
            {&Keys::ShowDetails,           "Slideshow Settings", "Show Details", "0"},
            {&Keys::Sequence,              "Slideshow Settings", "Sequence", "0"},
            {&Keys::AlwaysOnTop,           "Slideshow Settings", "Always On Top", "1"},
            {&Keys::LastColor,             "General Options", "Last Color", "8421504"},
            {&Keys::LastConvertFolder,     "General Options", "Last Convert Folder", ""},
            {&Keys::RememberPaneSizes,     "Extras", "Remember Pane Sizes", "True"},
            {&Keys::FolderTreeWidth,       "Extras", "Folder Tree Width", ""},
            {&Keys::FileListWidth,         "Extras", "File List Width", ""},
            {&Keys::FileListHeight,        "Extras", "File List Height", ""},
            {&Keys::ViewerKeys,            "Extras", "Viewer Keys", "True"},
            {&Keys::ViewerFit,             "Extras", "Viewer Fit In Window", "True"},
            {&Keys::SlideshowKeys,         "Extras", "Slideshow Keys", "True"},
            {&Keys::DragAndDrop,           "Extras", "Drag And Drop", "True"},
            {&Keys::AnimatedGifs,          "Extras", "Animated GIFs", "True"},
            {&Keys::ShowThumbnails,        "Extras", "Show Thumbnails", "True"},
            {&Keys::ExifOrientation,       "Extras", "EXIF Orientation", "True"},
            // clang-format on
        };
        for (const Row& r : rows)
            QTest::newRow(r.name) << r.key << QString(r.section) << QString(r.name)
                                  << QString(r.fallback);
    }

    void keysKeepTheirNames() {
        QFETCH(const Schema::Key*, key);
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(QString, fallback);
        QCOMPARE(ReadSetting(*key), fallback);
        WriteSetting(*key, QString("stored"));
        const auto rows = ReadSection(section);
        QCOMPARE(int(rows.size()), 1);
        QCOMPARE(rows[0].first, name);  // letter case included
        QCOMPARE(ReadSetting(*key), QString("stored"));
    }

    // A default that follows the machine is worked out when read: it follows
    // a screen or a system put in place after start-up, and a stored key
    // does not look the program's volume up at all.
    void machineDefaultsFollowTheServices() {
        Platform::SetScreen(std::make_unique<FixedScreenMetrics>(800, 600, 15.0f));
        QCOMPARE(ReadSetting(Keys::Width), QString("11600"));
        QCOMPARE(ReadSetting(Keys::Height), QString("8600"));
        Platform::SetScreen(std::make_unique<FixedScreenMetrics>(1600, 1200, 12.0f));
        QCOMPARE(ReadSetting(Keys::Width), QString("18800"));
        QCOMPARE(ReadSetting(Keys::Height), QString("14000"));
        Platform::SetScreen(std::make_unique<FixedScreenMetrics>());

        auto system = std::make_unique<CountingSystem>();
        system->volumeRoot = "/mnt/other/";
        const CountingSystem* counted = system.get();
        Platform::SetSystem(std::move(system));
        QCOMPARE(ReadSetting(Keys::PreviousFolder), QString("/mnt/other/"));
        QCOMPARE(counted->volumeLookups, 1);
        WriteSetting(Keys::PreviousFolder, QString("/photos/"));
        QCOMPARE(ReadSetting(Keys::PreviousFolder), QString("/photos/"));
        QCOMPARE(ReadSetting(Keys::Odometer), QString("0"));
        QCOMPARE(counted->volumeLookups, 1);
    }

    void listSectionsKeepWrittenOrder() {
        // The organizer rewrites favourites as a whole, in its own order.
        DeleteSection("Favorite Folders");
        WriteSetting("Favorite Folders", "B", QString("/b"));
        WriteSetting("Favorite Folders", "A", QString("/a"));
        auto rows = ReadSection("Favorite Folders");
        QCOMPARE(int(rows.size()), 2);
        QCOMPARE(rows[0].first, QString("B"));
        QCOMPARE(rows[1].second, QString("/a"));
        DeleteSection("favorite folders");
        QVERIFY(ReadSection("Favorite Folders").empty());
        QVERIFY(ReadSection("Recent Folders").empty());
        QCOMPARE(ReadSetting("Recent Folders", "Recent Folder 0"), QString());
    }
};

KVO_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
