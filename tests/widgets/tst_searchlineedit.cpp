#include "widgets/searchlineedit.h"
#include "widgets/tabbodywidget.h"
#include "tests/support/widgetpicture.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {

const QColor s_background(255, 0, 255);  // what the field leaves unpainted
const QColor s_base(0, 255, 0);           // the field's panel
const QColor s_placeholder(255, 0, 0);    // the "Search" text

QPixmap icon(const QColor& colour, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(colour);
    return pixmap;
}

// A ring on a clear ground, as the screens' icons are drawn.
QPixmap roundIcon(const QColor& colour)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return pixmap;
}

// The field alone, without its line edit, over a background that shows what it paints.
QImage renderField(SearchLineEdit* field)
{
    QImage image(field->size(), QImage::Format_ARGB32);
    image.fill(s_background);
    field->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The tab body's own painting behind the field.
QImage renderBodyBehind(SearchLineEdit* field)
{
    QImage image(field->size(), QImage::Format_ARGB32);
    image.fill(s_background);
    field->parentWidget()->render(&image, QPoint(), QRegion(field->geometry()),
                                  QWidget::RenderFlags());
    return image;
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

}

class TestSearchLineEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void placeholderWhileEmptyAndUnfocused();
    void typingAndClearingEmit();
    void outlineIsACapsule();
    void focusRingComesAndGoes();
    void narrowFieldDrawsNothing();
    void textLiesBetweenTheIcons();
    void rightIconPressEmitsAndKeepsCursor();
    void typingIntoTheShownField();

private:
    SearchLineEdit* makeField(const QPixmap& left, const QPixmap& right);

    TabBodyWidget* _body = nullptr;
    QLineEdit* _other = nullptr;
};

void TestSearchLineEdit::init()
{
    _body = new TabBodyWidget(nullptr, "body");
    _body->resize(400, 120);
    _other = new QLineEdit(_body);
    _other->setGeometry(10, 80, 100, 25);
}

void TestSearchLineEdit::cleanup()
{
    delete _body;
    _body = nullptr;
}

SearchLineEdit* TestSearchLineEdit::makeField(const QPixmap& left, const QPixmap& right)
{
    auto* field = new SearchLineEdit(_body, "search", left, right);
    QPalette palette = field->lineEdit()->palette();
    palette.setColor(QPalette::Base, s_base);
    palette.setColor(QPalette::Disabled, QPalette::Text, s_placeholder);
    field->lineEdit()->setPalette(palette);
    field->setGeometry(20, 20, 240, 30);
    _body->show();
    if (!QTest::qWaitForWindowActive(_body))
        qWarning("the test window did not become active");
    return field;
}

void TestSearchLineEdit::placeholderWhileEmptyAndUnfocused()
{
    SearchLineEdit* field = makeField(QPixmap(), QPixmap());
    QLineEdit* edit = field->lineEdit();
    auto showsPlaceholder = [edit] {
        return countPixels(edit->grab().toImage(), [](QColor c) {
                   return c.red() > 150 && c.green() < 110 && c.blue() < 110;
               }) > 0;
    };
    _other->setFocus();
    QVERIFY(showsPlaceholder());

    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QVERIFY(!showsPlaceholder());

    QTest::keyClicks(edit, QStringLiteral("apple"));
    _other->setFocus();
    QTRY_VERIFY(!edit->hasFocus());
    QVERIFY(!showsPlaceholder());

    edit->clear();
    QVERIFY(showsPlaceholder());

    edit->setEnabled(false);
    QVERIFY(!showsPlaceholder());
}

void TestSearchLineEdit::typingAndClearingEmit()
{
    SearchLineEdit* field = makeField(QPixmap(), QPixmap());
    QSignalSpy changed(field->lineEdit(), &QLineEdit::textChanged);
    QSignalSpy returned(field->lineEdit(), &QLineEdit::returnPressed);
    field->lineEdit()->setFocus();
    QTest::keyClicks(field->lineEdit(), QStringLiteral("pea"));
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed.last().at(0).toString(), QStringLiteral("pea"));
    QTest::keyClick(field->lineEdit(), Qt::Key_Return);
    QCOMPARE(returned.size(), 1);
    field->lineEdit()->clear();
    QCOMPARE(changed.size(), 4);
    QCOMPARE(changed.last().at(0).toString(), QString());
}

// Row by row, the painted panel spans a circle's chord at each end and the full width
// between them; the rows above and below the circle stay free for the focus ring.
void TestSearchLineEdit::outlineIsACapsule()
{
    SearchLineEdit* field = makeField(QPixmap(), QPixmap());
    const QImage image = renderField(field);
    const QImage body = renderBodyBehind(field);
    const int w = image.width();
    const int h = image.height();
    QVector<int> left(h, -1);
    QVector<int> right(h, -1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (image.pixelColor(x, y) == body.pixelColor(x, y))
                continue;
            if (left[y] < 0)
                left[y] = x;
            right[y] = x;
        }
    }
    const int gap = int(std::find_if(left.begin(), left.end(), [](int x) { return x >= 0; }) -
                        left.begin());
    QVERIFY(gap < h / 2);
    const int diameter = h - 2 * gap;
    const double radius = diameter / 2.0;
    for (int y = 0; y < h; ++y) {
        if (y < gap || y >= h - gap) {
            QCOMPARE(left[y], -1);
            continue;
        }
        const int row = y - gap;
        QVERIFY2(left[y] >= 0, qPrintable(QStringLiteral("row %1 is blank").arg(y)));
        // Solid from edge to edge, mirrored left to right and top to bottom.
        QCOMPARE(left[y] - gap, w - 1 - right[y] - gap);
        QCOMPARE(left[y], left[h - 1 - y]);
        for (int x = left[y]; x <= right[y]; ++x)
            QVERIFY(image.pixelColor(x, y) != body.pixelColor(x, y));
        const double dy = row + 0.5 - radius;
        const double chordInset = radius - std::sqrt(radius * radius - dy * dy);
        QVERIFY2(std::abs(left[y] - gap - chordInset) <= 1.5,
                 qPrintable(QStringLiteral("row %1: inset %2, circle %3")
                                .arg(row).arg(left[y] - gap).arg(chordInset)));
    }
}

