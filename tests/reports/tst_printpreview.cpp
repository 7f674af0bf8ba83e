#include "reports/pagesetup.h"
#include "reports/pagesetupdialog.h"
#include "reports/previewrdm.h"
#include "reports/printpreviewdialog.h"
#include "reports/printpreviewscroller.h"
#include "reports/report.h"
#include "reports/reportfactory.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

// A report of a fixed number of pages, each a framed body with its number.
class FramedReport : public Report
{
public:
    FramedReport(ReportDeviceMetrics* metrics, int pages) : _metrics(metrics), _pages(pages) {}
    void draw(QPainter* painter, int page) const override
    {
        if (page < 0 || page >= _pages)
            return;
        const QSize size = _metrics->size();
        painter->setPen(Qt::blue);
        painter->drawRect(56, 56, size.width() - 113, size.height() - 113);
        painter->drawText(80, 100, QStringLiteral("Page %1").arg(page + 1));
    }
    int getPageCount() const override { return _pages; }

private:
    ReportDeviceMetrics* _metrics;
    int _pages;
};

class FramedFactory : public ReportFactory
{
public:
    explicit FramedFactory(int pages) : _pages(pages) {}
    Report* getReport(ReportDeviceMetrics* metrics) override
    {
        ++made;
        return new FramedReport(metrics, _pages);
    }
    bool preferLandscape() const override { return false; }
    int made = 0;

private:
    int _pages;
};

