// The HTML and CSV listings of the selected files: their exact texts, the
// clipboard after a cancelled run, sizes and totals.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "kit/Helpers.h"
#include "tools/CsvListing.h"
#include "tools/HtmlListing.h"
#include "tools/frmprogress.h"

namespace {
const QDateTime kModified(QDate(2001, 2, 3), QTime(4, 5, 6));

const QString kRule =
    "<tr><td width=50% align=left valign=top height=2 bgcolor=black></td>"
    "<td width=50% align=right valign=top height=2 bgcolor=black></td></tr>\r\n";
const QString kFont = "<font face=arial, ms sans serif, tahoma size=-1>";

QString head(const QString& folder) {
    return "<font face=arial, ms sans serif, tahoma size=+2><b>Contents of <br>" + folder +
           "</b></font>\r\n<br>\r\n<table width=80% cellspacing=0 cellpadding=3>\r\n" + kRule +
           "<tr height=20><td width=50% align=left valign=top bgcolor=silver>" + kFont +
           "<b>Filename</b></font></td><td width=50% align=right valign=top bgcolor=silver>" +
           kFont + "<b>File Size</b></font></td></tr>\r\n" + kRule;
}

QString row(const QString& url, const QString& text, const QString& size) {
    return "<tr><td width=50% align=left valign=top>" + kFont + "<a href=\"" + url + "\">" + text +
           "</a></font></td><td width=50% align=right valign=top>" + kFont + size +
           "</font></td></tr>\r\n";
}

QString tail(const QString& items, const QString& total) {
    return kRule + "<tr height=20><td width=50% align=left valign=top bgcolor=silver>" + kFont +
           "<b>" + items + " Item(s)</b></font></td>" +
           "<td width=50% align=right valign=top bgcolor=silver>" + kFont + "<b>" + total +
           " Total</b></font></td></tr>\r\n" + kRule + "</table>";
}
}  // namespace

class TestListings : public QObject {
    Q_OBJECT

    QString dir_;
    FileListView* lv_ = nullptr;

    // A file of size bytes named name in the test folder; sparse, so that
    // totals past 2 GiB cost no disk.
    QString file(const QString& name, qint64 size) {
        const QString path = dir_ + name;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size) ||
            !f.setFileTime(kModified, QFileDevice::FileModificationTime))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // The list: "..", then one item per (name, size) in this order, the
    // rows of `selected` (as '1'/'0', ".." first) selected. A size of -1
    // lists a file that is not there.
    void fill(const QList<QPair<QString, qint64>>& files, const QString& selected,
              const QStringList& dims = {}) {
        QVector<ListItem> items{ListItem::Parent(0)};
        for (int i = 0; i < files.size(); ++i) {
            const auto& [name, size] = files[i];
            const QString path = size < 0 ? dir_ + name : file(name, size);
            ListItem item = ListItem::AtPath(QFile::encodeName(path),
                                             int(name.size() - name.lastIndexOf('.')), 1);
            item.SetSize(std::max<qint64>(size, 0));
            item.SetSubItem(2, dims.value(i));
            items << item;
        }
        lv_->Model()->SetSort(false, 0, Qt::AscendingOrder);
        lv_->Model()->AddItems(items);
        for (int r = 0; r < selected.size(); ++r) lv_->SetSelected(r, selected[r] == '1');
    }

    QString html() {
        frmprogress p;
        p.createHTML(lv_, "/pics");
        return QGuiApplication::clipboard()->text();
    }

