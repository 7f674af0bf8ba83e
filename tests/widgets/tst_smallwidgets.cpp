#include "widgets/bxlabel.h"
#include "widgets/bxtickbox.h"
#include "widgets/invisiblestyle.h"
#include "widgets/macutil.h"
#include "widgets/pagestack.h"
#include "widgets/screenfit.h"
#include "widgets/signalblocker.h"
#include "widgets/weblink.h"
#include "core/brandengine.h"
#include "tests/support/widgetpicture.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class TestSmallWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void labelClickNeedsReleaseInside();
    void labelClickFocusesBuddy();
    void tickBoxShowsTickForText();
    void webLinkStripsTags_data();
    void webLinkStripsTags();
    void webLinkClicksWithPlainText();
    void webLinkLightsUpUnderPointer();
    void signalBlockersNest();
    void inactivePaletteKeepsActiveText();
    void applicationPaletteFixedPerClass();
    void invisibleStyleDrawsNoFrames();
    void pageStackAsksForThePageShown();
    void unframedWindowLeavesRoomForItsTitleBar();
};

// The brand archive that the build ships.
void TestSmallWidgets::initTestCase()
{
    const QString archive =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/pantrel/brand.dat");
    QVERIFY(BrandEngine::instance()->import(qPrintable(archive)));
}

void TestSmallWidgets::cleanupTestCase()
{
    BrandEngine::cleanUp();
}

void TestSmallWidgets::labelClickNeedsReleaseInside()
{
    BXLabel label(nullptr, QStringLiteral("Weight"));
    label.resize(80, 20);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QSignalSpy clicked(&label, &BXLabel::clicked);

    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(clicked.size(), 1);

    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(90, 10));
    QCOMPARE(clicked.size(), 1);
}

void TestSmallWidgets::labelClickFocusesBuddy()
{
    QWidget window;
    auto* label = new BXLabel(QStringLiteral("Height"), &window);
    label->setGeometry(0, 0, 80, 20);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(0, 30, 80, 20);
    auto* other = new QLineEdit(&window);
    other->setGeometry(0, 60, 80, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    other->setFocus();
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(other->hasFocus());

    label->setBuddy(edit);
    QTest::mouseClick(label, Qt::LeftButton);
    QTRY_VERIFY(edit->hasFocus());
}

void TestSmallWidgets::tickBoxShowsTickForText()
{
    BXTickBox box(nullptr, QString());
    QCOMPARE(box.size(), QSize(16, 21));
    QVERIFY(box.pixmap().isNull());

    box.setTick(QStringLiteral(" x "));
    const QImage tick = BrandEngine::instance()->getPixmap("graphics.icon.tick").toImage();
    QCOMPARE(box.pixmap().toImage(), tick);
    QVERIFY(saveWidgetPicture(&box, QStringLiteral("tickbox")));

    box.setTick(QStringLiteral("   \t"));
    QVERIFY(box.pixmap().isNull());
    QVERIFY(box.text().isEmpty());

    box.setTick();
    QVERIFY(!box.pixmap().isNull());
    box.setTick(QString());
    QVERIFY(box.pixmap().isNull());
}

void TestSmallWidgets::webLinkStripsTags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::newRow("bold first word") << "<b>Visit</b> our site " << "Visit our site";
    QTest::newRow("open tag to the end") << "Help pages <a href" << "Help pages";
    QTest::newRow("stray closing bracket") << "a > b" << "a  b";
    QTest::newRow("link") << "<a href=\"x\">www.example.org</a>" << "www.example.org";
    QTest::newRow("plain") << "  plain  " << "plain";
}

void TestSmallWidgets::webLinkStripsTags()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    WebLink link(nullptr, text);
    QCOMPARE(link.strip(), plain);
}

void TestSmallWidgets::webLinkClicksWithPlainText()
{
    WebLink link(nullptr, QStringLiteral("<u>Register</u> "));
    link.resize(100, 20);
    link.show();
    QVERIFY(QTest::qWaitForWindowExposed(&link));
    QSignalSpy clicked(&link, qOverload<>(&WebLink::clicked));
    QSignalSpy clickedText(&link, qOverload<const QString&>(&WebLink::clicked));

    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clickedText.size(), 1);
    QCOMPARE(clickedText.at(0).at(0).toString(), QStringLiteral("Register"));
    QVERIFY(saveWidgetPicture(&link, QStringLiteral("weblink")));

    QTest::mousePress(&link, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&link, Qt::LeftButton, {}, QPoint(5, 40));
    QCOMPARE(clicked.size(), 1);
}