template <typename W>
W* child(QObject* parent, const char* name)
{
    W* widget = parent->findChild<W*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

QString pageField(PrintPreviewDialog& dialog)
{
    return child<QLineEdit>(&dialog, "pageEdit")->text();
}

// Types text into the page field key by key and presses Return, as a user would.
void typePage(PrintPreviewDialog& dialog, const QString& text)
{
    QLineEdit* edit = child<QLineEdit>(&dialog, "pageEdit");
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void chooseZoom(PrintPreviewDialog& dialog, const QString& text)
{
    QComboBox* combo = child<QComboBox>(&dialog, "zoomCombo");
    const int index = combo->findText(text);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The full-scale page of the current paper on the dialog's screen.
QSize fullScale(const QWidget& widget)
{
    const QSize paper = PageSetup::instance()->realSize();
    return QSize(widget.logicalDpiX() * paper.width() * 10 / 254,
                 widget.logicalDpiY() * paper.height() * 10 / 254);
}

bool enabled(PrintPreviewDialog& dialog, const char* name)
{
    return child<QPushButton>(&dialog, name)->isEnabled();
}

} // namespace

class TestPrintPreview : public QObject
{
    Q_OBJECT

private slots:
    void init() { PageSetup::cleanUp(); }
    void cleanupTestCase() { PageSetup::cleanUp(); }

    void opensAtFullSizeOnPageOne();
    void navigatesAndNamesBadPageNumbers();
    void zoomRemakesTheReportAndAgreesWithTheFrame();
    void landscapeFromItsPageSetUpSwapsThePage();
    void showsAReportWithoutPages();
};

void TestPrintPreview::opensAtFullSizeOnPageOne()
{
    FramedFactory factory(3);
    PrintPreviewDialog dialog(&factory, nullptr, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Print Preview"));
    QCOMPARE(child<QComboBox>(&dialog, "zoomCombo")->currentText(), QStringLiteral("100%"));
    QCOMPARE(child<QLabel>(&dialog, "ofLabel")->text(), QStringLiteral("of 3"));
    QCOMPARE(pageField(dialog), QStringLiteral("1"));
    QVERIFY(!enabled(dialog, "firstButton"));
    QVERIFY(!enabled(dialog, "previousButton"));
    QVERIFY(enabled(dialog, "nextButton"));
    QVERIFY(enabled(dialog, "lastButton"));

    const QSize page = fullScale(dialog);
    QCOMPARE(dialog.metrics()->size(), page);
    QCOMPARE(dialog.metrics()->realSize(), QSize(210, 297));
    QCOMPARE(dialog.scroller()->contentsSize(), page + QSize(48, 48));
    if (dialog.logicalDpiX() == 72)
        QCOMPARE(dialog.scroller()->contentsSize(), QSize(643, 889));

    FramedFactory single(1);
    PrintPreviewDialog one(&single, nullptr, nullptr);
    QVERIFY(!enabled(one, "nextButton"));
    QVERIFY(!enabled(one, "lastButton"));
}

void TestPrintPreview::navigatesAndNamesBadPageNumbers()
{
    FramedFactory factory(3);
    PrintPreviewDialog dialog(&factory, nullptr, nullptr);
    child<QPushButton>(&dialog, "lastButton")->click();
    QCOMPARE(dialog.scroller()->currentPage(), 2);
    QCOMPARE(pageField(dialog), QStringLiteral("3"));
    QVERIFY(!enabled(dialog, "nextButton"));
    child<QPushButton>(&dialog, "previousButton")->click();
    QCOMPARE(dialog.scroller()->currentPage(), 1);
    QVERIFY(enabled(dialog, "firstButton") && enabled(dialog, "nextButton"));

    // A page that is not there stays in the field, and Return says why it goes nowhere.
    ScriptedPrompter prompter;
    for (const QString& bad : {QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("1,5"),
                               QStringLiteral("two")}) {
        typePage(dialog, bad);
        QCOMPARE(dialog.scroller()->currentPage(), 1);
        QCOMPARE(pageField(dialog), bad);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Print Preview"));
        QCOMPARE(prompter.lastText(), QStringLiteral("Page must be a whole number from 1 to 3."));
    }
    QCOMPARE(prompter.asked.size(), 4);
    typePage(dialog, QStringLiteral("3"));
    QCOMPARE(dialog.scroller()->currentPage(), 2);
    QCOMPARE(prompter.asked.size(), 4);

    // Leaving the field with a page that is not there shows the page shown again.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* edit = child<QLineEdit>(&dialog, "pageEdit");
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("9"));
    child<QComboBox>(&dialog, "zoomCombo")->setFocus();
    QCOMPARE(pageField(dialog), QStringLiteral("3"));
    child<QPushButton>(&dialog, "firstButton")->click();
    QCOMPARE(dialog.scroller()->currentPage(), 0);
    QVERIFY(!enabled(dialog, "previousButton"));
}

// The page, its white area, the frame and the shadow scale together at every step.
void TestPrintPreview::zoomRemakesTheReportAndAgreesWithTheFrame()
{
    FramedFactory factory(2);
    PrintPreviewDialog dialog(&factory, nullptr, nullptr);
    dialog.resize(900, 700);
    child<QPushButton>(&dialog, "nextButton")->click();
    QCOMPARE(dialog.scroller()->currentPage(), 1);
    const QSize page = fullScale(dialog);
    QVERIFY(saveWidgetPicture(&dialog, QStringLiteral("print-preview-100")));

    // The zoom is the item's value, whatever its text reads in the user's language.
    QComboBox* combo = child<QComboBox>(&dialog, "zoomCombo");
    for (int item = 0; item < combo->count(); ++item)
        combo->setItemText(item, QStringLiteral("Stufe %1").arg(QChar(u'A' + item)));
    for (const auto& [text, zoom] : {std::pair{QStringLiteral("Stufe B"), 2.0},
                                     std::pair{QStringLiteral("Stufe F"), 0.75},
                                     std::pair{QStringLiteral("Stufe E"), 1.0}}) {
        chooseZoom(dialog, text);
        QCOMPARE(dialog.scroller()->currentPage(), 0);
        QCOMPARE(pageField(dialog), QStringLiteral("1"));
        QCOMPARE(dialog.metrics()->size(), page);
        const QSize contents = dialog.scroller()->contentsSize();
        QCOMPARE(contents, QSize(int((page.width() + 48) * zoom), int((page.height() + 48) * zoom)));
        const QImage picture = dialog.scroller()->widget()->grab().toImage();
        const double scale = zoom;
        const auto at = [&](double x, double y) {
            return QColor(picture.pixel(int(x * scale), int(y * scale)));
        };
        QCOMPARE(at(10, 10), QColor(Qt::gray));
        QCOMPARE(at(30, 30), QColor(Qt::white));
        // The shadow runs down the right and along the bottom of the page.
        QCOMPARE(at(page.width() + 26, page.height() / 2), QColor(Qt::black));
        QCOMPARE(at(page.width() / 2, page.height() + 26), QColor(Qt::black));
        QCOMPARE(at(page.width() + 26, 26), QColor(Qt::gray));
        // The report's frame sits 56 page pixels in from the corner of the page.
        const int frameX = int((24 + 56) * zoom);
        bool framed = false;
        for (int x = frameX - 1; x <= frameX + 1; ++x) {
            const QColor colour = picture.pixel(x, int((24 + page.height() / 2) * zoom));
            framed = framed || (colour.blue() > 200 && colour.red() < 128);
        }
        QVERIFY2(framed, qPrintable(text));
        if (zoom == 2.0)
            QVERIFY(saveWidgetPicture(&dialog, QStringLiteral("print-preview-200")));
    }
    QCOMPARE(factory.made, 4);
}

void TestPrintPreview::landscapeFromItsPageSetUpSwapsThePage()
{
    FramedFactory factory(2);
    PrintPreviewDialog dialog(&factory, nullptr, nullptr);
    child<QPushButton>(&dialog, "nextButton")->click();
    const QSize portrait = dialog.metrics()->size();
    QTimer::singleShot(0, [] {
        auto* setup = qobject_cast<PageSetupDialog*>(QApplication::activeModalWidget());
        QVERIFY(setup);
        setup->orientationLandscape->setChecked(true);
        setup->okButton->click();
    });
    child<QPushButton>(&dialog, "pageSetupButton")->click();
    QCOMPARE(dialog.metrics()->size(), portrait.transposed());
    QCOMPARE(dialog.metrics()->realSize(), QSize(297, 210));
    QCOMPARE(dialog.scroller()->currentPage(), 0);
    QCOMPARE(factory.made, 2);
    QCOMPARE(PageSetup::instance()->orientation(), QPageLayout::Landscape);
}

void TestPrintPreview::showsAReportWithoutPages()
{
    FramedFactory factory(0);
    PrintPreviewDialog dialog(&factory, nullptr, nullptr);
    QCOMPARE(child<QLabel>(&dialog, "ofLabel")->text(), QStringLiteral("of 0"));
    child<QPushButton>(&dialog, "lastButton")->click();
    QCOMPARE(dialog.scroller()->currentPage(), 0);
    const QImage picture = dialog.scroller()->widget()->grab().toImage();
    QCOMPARE(QColor(picture.pixel(100, 100)), QColor(Qt::white));
}

QTEST_MAIN(TestPrintPreview)
#include "tst_printpreview.moc"
