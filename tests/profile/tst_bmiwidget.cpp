#include "profile/bmiwidget.h"
#include "tests/support/widgetpicture.h"

#include <QImage>
#include <QtTest>

namespace {

const QColor s_background(131, 156, 214);

// Where the index box's middle row lies for a widget of the test's size.
int boxMiddleY(const BMIWidget& widget)
{
    const QFontMetrics metrics(widget.font());
    const int boxHeight = metrics.lineSpacing() + 10;
    const int top = widget.height() / 2 - 2 - metrics.lineSpacing() - 10 - boxHeight;
    return top + boxHeight / 2;
}

// The widget painted at 400 by 150, saved under `name` for a person to look at.
QImage paint(BMIWidget& widget, const QString& name)
{
    widget.resize(400, 150);
    saveWidgetPicture(&widget, name);
    return widget.grab().toImage();
}

bool isWhite(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == QColor(Qt::white);
}

// Whether any pixel of row y from x0 to x1 has the colour.
bool rowHas(const QImage& image, int y, int x0, int x1, const QColor& colour)
{
    for (int x = x0; x <= x1; ++x) {
        if (image.pixelColor(x, y) == colour)
            return true;
    }
    return false;
}

// Whether any pixel of row y from x0 to x1 is dark, as the strokes of text are.
bool rowHasInk(const QImage& image, int y, int x0, int x1)
{
    for (int x = x0; x <= x1; ++x) {
        if (qGray(image.pixel(x, y)) < 100)
            return true;
    }
    return false;
}

} // namespace

class TestBMIWidget : public QObject
{
    Q_OBJECT

private slots:
    void scalePositionsAndTexts()
    {
        QCOMPARE(BMIWidget::scaleX(15.0, 400), 30);
        QCOMPARE(BMIWidget::scaleX(45.0, 400), 370);
        QCOMPARE(BMIWidget::scaleX(20.0, 400), 86); // 86.67 truncated
        QCOMPARE(BMIWidget::scaleX(40.0, 400), 313);

        BMIWidget widget;
        QCOMPARE(widget.sizeHint(), QSize(400, 150));
        widget.set(26, 80.0f, 183.0f);
        QVERIFY(qAbs(widget.bmi() - 23.888f) < 0.001f);
        QCOMPARE(widget.indexText(), QStringLiteral(" Your BMI: 23.9"));

        widget.setDisplayImperial(false);
        const QStringList kilograms{QStringLiteral("67.0 kg"), QStringLiteral("83.7 kg"),
                                    QStringLiteral("100.5 kg"), QStringLiteral("134.0 kg")};
        const float inner[] = {20.0f, 25.0f, 30.0f, 40.0f};
        for (int j = 0; j < 4; ++j)
            QCOMPARE(widget.boundaryText(inner[j]), kilograms.at(j));
        widget.setDisplayImperial(true);
        const QStringList pounds{QStringLiteral("148 lb"), QStringLiteral("185 lb"),
                                 QStringLiteral("221 lb"), QStringLiteral("295 lb")};
        for (int j = 0; j < 4; ++j)
            QCOMPARE(widget.boundaryText(inner[j]), pounds.at(j));
        // The unit touches the weights only.
        QCOMPARE(widget.indexText(), QStringLiteral(" Your BMI: 23.9"));
    }

    void missingWeightOrHeightHasNoIndex_data()
    {
        QTest::addColumn<float>("weight");
        QTest::addColumn<float>("height");
        QTest::newRow("weight missing") << -1.0f << 183.0f;
        QTest::newRow("height 0") << 80.0f << 0.0f;
        QTest::newRow("both 0") << 0.0f << 0.0f;
    }