private slots:
    void init() {
        dir_ = UseFreshSettings() + "pics/";
        QDir().mkpath(dir_);
        lv_ = new FileListView;
        QGuiApplication::clipboard()->setText("before");
    }
    void cleanup() { delete lv_; }

    void FormatSize_data() {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 bytes";
        QTest::newRow("1023") << qint64(1023) << "1,023 bytes";
        QTest::newRow("1024") << qint64(1024) << "1.00KB (1,024 bytes)";
        QTest::newRow("2560") << qint64(2560) << "2.50KB (2,560 bytes)";
        QTest::newRow("k 1000 is MB") << qint64(1024000) << "0.98MB (1,024,000 bytes)";
        QTest::newRow("1 MB") << qint64(1048576) << "1.00MB (1,048,576 bytes)";
        QTest::newRow("past 32 bits") << qint64(3000000000) << "2.79GB (3,000,000,000 bytes)";
    }
    void FormatSize() {
        QFETCH(qint64, n);
        QFETCH(QString, text);
        QCOMPARE(HtmlListing::FormatSize(n), text);
    }

    void PathToFileUrl_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("url");
        QTest::newRow("unescaped") << "/My Pictures/a #1 100%.jpg"
                                   << "file:///My Pictures/a #1 100%.jpg";
        QTest::newRow("drive letter") << "C:\\My Pictures\\a.jpg"
                                      << "file:///C:/My Pictures/a.jpg";
    }
    void PathToFileUrl() {
        QFETCH(QString, path);
        QFETCH(QString, url);
        QCOMPARE(HtmlListing::PathToFileUrl(path), url);
    }

    void createHTML_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("rows");  // "name|size text" of each row
        QTest::addColumn<QString>("total");
        QTest::newRow("nothing selected") << "0000" << QStringList() << "0 bytes";
        QTest::newRow("all, .. too") << "1111"
                                     << QStringList{"a b|1,023 bytes", "c#d|1.00KB (1,024 bytes)",
                                                    "e,f|2.50KB (2,560 bytes)"}
                                     << "4.50KB";
        QTest::newRow("one of three")
            << "0010" << QStringList{"c#d|1.00KB (1,024 bytes)"} << "1.00KB";
    }
    void createHTML() {
        QFETCH(QString, selected);
        QFETCH(QStringList, rows);
        QFETCH(QString, total);
        fill({{"a b.jpg", 1023}, {"c#d.gif", 1024}, {"e,f.bmp", 2560}}, selected);
        QString expected = head("/pics");
        const QStringList ext{"a b.jpg", "c#d.gif", "e,f.bmp"};
        for (const QString& r : rows) {
            const QString name = r.section('|', 0, 0);
            const QString full = *std::find_if(
                ext.begin(), ext.end(), [&](const QString& e) { return e.startsWith(name + '.'); });
            expected += row("file://" + dir_ + full, name, r.section('|', 1));
        }
        expected += tail("3", total);
        QCOMPARE(html(), expected);
    }

    // A file gone since the list was made has no row and adds nothing; a
    // total past 2 GiB is written in full.
    void vanishedAndLargeFiles() {
        fill({{"gone.jpg", -1}, {"big1.bmp", 1500000000}, {"big2.bmp", 1500000000}}, "0111");
        QCOMPARE(html(),
                 head("/pics") +
                     row("file://" + dir_ + "big1.bmp", "big1", "1.40GB (1,500,000,000 bytes)") +
                     row("file://" + dir_ + "big2.bmp", "big2", "1.40GB (1,500,000,000 bytes)") +
                     tail("3", "2.79GB"));
    }

    void cancelLeavesTheClipboard() {
        fill({{"a.jpg", 10}, {"b.jpg", 20}}, "011");
        frmprogress p;
        QTimer::singleShot(0, &p, &frmprogress::Command2_Click);
        p.createHTML(lv_, "/pics");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
        QCOMPARE(p.Picture1->text(), QString("Adding a.jpg..."));
    }

    void createcsv() {
        // Listed in the list's order, which is not the order of selection.
        fill({{"b.jpg", 1010}, {"a.bmp", 4096}, {"x,y.gif", 5}, {"gone.jpg", -1}}, "01111",
             {"", "640 x 480", "1 x 1", ""});
        const QString date = FormatGeneralDate(kModified);
        QCOMPARE(CsvListing(*lv_), "b.jpg,1,010 bytes,," + date + "\r\n" +
                                       "a.bmp,4.00KB,640 x 480," + date + "\r\n" +
                                       "x,y.gif,5 bytes,1 x 1," + date + "\r\n");
    }
};

KVO_TEST_MAIN(TestListings)
#include "tst_listings.moc"
