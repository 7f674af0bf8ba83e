#include "widgets/bxtoolbar.h"
#include "widgets/bxtoolbarbutton.h"
#include "tests/support/widgetpicture.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

class TestToolBar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nullActionAddsNothing();
    void clickActivatesPlainAction();
    void toggleFollowsActionAndButton();
    void secondSetOnForLastActionChangesNothing();
    void buttonsFollowEnabledAndVisible();
    void toolTextChangesActionAndButton();
    void iconSetHasTintAndWashedOutLook();
    void focusRingSurroundsTheIcon();

private:
    static QPixmap solidPixmap(QColor colour);
    static QPixmap roundPixmap(QColor colour);

    QMainWindow* _window = nullptr;
    BXToolBar* _bar = nullptr;
};

QPixmap TestToolBar::solidPixmap(QColor colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return QPixmap::fromImage(image);
}

// A disc on a clear ground, as the shipped icons are drawn.
QPixmap TestToolBar::roundPixmap(QColor colour)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(3, 3, 18, 18));
    return pixmap;
}

void TestToolBar::init()
{
    _window = new QMainWindow;
    _bar = new BXToolBar(_window, "mainToolBar");
    _window->resize(900, 300);
    _window->show();
    QVERIFY(QTest::qWaitForWindowExposed(_window));
}

void TestToolBar::cleanup()
{
    delete _window;
    _window = nullptr;
}

void TestToolBar::nullActionAddsNothing()
{
    const qsizetype before = _bar->actions().size();
    QCOMPARE(_bar->addTool(nullptr, solidPixmap(Qt::red), "none"), nullptr);
    QCOMPARE(_bar->actions().size(), before);
    QVERIFY(_bar->findChildren<BXToolBarButton*>().isEmpty());
    QVERIFY(!_bar->isMovable());
    QCOMPARE(_window->toolBarArea(_bar), Qt::TopToolBarArea);
}

void TestToolBar::clickActivatesPlainAction()
{
    QAction print(QStringLiteral("Print"), _window);
    BXToolBarButton* button = _bar->addTool(&print, solidPixmap(Qt::red), "printButton");
    QSignalSpy triggered(&print, &QAction::triggered);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(triggered.size(), 1);
}

void TestToolBar::toggleFollowsActionAndButton()
{
    QActionGroup pages(_window);
    QAction* diary = pages.addAction(QStringLiteral("Diary"));
    QAction* reports = pages.addAction(QStringLiteral("Reports"));
    diary->setCheckable(true);
    reports->setCheckable(true);
    BXToolBarButton* diaryButton = _bar->addTool(diary, roundPixmap(Qt::red), "diary");
    BXToolBarButton* reportsButton = _bar->addTool(reports, roundPixmap(Qt::darkGreen),
                                                   "reports");
    QSignalSpy reportsTriggered(reports, &QAction::triggered);

    // From the menu: the action switches its button on.
    diary->setChecked(true);
    QVERIFY(diaryButton->isChecked());
    QVERIFY(!reportsButton->isChecked());

    // From the tool bar: the button switches its action on, once, and the buttons are
    // exclusive.
    QTest::mouseClick(reportsButton, Qt::LeftButton);
    QVERIFY(reports->isChecked());
    QVERIFY(reportsButton->isChecked());
    QVERIFY(!diaryButton->isChecked());
    QVERIFY(!diary->isChecked());
    QCOMPARE(reportsTriggered.size(), 1);
    QCOMPARE(reportsTriggered.at(0).at(0).toBool(), true);

    // And back from the menu.
    diary->setChecked(true);
    QVERIFY(diaryButton->isChecked());
    QVERIFY(!reportsButton->isChecked());
    // Both buttons take their place in the shown bar.
    QTRY_VERIFY(diaryButton->isVisible() && reportsButton->isVisible());
    QTRY_VERIFY(_bar->geometry().contains(reportsButton->geometry().translated(_bar->pos())));
    QVERIFY(saveWidgetPicture(_bar, QStringLiteral("toolbar")));
}

void TestToolBar::secondSetOnForLastActionChangesNothing()
{
    QAction diary(QStringLiteral("Diary"), _window);
    diary.setCheckable(true);
    BXToolBarButton* button = _bar->addTool(&diary, solidPixmap(Qt::red), "diary");
    diary.setChecked(true);
    QVERIFY(button->isChecked());
    // The action is the last one switched on: its next toggle is not mirrored.
    diary.setChecked(false);
    QVERIFY(button->isChecked());
}

