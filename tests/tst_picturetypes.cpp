// The table of picture types is the one source: every surface that shows the
// types (switches and their keys, the settings dialog's boxes, the file
// list's patterns and images, Image Hound's tabs, the viewer's open filter,
// the generated desktop entry) lists exactly its rows, in the orders the
// program has always used.
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QtTest>

#include "ModernFiles.h"
#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/Options.h"
#include "browser/Switches.h"
#include "hound/frmFind.h"
#include "kit/Forms.h"
#include "kit/PictureTypes.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/TabStrip.h"
#include "platform/FileSystem.h"
#include "tools/frmSettings.h"
#include "viewer/ViewerTables.h"

Q_DECLARE_METATYPE(bool*)
Q_DECLARE_METATYPE(const Schema::Key*)

namespace {
const PictureTypes::Row* rowNamed(const QString& name) {
    for (const PictureTypes::Row& r : PictureTypes::kRows)
        if (QLatin1String(r.name.data(), r.name.size()) == name) return &r;
    return nullptr;
}

QStringList names(const std::vector<const PictureTypes::Row*>& rows) {
    QStringList n;
    for (const PictureTypes::Row* r : rows)
        n << QString::fromLatin1(r->name.data(), r->name.size());
    return n;
}

void setAllSwitches(bool on) {
    for (const PictureTypes::Row& r : PictureTypes::kRows) PictureTypes::Shown(r) = on;
}

// A frame's boxes, top to bottom.
QList<QCheckBox*> typeBoxes(frmSettings* d, const QString& frame = "File Types") {
    for (QGroupBox* g : d->findChildren<QGroupBox*>())
        if (g->title() == frame) return g->findChildren<QCheckBox*>();
    return {};
}

QImage picture() {
    return halves({8, 4});
}
}  // namespace

class TestPictureTypes : public QObject {
    Q_OBJECT

private slots:
    void init() { UseFreshSettings(); }
    void cleanup() {
        Forms::Close<frmSettings>();
        Forms::Close<frmFind>();
    }

    void surfacesKeepTheirOrders_data() {
        QTest::addColumn<QStringList>("surface");
        QTest::addColumn<QStringList>("expected");
        const QStringList nine = {"BMP", "DIB", "GIF", "JPG", "JPEG", "ICO", "CUR", "WMF", "EMF"};
        QStringList loaded;
        for (const PictureTypes::Row& r : PictureTypes::kRows)
            loaded << QString::fromLatin1(r.name.data(), r.name.size());
        // The newer types come after the nine everywhere, in one order.
        const QStringList newer = {"PNG", "WEBP", "TIF",  "TIFF", "SVG",
                                   "TGA", "AVIF", "HEIC", "HEIF", "JXL"};
        QTest::newRow("switches load") << loaded << nine + newer;
        QTest::newRow("file list")
            << names(PictureTypes::InListOrder())
            << QStringList{"BMP", "GIF", "JPG", "JPEG", "DIB", "CUR", "ICO", "EMF", "WMF"} + newer;
        QTest::newRow("settings boxes")
            << names(PictureTypes::InSettingsOrder())
            << QStringList{"BMP", "DIB", "GIF", "JPG", "JPEG", "CUR", "WMF", "ICO", "EMF"} + newer;
        setAllSwitches(true);
        QTest::newRow("viewer filter")
            << PatternListOfSwitches().split(';')
            << QStringList{"*.bmp", "*.gif",  "*.jpg",  "*.jpeg", "*.dib", "*.ico",  "*.cur",
                           "*.wmf", "*.emf",  "*.png",  "*.webp", "*.tif", "*.tiff", "*.svg",
                           "*.tga", "*.avif", "*.heic", "*.heif", "*.jxl"};
        QStringList tabs;
        for (const PictureTypes::HoundTab& t : PictureTypes::HoundTabs()) tabs << t.caption;
        QTest::newRow("hound tabs")
            << tabs << QStringList{"BMP", "CUR", "DIB", "EMF", "GIF", "ICO", "JPG", "WMF", "Other"};
        QTest::newRow("mime types")
            << PictureTypes::MimeTypes() << QStringList{"image/bmp",
                                                        "image/x-dib",
                                                        "image/gif",
                                                        "image/jpeg",
                                                        "image/vnd.microsoft.icon",
                                                        "image/x-win-bitmap",
                                                        "image/wmf",
                                                        "image/emf",
                                                        "image/png",
                                                        "image/webp",
                                                        "image/tiff",
                                                        "image/svg+xml",
                                                        "image/x-tga",
                                                        "image/avif",
                                                        "image/heic",
                                                        "image/heif",
                                                        "image/jxl"};
    }

