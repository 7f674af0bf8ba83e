#include "app/aboutdialog.h"
#include "app/syncdialog.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "tests/support/widgetpicture.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QCloseEvent>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
        QVERIFY2(BrandEngine::instance()->import(brand.constData()), brand.constData());
    }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void aboutBoxShowsTheBrand()
    {
        AboutDialog* about = AboutDialog::construct(nullptr);
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        // Compact: as tall as its content, not a tall empty box.
        QVERIFY(about->width() >= 342);
        QVERIFY2(about->height() < 450, qPrintable(QString::number(about->height())));
        const QString credits = about->creditsLabel()->text();
        for (const char* credit : {"USDA National Nutrient Database for Standard Reference, "
                                   "Release 24 (public domain)",
                                   "Compendium of Physical Activities",
                                   "Tango Desktop Project (public domain)"})
            QVERIFY2(credits.contains(QLatin1String(credit)), credit);

        const QString expected = BrandEngine::instance()->getString("app_name")
            + QStringLiteral(" Version 4.1.0");
        QTextDocument text;
        text.setHtml(about->appnameLabel()->text());
        const QStringList lines = text.toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), expected);
        // The shipped brand is a family edition.
        QCOMPARE(lines.value(1), QStringLiteral("(Family Edition)"));
        QVERIFY(about->appnameLabel()->text().startsWith(QStringLiteral("<b>")));

        QCOMPARE(about->pixmapLabel()->pixmap().size(),
                 BrandEngine::instance()->getPixmap("splash").size());
        QVERIFY(!about->pixmapLabel()->pixmap().isNull());

        about->open();
        QVERIFY(saveWidgetPicture(about, QStringLiteral("aboutdialog")));
        QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
        QCOMPARE(about->result(), int(QDialog::Accepted));
        QVERIFY(!about->isVisible());
        delete about;
    }

    void syncDialogCannotBeDismissed()
    {
        SyncDialog* wait = SyncDialog::construct(nullptr);
        QCOMPARE(wait->windowTitle(), QStringLiteral("Waiting for Hotsync"));
        QCOMPARE(wait->textLabel()->text(), QStringLiteral("Please wait..."));
        QVERIFY(!wait->isModal());
        QVERIFY(wait->width() >= 500);

        wait->setModal(true);
        wait->show();
        QVERIFY(QTest::qWaitForWindowExposed(wait));
        QTest::keyClick(wait, Qt::Key_Escape);
        QVERIFY(wait->isVisible());
        // The window's close button, as the platform delivers it.
        QCloseEvent button;
        QSpontaneKeyEvent::setSpontaneous(&button);
        QApplication::instance()->notify(wait, &button);
        QVERIFY(!button.isAccepted());
        QVERIFY(wait->isVisible());

        wait->textLabel()->setText(QStringLiteral("Please wait. Backing up database"));
        QVERIFY(saveWidgetPicture(wait, QStringLiteral("syncdialog")));
        // The program closes every window when the session ends.
        QVERIFY(wait->close());
        QVERIFY(!wait->isVisible());
        delete wait;
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