void TestToolBar::buttonsFollowEnabledAndVisible()
{
    QAction publish(QStringLiteral("Publish"), _window);
    QAction help(QStringLiteral("Help"), _window);
    BXToolBarButton* publishButton = _bar->addTool(&publish, solidPixmap(Qt::red), "publish");
    BXToolBarButton* helpButton = _bar->addTool(&help, solidPixmap(Qt::blue), "help");

    publish.setVisible(false);
    help.setEnabled(false);
    _bar->updateButtonStates();
    QTRY_VERIFY(helpButton->isVisible());
    QVERIFY(!publishButton->isVisible());
    QVERIFY(!helpButton->isEnabled());

    publish.setVisible(true);
    help.setEnabled(true);
    _bar->updateButtonStates();
    QTRY_VERIFY(publishButton->isVisible());
    QVERIFY(publishButton->isEnabled());
    QVERIFY(helpButton->isEnabled());
}

void TestToolBar::toolTextChangesActionAndButton()
{
    // The tips name the button in plain words, the label's mnemonic mark left out.
    QAction publish(QStringLiteral("&Publish"), _window);
    BXToolBarButton* button = _bar->addTool(&publish, solidPixmap(Qt::red), "publish");
    QCOMPARE(button->statusTip(), QStringLiteral("Publish"));
    _bar->setToolText(&publish, QStringLiteral("Up&load && go"));
    QCOMPARE(publish.text(), QStringLiteral("Up&load && go"));
    QCOMPARE(button->text(), QStringLiteral("Up&load && go"));
    QCOMPARE(button->toolTip(), QStringLiteral("Upload & go"));
    QCOMPARE(button->statusTip(), QStringLiteral("Upload & go"));

    QAction stranger(QStringLiteral("Stranger"), _window);
    _bar->setToolText(&stranger, QStringLiteral("Changed"));
    QCOMPARE(stranger.text(), QStringLiteral("Stranger"));
}

void TestToolBar::iconSetHasTintAndWashedOutLook()
{
    // Opaque, so that no premultiplied rounding blurs the exact channel values.
    const QIcon icons = BXToolBar::makeIconSet(solidPixmap(QColor(100, 40, 60)));
    const QSize size(16, 16);
    auto pixel = [&](QIcon::Mode mode, QIcon::State state) {
        return icons.pixmap(size, mode, state).toImage().convertToFormat(QImage::Format_ARGB32)
            .pixelColor(8, 8);
    };
    QCOMPARE(pixel(QIcon::Normal, QIcon::Off), QColor(100, 40, 60));
    // d = (255 - 60) / 4 = 48: red and green lose it, blue gains half its distance to 255.
    QCOMPARE(pixel(QIcon::Normal, QIcon::On), QColor(52, 0, 157));
    // Red and blue trade places, every channel a quarter of itself above 192.
    const QColor washed(192 + 60 / 4, 192 + 40 / 4, 192 + 100 / 4);
    QCOMPARE(pixel(QIcon::Disabled, QIcon::Off), washed);
    QCOMPARE(pixel(QIcon::Disabled, QIcon::On), washed);
}

// The ring of a button that is on lies evenly round its icon, wherever the style puts it.
void TestToolBar::focusRingSurroundsTheIcon()
{
    QAction diary(QStringLiteral("Diary"), _window);
    diary.setCheckable(true);
    BXToolBarButton* button = _bar->addTool(&diary, roundPixmap(Qt::red), "diary");
    QTRY_VERIFY(button->isVisible());
    const QImage off = button->grab().toImage();
    diary.setChecked(true);
    const QImage on = button->grab().toImage();
    QCOMPARE(on.size(), off.size());

    // The icon is where either look has opaque colour of its own; the ring is the rest of
    // what changed.
    auto isIcon = [](QColor c) { return c.red() > 150 && c.green() < 60; };
    QRect icon;
    QRect ring;
    for (int y = 0; y < on.height(); ++y) {
        for (int x = 0; x < on.width(); ++x) {
            const QColor a = on.pixelColor(x, y);
            const QColor b = off.pixelColor(x, y);
            if (isIcon(a) || isIcon(b))
                icon |= QRect(x, y, 1, 1);
            else if (a != b)
                ring |= QRect(x, y, 1, 1);
        }
    }
    QVERIFY(!icon.isEmpty());
    QVERIFY(ring.contains(icon));
    QCOMPARE(icon.top() - ring.top(), ring.bottom() - icon.bottom());
    QCOMPARE(icon.left() - ring.left(), ring.right() - icon.right());
}

QTEST_MAIN(TestToolBar)
#include "tst_toolbar.moc"
