#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "reports/pagesetup.h"
#include "reports/pagesetupdialog.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

class TestPageSetup : public QObject
{
    Q_OBJECT

private slots:
    void init() { PageSetup::cleanUp(); }
    void cleanupTestCase()
    {
        PageSetup::cleanUp();
        BrandEngine::cleanUp();
    }

    void startsWithA4PortraitColour()
    {
        PageSetup* setup = PageSetup::instance();
        QCOMPARE(setup->realSize(), QSize(210, 297));
        QCOMPARE(setup->colorMode(), QPrinter::Color);
        QVERIFY(setup->virginState());
    }

    void paperSizesInMillimetres()
    {
        PageSetup* setup = PageSetup::instance();
        setup->setOrientation(QPageLayout::Landscape);
        QCOMPARE(setup->realSize(), QSize(297, 210));
        setup->setPageSize(QPageSize::Letter);
        QCOMPARE(setup->realSize(), QSize(279, 216));
        setup->setOrientation(QPageLayout::Portrait);
        QCOMPARE(setup->realSize(), QSize(216, 279));
    }

    void appliedToAPrinter()
    {
        PageSetup* setup = PageSetup::instance();
        setup->setPageSize(QPageSize::Letter);
        setup->setOrientation(QPageLayout::Landscape);
        setup->setColorMode(QPrinter::GrayScale);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        setup->applyTo(printer);
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::Letter);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        QCOMPARE(printer.colorMode(), QPrinter::GrayScale);
    }

    // The dialog answers whether a setting changed, and shows the current choice.
    void dialogReportsChanges()
    {
        PageSetup* setup = PageSetup::instance();
        QVERIFY(!runDialog([](PageSetupDialog* dialog) { dialog->okButton->click(); }));
        QVERIFY(!runDialog([](PageSetupDialog* dialog) {
            dialog->orientationLandscape->setChecked(true);
            dialog->cancelButton->click();
        }));
        QCOMPARE(setup->orientation(), QPageLayout::Portrait);
        QVERIFY(runDialog([](PageSetupDialog* dialog) {
            QVERIFY(!dialog->colorGroup->isVisible());
            dialog->paperLetter->setChecked(true);
            dialog->okButton->click();
        }));
        QCOMPARE(setup->realSize(), QSize(216, 279));
        QVERIFY(!runDialog([](PageSetupDialog* dialog) {
            QVERIFY(dialog->paperLetter->isChecked());
            dialog->okButton->click();
        }));
    }

private:
    template <typename Answer>
    static bool runDialog(Answer answer)
    {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<PageSetupDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            answer(dialog);
        });
        return PageSetup::instance()->doDialog(nullptr);
    }
};

QTEST_MAIN(TestPageSetup)
#include "tst_pagesetup.moc"
