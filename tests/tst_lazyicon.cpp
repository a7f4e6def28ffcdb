// Pictures made when first drawn: the style's standard pictures and the
// program's own look the same as when they were read at once, and nothing
// is made before it is asked for.
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtTest>

#include "TestEnv.h"
#include "kit/LazyIcon.h"
#include "kit/SteadyStyle.h"

namespace {
QIcon square(const QColor& colour) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pm(size, size);
        pm.fill(colour);
        icon.addPixmap(pm);
    }
    return icon;
}

QImage imageOf(const QIcon& icon, int size) {
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}
}  // namespace

class TestLazyIcon : public QObject {
    Q_OBJECT

    QString baseStyle_;

private slots:
    void initTestCase() {
        baseStyle_ = QApplication::style()->name();
        UseSteadyLayouts();
    }

    void madeOnceWhenFirstDrawn() {
        int made = 0;
        const QIcon icon = LazyIcon([&made] {
            ++made;
            return square(Qt::red);
        });
        QIcon copy = icon;
        QCOMPARE(made, 0);
        QCOMPARE(imageOf(icon, 16).pixel(3, 3), QColor(Qt::red).rgb());
        QCOMPARE(imageOf(copy, 32).size(), QSize(32, 32));
        QCOMPARE(icon.availableSizes(), square(Qt::red).availableSizes());
        QCOMPARE(made, 1);
    }

    void paintsIntoARectangle() {
        const QIcon icon = LazyIcon([] { return square(Qt::blue); });
        QImage canvas(20, 20, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        icon.paint(&p, QRect(2, 2, 16, 16));
        p.end();
        QCOMPARE(canvas.pixel(10, 10), QColor(Qt::blue).rgb());
        QCOMPARE(canvas.pixel(0, 0), QColor(Qt::white).rgb());
    }

    void emptyStaysNull() {
        QVERIFY(LazyIcon([] { return QIcon(); }).isNull());
        QVERIFY(!LazyIcon([] { return square(Qt::red); }).isNull());
    }

    void standardPicturesUnchanged_data() {
        QTest::addColumn<int>("picture");
        QTest::addColumn<bool>("withOption");
        QTest::newRow("folder") << int(QStyle::SP_DirIcon) << false;
        QTest::newRow("drive") << int(QStyle::SP_DriveHDIcon) << false;
        QTest::newRow("parent folder") << int(QStyle::SP_FileDialogToParent) << false;
        QTest::newRow("toolbar extension, with an option")
            << int(QStyle::SP_ToolBarHorizontalExtensionButton) << true;
    }

    void standardPicturesUnchanged() {
        QFETCH(int, picture);
        QFETCH(bool, withOption);
        const auto sp = QStyle::StandardPixmap(picture);
        QStyleOption option;
        const QStyleOption* opt = withOption ? &option : nullptr;
        std::unique_ptr<QStyle> plain(QStyleFactory::create(baseStyle_));
        const QIcon expected = plain->standardIcon(sp, opt);
        const QIcon lazy = QApplication::style()->standardIcon(sp, opt);
        QVERIFY(!expected.isNull());
        for (int size : {16, 32}) QCOMPARE(imageOf(lazy, size), imageOf(expected, size));
    }
};

KVO_TEST_MAIN(TestLazyIcon)
#include "tst_lazyicon.moc"
