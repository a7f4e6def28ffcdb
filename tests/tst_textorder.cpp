// The list's text order against a stable sort of case-folded texts.
#include <QRandomGenerator>
#include <QtTest>

#include "TestEnv.h"
#include "browser/TextOrder.h"

namespace {
bool isAscii(const QString& s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80) return false;
    return true;
}

std::vector<int> expected(const QStringList& texts, bool descending) {
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = QString::compare(texts[a].toCaseFolded(), texts[b].toCaseFolded());
        return descending ? c > 0 : c < 0;
    });
    return order;
}

// Texts that share long beginnings, differ in case only, end early, hold
// letters outside ASCII and characters beyond 16 bits.
QStringList generated(int count, quint32 seed) {
    static const QStringList pieces = {
        "IMG_",   "img_",   "Holiday 2023 - ", "a",  "A", "z", "0", "\u00c4", "\u00e4",
        "\u00df", "\uFFFD", "\U0001F600",      "..", "_", "Z", "~", "\u0130"};
    QRandomGenerator random(seed);
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        QString t;
        const int parts = int(random.bounded(5));
        for (int p = 0; p < parts; ++p) t += pieces[random.bounded(pieces.size())];
        texts << t;
    }
    return texts;
}
}  // namespace

class TestTextOrder : public QObject {
    Q_OBJECT
private slots:
    void sortsAsFoldedTexts_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("descending");
        const QStringList few = {"b", "A", "a", "..", "B", "\u00e4", "ab", "a", ""};
        QTest::newRow("few") << few << false;
        QTest::newRow("few, descending") << few << true;
        for (int count : {30, 500, 5000}) {
            for (bool descending : {false, true})
                QTest::addRow("%d generated%s", count, descending ? ", descending" : "")
                    << generated(count, quint32(count)) << descending;
        }
    }

    void sortsAsFoldedTexts() {
        QFETCH(QStringList, texts);
        QFETCH(bool, descending);
        TextOrder order(int(texts.size()));
        for (const QString& t : texts) {
            // Plain ASCII texts go in as bytes, as the list gives names.
            if (isAscii(t))
                order.AddAscii(t.toLatin1());
            else
                order.Add(t);
        }
        QCOMPARE(order.Sorted(descending), expected(texts, descending));
    }
};

KVO_TEST_MAIN_CORE(TestTextOrder)
#include "tst_textorder.moc"