void TestSmallWidgets::webLinkLightsUpUnderPointer()
{
    WebLink link(nullptr, QStringLiteral("Register"));
    QCOMPARE(link.palette().color(QPalette::WindowText), QColor(Qt::blue));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&link, &enter);
    QCOMPARE(link.palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    QCOMPARE(link.palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(link.cursor().shape(), Qt::ArrowCursor);
}

void TestSmallWidgets::signalBlockersNest()
{
    QLineEdit edit;
    QSignalSpy changed(&edit, &QLineEdit::textChanged);
    {
        SignalBlocker outer(&edit, true);
        {
            SignalBlocker inner(&edit, true);
            edit.setText(QStringLiteral("a"));
        }
        QVERIFY(edit.signalsBlocked());
        edit.setText(QStringLiteral("b"));
    }
    QVERIFY(!edit.signalsBlocked());
    QCOMPARE(changed.size(), 0);
    edit.setText(QStringLiteral("c"));
    QCOMPARE(changed.size(), 1);
}

void TestSmallWidgets::inactivePaletteKeepsActiveText()
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Text, Qt::black);
    palette.setColor(QPalette::Inactive, QPalette::Text, Qt::gray);
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::gray);
    // An inactive colour of its own is kept.
    palette.setColor(QPalette::Active, QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, Qt::darkBlue);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::gray);
    // Roles outside the text roles are left alone.
    palette.setColor(QPalette::Active, QPalette::Base, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::Base, Qt::gray);
    palette.setColor(QPalette::Disabled, QPalette::Base, Qt::gray);

    MacUtil::fixPaletteInactive(palette);
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Text), QColor(Qt::black));
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::Text), QColor(Qt::gray));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::WindowText), QColor(Qt::darkBlue));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Base), QColor(Qt::gray));
}

void TestSmallWidgets::applicationPaletteFixedPerClass()
{
    const QPalette original = QApplication::palette();
    QPalette palette = original;
    palette.setColor(QPalette::Active, QPalette::Text, Qt::black);
    palette.setColor(QPalette::Inactive, QPalette::Text, Qt::lightGray);
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::lightGray);
    palette.setColor(QPalette::Active, QPalette::ButtonText, Qt::darkRed);
    QApplication::setPalette(palette);

    MacUtil::fixApplicationPaletteInactive(true);
    QPushButton button;
    button.ensurePolished();
    const QPalette& fixed = button.palette();
    QCOMPARE(fixed.color(QPalette::Inactive, QPalette::Text), QColor(Qt::black));
    QCOMPARE(fixed.color(QPalette::Active, QPalette::ButtonText), QColor(Qt::black));
    QCOMPARE(fixed.color(QPalette::Inactive, QPalette::ButtonText), QColor(Qt::black));
    QCOMPARE(fixed.color(QPalette::Disabled, QPalette::ButtonText), QColor(Qt::lightGray));
    QCOMPARE(QApplication::palette("QLabel").color(QPalette::Inactive, QPalette::Text),
             QColor(Qt::black));
    QApplication::setPalette(original);
}

void TestSmallWidgets::invisibleStyleDrawsNoFrames()
{
    InvisibleStyle style;
    QFrame frame;
    frame.setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    frame.setLineWidth(3);
    frame.resize(50, 30);
    frame.setStyle(&style);
    QImage image(frame.size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    frame.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(image.pixelColor(x, y), QColor(Qt::magenta));
}

// The least size is the shown page's alone; the size hint is the largest page's, and follows a
// page that grows while shown.
void TestSmallWidgets::pageStackAsksForThePageShown()
{
    PageStack stack(nullptr);
    auto* small = new QWidget(&stack);
    small->setMinimumSize(100, 50);
    auto* large = new QWidget(&stack);
    large->setMinimumSize(300, 400);
    stack.addWidget(small);
    stack.addWidget(large);
    stack.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stack));
    QCOMPARE(stack.minimumSizeHint(), QSize(100, 50));
    QCOMPARE(stack.sizeHint(), QSize(300, 400));

    stack.setCurrentWidget(large);
    QCOMPARE(stack.minimumSizeHint(), QSize(300, 400));
    large->setMinimumSize(300, 700);
    QCoreApplication::sendPostedEvents(&stack, QEvent::LayoutRequest);
    QCOMPARE(stack.sizeHint(), QSize(300, 700));

    stack.setCurrentWidget(small);
    QCOMPARE(stack.minimumSizeHint(), QSize(100, 50));
}

// Before the window manager frames a window, its position is its frame's: a frame whole on the
// screen stays where it is, one past the screen's bottom moves up onto it whole, reckoned with
// the frame's allowance (borders of 4, a title bar of 28).
void TestSmallWidgets::unframedWindowLeavesRoomForItsTitleBar()
{
    QWidget window;
    window.resize(200, 100);
    window.move(40, 0);
    ScreenFit::fit(&window);
    QCOMPARE(window.pos(), QPoint(40, 0));
    const QRect screen = window.screen()->availableGeometry();
    window.move(40, screen.bottom() - 50);
    ScreenFit::fit(&window);
    QCOMPARE(window.pos(), QPoint(40, screen.bottom() + 1 - 132));
}

QTEST_MAIN(TestSmallWidgets)
#include "tst_smallwidgets.moc"