// The ring lies outside the outline, partly in the rows kept free above the panel.
void TestSearchLineEdit::focusRingComesAndGoes()
{
    SearchLineEdit* field = makeField(QPixmap(), QPixmap());
    const QImage body = renderBodyBehind(field);
    auto paintedAbove = [&](int rows) {
        const QImage image = renderField(field);
        int count = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) != body.pixelColor(x, y) ? 1 : 0;
        return count;
    };
    _other->setFocus();
    int freeRows = 0;
    while (paintedAbove(freeRows + 1) == 0)
        ++freeRows;
    QVERIFY(freeRows > 0);
    auto ringPixels = [&] { return paintedAbove(freeRows); };
    field->lineEdit()->setFocus();
    QTRY_VERIFY(field->lineEdit()->hasFocus());
    QVERIFY(ringPixels() > field->width() / 2);
    _other->setFocus();
    QTRY_VERIFY(!field->lineEdit()->hasFocus());
    QCOMPARE(ringPixels(), 0);
}

void TestSearchLineEdit::narrowFieldDrawsNothing()
{
    SearchLineEdit* field = makeField(QPixmap(), QPixmap());
    field->resize(59, 30);
    QImage image = renderField(field);
    QCOMPARE(countPixels(image, [](QColor c) { return c != s_background; }), 0);
    // Nor does a field that was never drawn take a press for one on its right icon.
    auto* tall = new SearchLineEdit(_body, "tall", QPixmap(), icon(Qt::red, 12));
    tall->setGeometry(20, 20, 100, 90);
    tall->show();
    QSignalSpy clicked(tall, &SearchLineEdit::rightIconClicked);
    QTest::mouseClick(tall, Qt::LeftButton, {}, QPoint(90, 80));
    QCOMPARE(clicked.size(), 0);
    field->resize(60, 30);
    image = renderField(field);
    QVERIFY(countPixels(image, [](QColor c) { return c != s_background; }) > 0);
}

void TestSearchLineEdit::textLiesBetweenTheIcons()
{
    SearchLineEdit* field = makeField(icon(Qt::blue, 12), icon(Qt::red, 12));
    const QImage image = renderField(field);
    int blueRight = -1;
    int redLeft = image.width();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c == QColor(Qt::blue))
                blueRight = std::max(blueRight, x);
            if (c == QColor(Qt::red))
                redLeft = std::min(redLeft, x);
        }
    }
    QVERIFY(blueRight > 0);
    QVERIFY(redLeft < image.width());
    const QRect text = field->lineEdit()->geometry();
    QCOMPARE(text.left(), blueRight + 1 + 4);
    QCOMPARE(text.right(), redLeft - 1 - 4);
    // Each icon is centred in the height and sits inside its round end.
    QCOMPARE(image.pixelColor(blueRight, 15), QColor(Qt::blue));
    const QImage body = renderBodyBehind(field);
    QVERIFY(image.pixelColor(blueRight - 11, 9) != body.pixelColor(blueRight - 11, 9));
}

void TestSearchLineEdit::rightIconPressEmitsAndKeepsCursor()
{
    SearchLineEdit* field = makeField(icon(Qt::blue, 12), icon(Qt::red, 12));
    QSignalSpy clicked(field, &SearchLineEdit::rightIconClicked);
    QLineEdit* edit = field->lineEdit();
    edit->setText(QStringLiteral("banana"));
    edit->setCursorPosition(2);

    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 10, 15));
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(edit->cursorPosition(), 2);

    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(8, 15));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(2, edit->height() / 2));
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(edit->cursorPosition(), 0);
}

// The field in its ordinary colours, as a screen shows it.
void TestSearchLineEdit::typingIntoTheShownField()
{
    auto* field = new SearchLineEdit(_body, "search", roundIcon(Qt::darkGray),
                                     roundIcon(Qt::gray));
    field->setGeometry(20, 20, 240, field->sizeHint().height());
    _body->show();
    QVERIFY(QTest::qWaitForWindowActive(_body));
    QVERIFY(saveWidgetPicture(_body, QStringLiteral("searchlineedit-empty")));

    field->lineEdit()->setFocus();
    QTRY_VERIFY(field->lineEdit()->hasFocus());
    QTest::keyClicks(field->lineEdit(), QStringLiteral("apple"));
    QCOMPARE(field->lineEdit()->text(), QStringLiteral("apple"));
    QVERIFY(field->lineEdit()->geometry().height() > 0);
    QVERIFY(saveWidgetPicture(_body, QStringLiteral("searchlineedit-typed")));
}

QTEST_MAIN(TestSearchLineEdit)
#include "tst_searchlineedit.moc"