    void surfacesKeepTheirOrders() {
        QFETCH(QStringList, surface);
        QFETCH(QStringList, expected);
        QCOMPARE(surface, expected);
    }

    // The windows build their type controls from the table.
    void windowsShowTheTable() {
        auto* d = Forms::Get<frmSettings>();
        QStringList captions;
        for (QCheckBox* b : typeBoxes(d)) captions << b->text();
        QCOMPARE(captions,
                 QStringList({"BMP Image", "DIB Images", "GIF Images", "JPG Images", "JPEG Images",
                              "Cursor Files", "WMF Images", "Icon Files", "EMF Images"}));
        for (int i = 0; i < captions.size(); ++i) QCOMPARE(d->Check1[4 + i], typeBoxes(d)[i]);
        // The newer types in a frame of their own beside.
        captions.clear();
        for (QCheckBox* b : typeBoxes(d, "More File Types")) captions << b->text();
        QCOMPARE(captions, QStringList({"PNG Images", "WebP Images", "TIF Images", "TIFF Images",
                                        "SVG Drawings", "TGA Images", "AVIF Images", "HEIC Images",
                                        "HEIF Images", "JPEG XL Images"}));
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(d->Check1[21 + i], typeBoxes(d, "More File Types")[i]);

        auto* f = Forms::Get<frmFind>();
        QStringList tabs;
        for (int i = 0; i < f->TabStrip1->count(); ++i) tabs << f->TabStrip1->tabText(i);
        QCOMPARE(tabs,
                 QStringList({"BMP", "CUR", "DIB", "EMF", "GIF", "ICO", "JPG", "WMF", "Other"}));
        QCOMPARE(int(f->List1.size()), 9);
    }

    void desktopEntryIsGeneratedFromTheTable() {
        QFile entry(qEnvironmentVariable("KVO_BUILD_DIR") +
                    "/packaging/org.example.kvoview.desktop");
        QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
        QStringList mimeLines;
        for (const QByteArray& line : entry.readAll().split('\n'))
            if (line.startsWith("MimeType=")) mimeLines << QString::fromUtf8(line.mid(9));
        QCOMPARE(mimeLines, QStringList(PictureTypes::MimeTypes().join(';') + ';'));
    }

