// Path texts that keep every byte of a name, and edits mapped back to bytes.
#include <QtTest>

#include "TestEnv.h"
#include "platform/PathText.h"

class TestPaths : public QObject {
    Q_OBJECT

private slots:
    void textKeepsEveryByte_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ascii") << QByteArray("/photos/cat.jpg") << "/photos/cat.jpg";
        QTest::newRow("utf-8") << QByteArray("/caf\xC3\xA9/na\xC3\xAFve") << u"/café/naïve"_qs;
        QTest::newRow("latin-1") << QByteArray("/dossier caf\xE9") << u"/dossier caf\uFFFD"_qs;
        QTest::newRow("stray continuation") << QByteArray("a\x80\xBFz") << u"a\uFFFD\uFFFDz"_qs;
        QTest::newRow("truncated at end") << QByteArray("x\xE2\x82") << u"x\uFFFD\uFFFD"_qs;
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << u"\uFFFD\uFFFD"_qs;
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << u"\uFFFD\uFFFD\uFFFD"_qs;
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << QString(4, QChar(0xFFFD));
        QTest::newRow("astral") << QByteArray("\xF0\x9F\x93\xB7.gif") << u"📷.gif"_qs;
        QTest::newRow("text of a replacement") << QByteArray("\xEF\xBF\xBD") << u"\uFFFD"_qs;
    }
    void textKeepsEveryByte() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(PathBytes(PathText(bytes)), bytes);
        QCOMPARE(ShownText(bytes), shown);
        QCOMPARE(ShownPath(PathText(bytes)), shown);
        // Valid UTF-8 reads the same in every form.
        if (!shown.contains(QChar(0xFFFD)) || bytes == "\xEF\xBF\xBD")
            QCOMPARE(PathText(bytes), shown);
    }

    void editsMapBackToBytes_data() {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("expected");  // empty: refused
        const QByteArray naive("na\xEFve.jpg");
        QTest::newRow("prefix added")
            << naive << u"old_na\uFFFDve.jpg"_qs << QByteArray("old_na\xEFve.jpg");
        QTest::newRow("suffix changed")
            << naive << u"na\uFFFDve.jpeg"_qs << QByteArray("na\xEFve.jpeg");
        QTest::newRow("unchanged") << naive << u"na\uFFFDve.jpg"_qs << naive;
        QTest::newRow("unknown char replaced")
            << naive << u"naive.jpg"_qs << QByteArray("naive.jpg");
        QTest::newRow("typed replacement refused")
            << QByteArray("plain.jpg") << u"pl\uFFFDin.jpg"_qs << QByteArray();
        QTest::newRow("unknown char moved refused")
            << naive << u"\uFFFDnave.jpg"_qs << QByteArray();
        QTest::newRow("two unknown, middle cut") << QByteArray(
                                                        "a\xE9"
                                                        "b\xE8"
                                                        "c")
                                                 << u"a\uFFFDc"_qs
                                                 << QByteArray(
                                                        "a\xE9"
                                                        "c");
        QTest::newRow("new text only")
            << naive << u"völlig neu"_qs << QByteArray("v\xC3\xB6llig neu");
        QTest::newRow("astral kept") << QByteArray("\xF0\x9F\x93\xB7\xFF") << u"📷\uFFFD!"_qs
                                     << QByteArray("\xF0\x9F\x93\xB7\xFF!");
    }
    void editsMapBackToBytes() {
        QFETCH(QByteArray, original);
        QFETCH(QString, edited);
        QFETCH(QByteArray, expected);
        const std::optional<QByteArray> mapped = MapEditedText(original, edited);
        if (expected.isEmpty()) {
            QVERIFY2(!mapped, mapped ? mapped->toHex().constData() : "");
        } else {
            QVERIFY(mapped);
            QCOMPARE(*mapped, expected);
        }
    }
};

KVO_TEST_MAIN_CORE(TestPaths)
#include "tst_platform_paths.moc"