    void missingWeightOrHeightHasNoIndex()
    {
        QFETCH(float, weight);
        QFETCH(float, height);
        BMIWidget widget;
        widget.set(0, weight, height);
        QCOMPARE(widget.bmi(), BMIWidget::NO_BMI);

        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
        const QImage image = paint(widget, QStringLiteral("bmi-missing-") + tag);
        const int y = boxMiddleY(widget);
        QVERIFY(!rowHas(image, y, 0, 399, Qt::white));
        QVERIFY(!rowHasInk(image, y, 0, 399));
        // No weights under the scale either: only the background below the line's marks.
        const int below = widget.height() / 2 + 2 + QFontMetrics(widget.font()).lineSpacing() / 2 + 1;
        QVERIFY(!rowHasInk(image, below, 0, 399));
        // The bands are drawn: the ideal band's green on the line.
        QCOMPARE(image.pixelColor(120, widget.height() / 2), QColor(153, 204, 102));
        // The bands begin where the check-ins page's words change: 19 to 26 is ideal.
        for (const double index : {19.5, 25.7})
            QCOMPARE(image.pixelColor(BMIWidget::scaleX(index, 400), widget.height() / 2),
                     QColor(153, 204, 102));
    }

    void boxFollowsTheIndex()
    {
        BMIWidget widget;
        widget.set(26, 80.0f, 183.0f);
        QImage image = paint(widget, QStringLiteral("bmi-80kg-183cm-pounds"));
        const int y = boxMiddleY(widget);
        const int x = BMIWidget::scaleX(widget.bmi(), 400);
        QCOMPARE(x, 130);
        // The box is centred on the index, over the ideal band (86 to 143), and the weights
        // are written under the scale.
        const int boxWidth = QFontMetrics(widget.font()).horizontalAdvance(widget.indexText()) + 20;
        const int left = x - boxWidth / 2;
        QVERIFY(isWhite(image, left + 4, y));
        QVERIFY(isWhite(image, left + boxWidth - 5, y));
        QVERIFY(!isWhite(image, left - 3, y));
        QVERIFY(!isWhite(image, left + boxWidth + 2, y));
        QVERIFY(rowHasInk(image, y, left, left + boxWidth));
        const int below = widget.height() / 2 + 2 + QFontMetrics(widget.font()).lineSpacing() / 2 + 1;
        QVERIFY(rowHasInk(image, below, 60, 110));

        widget.setDisplayImperial(false);
        paint(widget, QStringLiteral("bmi-80kg-183cm-kilograms"));
    }

    void scaleEndsShowMarkerOrArrow_data()
    {
        QTest::addColumn<float>("index");
        QTest::newRow("12") << 12.0f;
        QTest::newRow("15") << 15.0f;
        QTest::newRow("45") << 45.0f;
        QTest::newRow("50") << 50.0f;
    }

    void scaleEndsShowMarkerOrArrow()
    {
        QFETCH(float, index);
        BMIWidget widget;
        widget.set(0, index, 100.0f); // a height of one metre: the weight is the index
        QCOMPARE(widget.bmi(), index);
        const QImage image = paint(widget, QStringLiteral("bmi-index-%1").arg(index));
        const int y = boxMiddleY(widget);
        const int centre = widget.height() / 2;
        const int p0 = 30;
        const int p5 = 370;
        const bool below = index < 15.0f;
        const bool above = index > 45.0f;

        // The marker line stands on the scale only for indexes on it.
        const int markerX = below ? p0 : (above ? p5 : BMIWidget::scaleX(index, 400));
        QCOMPARE(image.pixelColor(markerX, centre - 25) == QColor(Qt::black), !below && !above);
        // The arrows, in their strips beside the scale, with the box starting or ending at
        // the scale's end.
        if (below) {
            QVERIFY(rowHasInk(image, y, 20, 28));
            QVERIFY(isWhite(image, p0 + 2, y));
            QVERIFY(!isWhite(image, p0 - 2, y));
        }
        if (above) {
            QVERIFY(rowHasInk(image, y, 371, 379));
            QVERIFY(isWhite(image, p5 - 3, y));
            QVERIFY(!isWhite(image, p5 + 1, y));
        }
    }
};

QTEST_MAIN(TestBMIWidget)
#include "tst_bmiwidget.moc"