    // One row a type, and each of the program's names for its facts is the row's.
    void eachTypeIsOneRow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool*>("shown");
        QTest::addColumn<const Schema::Key*>("key");
        QTest::addColumn<QString>("keyName");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("check");
        QTest::addColumn<int>("houndTab");
        QTest::addColumn<bool*>("houndSwitch");
        QTest::addColumn<QByteArray>("bytes");
        const QImage p = picture();
        // clang-format off
        QTest::newRow("BMP")  << "BMP"  << &ShowBMP  << &Keys::ShowBMP  << "Show BMP"  << "a.BMP"  << 1 << 4  << 0 << &ShowBMP << encoded(p, "bmp");
        QTest::newRow("DIB")  << "DIB"  << &ShowDIB  << &Keys::ShowDIB  << "Show DIB"  << "a.dib"  << 4 << 5  << 2 << &ShowDIB << encoded(p, "bmp");
        QTest::newRow("GIF")  << "GIF"  << &ShowGIF  << &Keys::ShowGIF  << "Show GIF"  << "a.gif"  << 2 << 6  << 4 << &ShowGIF << gifFile(p);
        QTest::newRow("JPG")  << "JPG"  << &ShowJPG  << &Keys::ShowJPG  << "Show JPG"  << "a.Jpg"  << 3 << 7  << 6 << &ShowJPG << encoded(p, "jpg");
        QTest::newRow("JPEG") << "JPEG" << &ShowJPEG << &Keys::ShowJPEG << "Show JPEG" << "a.jpeg" << 3 << 8  << 6 << &ShowJPG << encoded(p, "jpg");
        QTest::newRow("ICO")  << "ICO"  << &ShowICO  << &Keys::ShowICO  << "Show ICO"  << "a.ico"  << 6 << 11 << 5 << &ShowICO << iconFile(1, {{p}});
        QTest::newRow("CUR")  << "CUR"  << &ShowCUR  << &Keys::ShowCUR  << "Show CUR"  << "a.cur"  << 5 << 9  << 1 << &ShowCUR << iconFile(2, {{p}});
        QTest::newRow("WMF")  << "WMF"  << &ShowWMF  << &Keys::ShowWMF  << "Show WMF"  << "a.wmf"  << 8 << 10 << 7 << &ShowWMF << wmfFile(wmfDrawing());
        QTest::newRow("EMF")  << "EMF"  << &ShowEMF  << &Keys::ShowEMF  << "Show EMF"  << "a.emf"  << 7 << 12 << 3 << &ShowEMF << emfFile(emfDrawing());
        // clang-format on
    }

    void eachTypeIsOneRow() {
        QFETCH(QString, name);
        QFETCH(bool*, shown);
        QFETCH(const Schema::Key*, key);
        QFETCH(QString, keyName);
        QFETCH(QString, file);
        QFETCH(int, image);
        QFETCH(int, check);
        QFETCH(int, houndTab);
        QFETCH(bool*, houndSwitch);
        QFETCH(QByteArray, bytes);
        const PictureTypes::Row* row = rowNamed(name);
        QVERIFY(row);
        QVERIFY(row->classic);

        // The switch and key by the program's names are the row's.
        QCOMPARE(&PictureTypes::Shown(*row), shown);
        QCOMPARE(&key->section, &Schema::BrowserOptions);
        QCOMPARE(key->name, keyName);
        QCOMPARE(PictureTypes::SettingKey(*row).name, keyName);
        QCOMPARE(PictureFormat::sniff(bytes), row->reader);

        // Loading the switches reads this key into this switch only.
        setAllSwitches(true);
        WriteSetting(*key, "False");
        DoFileTypes();
        for (const PictureTypes::Row& r : PictureTypes::kRows)
            QCOMPARE(PictureTypes::Shown(r), &r != row);

        // The file list's pattern and image; the image shows the type or the
        // one it shares the image with.
        QVERIFY(MatchesPattern(file, PictureTypes::Pattern(*row)));
        QCOMPARE(row->listImage, image);
        QVERIFY(PictureTypes::ListImageOwner(image));
        QCOMPARE(PictureTypes::ListImageOwner(image)->listImage, image);

        // Image Hound sorts the name into its tab, as that tab's switch says.
        QCOMPARE(ImageListOf(file.toLatin1()), houndTab);
        setAllSwitches(true);
        *houndSwitch = false;
        QVERIFY(!ImageListSwitch(houndTab));
        *houndSwitch = true;
        QVERIFY(ImageListSwitch(houndTab));

        // The viewer offers the type's pattern when its switch alone is on.
        setAllSwitches(false);
        *shown = true;
        QCOMPARE(PatternListOfSwitches(), PictureTypes::Pattern(*row));

        // The settings dialog's box writes the key and sets the switch.
        setAllSwitches(true);
        UseFreshSettings();
        auto* d = Forms::Get<frmSettings>();
        d->Form_Load();
        QVERIFY(d->Check1[check]);
        QCOMPARE(d->Check1[check]->text(), QString(row->settingsCaption));
        d->Check1[check]->setChecked(false);
        d->SaveBrowser();
        QCOMPARE(ReadSetting(*key), "False");
        for (const PictureTypes::Row& r : PictureTypes::kRows) {
            QCOMPARE(PictureTypes::Shown(r), &r != row);
            if (&r != row) QCOMPARE(ReadSetting(PictureTypes::SettingKey(r)), "True");
        }
    }

    // A newer type: one row too, its switch in "Extras", on by default; the
    // file list, the viewer and the settings dialog show it like the nine,
    // Image Hound lists it on "Other" as its own switch says.
    void newerTypeIsOneRow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("check");
        QTest::addColumn<QByteArray>("bytes");
        const QImage p = picture();
        const QByteArray tga = QByteArray::fromHex("000002000000000000000000080004001820") +
                               QByteArray(8 * 4 * 3, '\x7F');
        // clang-format off
        QTest::newRow("PNG")  << "PNG"  << "a.png"  << 10 << 21 << encoded(p, "png");
        QTest::newRow("WEBP") << "WEBP" << "a.WebP" << 11 << 22 << encoded(p, "webp");
        QTest::newRow("TIF")  << "TIF"  << "a.tif"  << 12 << 23 << encoded(p, "tiff");
        QTest::newRow("TIFF") << "TIFF" << "a.tiff" << 12 << 24 << encoded(p, "tiff");
        QTest::newRow("SVG")  << "SVG"  << "a.svg"  << 13 << 25 << QByteArray("<svg width='8' height='4'/>");
        QTest::newRow("TGA")  << "TGA"  << "a.tga"  << 14 << 26 << tga;
        QTest::newRow("AVIF") << "AVIF" << "a.avif" << 15 << 27 << avifFile(p);
        QTest::newRow("HEIC") << "HEIC" << "a.HEIC" << 16 << 28 << heifFile(p);
        QTest::newRow("HEIF") << "HEIF" << "a.heif" << 16 << 29 << heifFile(p);
        QTest::newRow("JXL")  << "JXL"  << "a.jxl"  << 17 << 30 << jxlFile(p);
        // clang-format on
    }

    void newerTypeIsOneRow() {
        QFETCH(QString, name);
        QFETCH(QString, file);
        QFETCH(int, image);
        QFETCH(int, check);
        QFETCH(QByteArray, bytes);
        const PictureTypes::Row* row = rowNamed(name);
        QVERIFY(row);
        QVERIFY(!row->classic);
        const Schema::Key key = PictureTypes::SettingKey(*row);
        QCOMPARE(&key.section, &Schema::ExtrasSection);
        QCOMPARE(key.name, "Show " + name);
        QCOMPARE(key.fallback, QVariant(true));
        QCOMPARE(PictureFormat::sniffNamed(bytes, file.toLatin1()), row->reader);

        // Its switch starts on, and its key alone turns it off.
        setAllSwitches(false);
        DoFileTypes();
        QVERIFY(PictureTypes::Shown(*row));
        WriteSetting(key, "False");
        DoFileTypes();
        for (const PictureTypes::Row& r : PictureTypes::kRows)
            QCOMPARE(PictureTypes::Shown(r), &r != row);

        QVERIFY(MatchesPattern(file, PictureTypes::Pattern(*row)));
        QCOMPARE(row->listImage, image);
        QCOMPARE(PictureTypes::ListImageOwner(image)->listImage, image);

        // Image Hound: the tab "Other", by this type's own switch.
        const int other = int(PictureTypes::HoundTabs().size()) - 1;
        QCOMPARE(ImageListOf(file.toLatin1()), other);
        QCOMPARE(PictureTypes::HoundSwitchOf(file.toLatin1()), row);
        setAllSwitches(false);
        QVERIFY(!ImageListSwitch(other));
        PictureTypes::Shown(*row) = true;
        QVERIFY(ImageListSwitch(other));

        setAllSwitches(false);
        PictureTypes::Shown(*row) = true;
        QCOMPARE(PatternListOfSwitches(), PictureTypes::Pattern(*row));

        setAllSwitches(true);
        UseFreshSettings();
        auto* d = Forms::Get<frmSettings>();
        d->Form_Load();
        QVERIFY(d->Check1[check]);
        QCOMPARE(d->Check1[check]->text(), QString(row->settingsCaption));
        d->Check1[check]->setChecked(false);
        d->SaveBrowser();
        QCOMPARE(ReadSetting(key), "False");
        for (const PictureTypes::Row& r : PictureTypes::kRows)
            QCOMPARE(PictureTypes::Shown(r), &r != row);
    }
};

KVO_TEST_MAIN(TestPictureTypes)
#include "tst_picturetypes.moc"
