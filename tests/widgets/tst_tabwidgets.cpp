#include "widgets/expandingtabbar.h"
#include "widgets/tabbodywidget.h"
#include "widgets/tabchildcheckbox.h"
#include "widgets/tabchildlabel.h"
#include "widgets/tabchildradiobutton.h"
#include "tests/support/widgetpicture.h"

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QTest>

class TestTabWidgets : public QObject
{
    Q_OBJECT

private slots:
    void sharesOfTabWidths_data();
    void sharesOfTabWidths();
    void tabsFillTheBar();
    void childrenFollowTheBody();
    void childrenPaintTheBodyBehindThem();
};

void TestTabWidgets::sharesOfTabWidths_data()
{
    QTest::addColumn<QList<int>>("natural");
    QTest::addColumn<int>("barWidth");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("all fit") << QList<int>{100, 60, 40} << 300 << QList<int>{100, 100, 100};
    QTest::newRow("widest keeps its width")
        << QList<int>{100, 60, 40} << 240 << QList<int>{100, 70, 70};
    QTest::newRow("order does not matter")
        << QList<int>{40, 100, 60} << 240 << QList<int>{70, 100, 70};
    QTest::newRow("equal tabs widened") << QList<int>{50, 50} << 201 << QList<int>{100, 101};
    QTest::newRow("too narrow a bar") << QList<int>{100, 60} << 100 << QList<int>{100, 60};
    QTest::newRow("no tabs") << QList<int>{} << 100 << QList<int>{};
}

void TestTabWidgets::sharesOfTabWidths()
{
    QFETCH(QList<int>, natural);
    QFETCH(int, barWidth);
    QFETCH(QList<int>, expected);
    QCOMPARE(ExpandingTabBar::shareWidths(natural, barWidth), expected);
}

void TestTabWidgets::tabsFillTheBar()
{
    ExpandingTabBar bar(nullptr, "tabs");
    bar.addTab(QStringLiteral("Foods"));
    bar.addTab(QStringLiteral("Exercises and other activities"));
    bar.addTab(QStringLiteral("My"));
    bar.resize(600, bar.sizeHint().height());
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));

    const QList<int> widths = bar.calculateTabWidths();
    QCOMPARE(widths.size(), 3);
    QCOMPARE(widths[0] + widths[1] + widths[2], 600);
    QVERIFY(qAbs(widths[0] - widths[2]) <= 1);
    QTRY_COMPARE(bar.tabRect(0).width(), widths[0]);
    QCOMPARE(bar.tabRect(1).left(), bar.tabRect(0).right() + 1);
    QCOMPARE(bar.tabRect(2).right(), 599);
    QVERIFY(saveWidgetPicture(&bar, QStringLiteral("expandingtabbar")));

    bar.resize(900, bar.height());
    QTRY_COMPARE(bar.tabRect(2).right(), 899);
    QCOMPARE(bar.tabRect(0).width(), bar.tabRect(1).width());
}

void TestTabWidgets::childrenFollowTheBody()
{
    TabBodyWidget body(nullptr, "body");
    auto* label = new TabChildLabel(&body, "weightLabel");
    auto* check = new TabChildCheckBox(&body, "showCheck");
    auto* radio = new TabChildRadioButton(&body, "metricRadio");
    label->setText(QStringLiteral("Weight:"));
    check->setText(QStringLiteral("Show summary"));
    radio->setText(QStringLiteral("Metric"));
    auto* layout = new QVBoxLayout(&body);
    layout->addWidget(label);
    layout->addWidget(check);
    layout->addWidget(radio);
    QCOMPARE(label->objectName(), QStringLiteral("weightLabel"));
    QCOMPARE(body.findChild<QCheckBox*>(QStringLiteral("showCheck")), check);

    body.show();
    QVERIFY(QTest::qWaitForWindowExposed(&body));
    QSignalSpy toggled(check, &QCheckBox::toggled);
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(toggled.size(), 1);
    QVERIFY(check->isChecked());

    body.setEnabled(false);
    QVERIFY(!label->isEnabled());
    QVERIFY(!check->isEnabled());
    QVERIFY(!radio->isEnabled());
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
    body.setEnabled(true);
    QVERIFY(radio->isEnabled());
    QTest::mouseClick(radio, Qt::LeftButton);
    QVERIFY(radio->isChecked());
    QVERIFY(saveWidgetPicture(&body, QStringLiteral("tabbody")));
}

// Where a child has nothing of its own to draw, it shows exactly the body's panel.
void TestTabWidgets::childrenPaintTheBodyBehindThem()
{
    TabBodyWidget body(nullptr, "body");
    body.resize(200, 100);
    auto* label = new TabChildLabel(&body, "label");
    label->setGeometry(1, 1, 60, 20);
    auto* check = new TabChildCheckBox(&body, "check");
    check->setGeometry(70, 1, 60, 20);

    QImage panel(200, 100, QImage::Format_ARGB32);
    panel.fill(Qt::magenta);
    body.render(&panel, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    auto renderChild = [](QWidget* child) {
        QImage image(child->size(), QImage::Format_ARGB32);
        image.fill(Qt::yellow);
        child->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    };
    QCOMPARE(renderChild(label), panel.copy(label->geometry()));
    // Beside its indicator, the text-less check box is all panel.
    const QRect beside(40, 0, 20, 20);
    QCOMPARE(renderChild(check).copy(beside), panel.copy(beside.translated(check->pos())));
}

QTEST_MAIN(TestTabWidgets)
#include "tst_tabwidgets.moc"
