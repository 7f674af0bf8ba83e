#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "widgets/bxinputdialog.h"
#include "widgets/helpwindow.h"
#include "core/bxsettings.h"
#include "tests/support/widgetpicture.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>

#include <sys/stat.h>

namespace {

QUrl pageUrl(const QString& page, const QString& anchor = QString())
{
    QUrl url = QUrl::fromLocalFile(BXHelp::helpFolder() + page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

// True when the page file exists and, if an anchor is given, defines it.
bool pageHasAnchor(const QUrl& url)
{
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (!url.hasFragment())
        return true;
    const QByteArray html = file.readAll();
    const QByteArray anchor = url.fragment().toUtf8();
    return html.contains("name=\"" + anchor + "\"") || html.contains("id=\"" + anchor + "\"");
}

// False for the pages of the online services that the brand (none here) leaves out.
bool offered(const QUrl& url)
{
    const QString page = QFileInfo(url.toLocalFile()).fileName();
    return page != QLatin1String("website.html") && page != QLatin1String("publish.html");
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    // The pages are read from the resource folder in force, here one given as the command
    // line's -resourcedir gives it: without a closing separator; each file links to the shipped one.
    void initTestCase()
    {
        QVERIFY(_resources.isValid());
        const QDir shipped(QCoreApplication::applicationDirPath() + "/../share/pantrel/helphtml");
        QVERIFY(QDir(_resources.path()).mkdir(QStringLiteral("helphtml")));
        for (const QString& name : shipped.entryList(QDir::Files))
            QVERIFY(QFile::link(shipped.filePath(name), _resources.filePath("helphtml/" + name)));
        BXSettings::setResourceDBPath(_resources.path());
        BXHelp::init(&_action, &_client);
    }

    void cleanup() { _client.closeAssistant(); }

    void showTopicOpensThePageAtItsAnchor()
    {
        BXHelp::showTopic(QStringLiteral("diary.html#id316350"));
        QVERIFY(_client.isOpen());
        QCOMPARE(_client.arguments(),
                 QStringList({QStringLiteral("-profile"), BXHelp::profilePath(),
                              QStringLiteral("-startwithcontents")}));
        HelpWindow* window = _client.window();
        QCOMPARE(window->browser()->source(), pageUrl(QStringLiteral("diary.html"),
                                                      QStringLiteral("id316350")));
        QCOMPARE(window->navigationTabs()->currentIndex(), 0);
        QVERIFY(window->contentsTree()->topLevelItemCount() > 0);
        QVERIFY(window->indexList()->count() > 0);
        QCOMPARE(window->windowTitle(), QStringLiteral("Pantrel Help"));
        QVERIFY(saveWidgetPicture(window, QStringLiteral("helpwindow")));
    }

    void pagesComeFromTheGivenResourceFolder()
    {
        const QString folder = _resources.path() + QStringLiteral("/helphtml/");
        QCOMPARE(BXHelp::helpFolder(), folder);
        QCOMPARE(BXHelp::profilePath(), folder + QStringLiteral("help.adp"));
        BXHelp::showTopic(QStringLiteral("browser.html"));
        QCOMPARE(_client.window()->browser()->source(),
                 QUrl::fromLocalFile(folder + QStringLiteral("browser.html")));
        QVERIFY(!_client.window()->browser()->toPlainText().contains(
            QStringLiteral("could not be found")));
    }

    void argumentsAreOnlySetWhenTheViewerIsClosed()
    {
        BXHelp::showTopic(QStringLiteral("diary.html"));
        _client.setArguments({});
        BXHelp::showTopic(QStringLiteral("checkin.html#checkin-perform"));
        QVERIFY(_client.arguments().isEmpty());
        QCOMPARE(_client.window()->browser()->source(),
                 pageUrl(QStringLiteral("checkin.html"), QStringLiteral("checkin-perform")));

        _client.closeAssistant();
        QVERIFY(!_client.isOpen());
        BXHelp::showTopic(QStringLiteral("chart.html"));
        QCOMPARE(_client.arguments().size(), 3);
    }

    // Escape closes the viewer from its page and from its index's field.
    void escapeClosesTheViewer()
    {
        for (const bool fromIndex : {false, true}) {
            BXHelp::showTopic(QStringLiteral("diary.html"));
            HelpWindow* window = _client.window();
            QTest::keyClick(fromIndex ? static_cast<QWidget*>(window->indexFilter()) : window->browser(),
                            Qt::Key_Escape);
            QVERIFY(!_client.isOpen());
        }
    }

    void contentsAndIndexPages()
    {
        _client.setArguments({QStringLiteral("-profile"), BXHelp::profilePath(),
                              QStringLiteral("-startwithindex")});
        _client.openAssistant();
        QCOMPARE(_client.window()->navigationTabs()->currentIndex(), 1);
        // Beside the lists, the start page: without the web sections the brand leaves out.
        QCOMPARE(_client.window()->browser()->source(), pageUrl(QStringLiteral("index.html")));
        QVERIFY(_client.window()->browser()->toPlainText().contains(QStringLiteral("Backing up")));
        QVERIFY(!_client.window()->browser()->toPlainText().contains(QStringLiteral("Web sections")));
        _client.showPage(QStringLiteral("!!%%contents"));
        QCOMPARE(_client.window()->navigationTabs()->currentIndex(), 0);

        _client.showPage(QStringLiteral("!!%%index"));
        QListWidget* index = _client.window()->indexList();
        _client.window()->indexFilter()->setText(QStringLiteral("saved"));
        QVERIFY(index->currentItem());
        QCOMPARE(index->currentItem()->text(), QStringLiteral("Saved meals"));
        // Return in the search box opens the entry found.
        const QUrl wanted = index->currentItem()->data(Qt::UserRole).toUrl();
        QTest::keyClick(_client.window()->indexFilter(), Qt::Key_Return);
        QCOMPARE(_client.window()->browser()->source(), wanted);
    }

    void unreadablePageSaysSo_data()
    {
        QTest::addColumn<QString>("pipe");  // a help file made a pipe that nobody writes to
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("shown");
        QTest::newRow("missing page") << "" << "nosuchpage.html" << "nosuchpage.html could not be found";
        QTest::newRow("a pipe as the page")
            << "chart.html" << "chart.html" << "chart.html could not be opened: Not a regular file.";
        QTest::newRow("a pipe as the start page") << "index.html" << "diary.html" << "The diary";
        QTest::newRow("a pipe as the style sheet") << "help.css" << "diary.html" << "The diary";
    }

    void unreadablePageSaysSo()
    {
        QFETCH(QString, pipe);
        QFETCH(QString, topic);
        QFETCH(QString, shown);
        const QString file = _resources.filePath("helphtml/" + pipe);
        const QString linked = QFile::symLinkTarget(file);
        QVERIFY(pipe.isEmpty() || (QFile::remove(file) && ::mkfifo(QFile::encodeName(file), 0600) == 0));
        BXHelp::showTopic(topic);
        QVERIFY(pipe.isEmpty() || (QFile::remove(file) && QFile::link(linked, file)));
        QVERIFY2(_client.window()->browser()->toPlainText().contains(shown),
                 qPrintable(_client.window()->browser()->toPlainText()));
    }

    void everyTopicTheScreensOpenExists_data()
    {
        QTest::addColumn<QString>("topic");
        for (const char* topic :
             {"diary.html", "chart.html", "checkin.html", "website.html", "browser.html",
              "diary.html#id316350", "browser-myfoods.html", "checkin.html#checkin-perform",
              "diary-targets.html", "started-firsttime.html#started-prefs", "diary-print.html",
              "publish.html"})
            QTest::newRow(topic) << QString::fromLatin1(topic);
    }

    void everyTopicTheScreensOpenExists()
    {
        QFETCH(QString, topic);
        QVERIFY2(pageHasAnchor(QUrl::fromLocalFile(BXHelp::helpFolder())
                                   .resolved(QUrl(topic))),
                 qPrintable(topic));
    }

    void everyContentsAndIndexEntryLeadsToAPage()
    {
        _client.openAssistant();
        HelpWindow* window = _client.window();
        QList<QTreeWidgetItem*> items;
        for (int i = 0; i < window->contentsTree()->topLevelItemCount(); ++i)
            items << window->contentsTree()->topLevelItem(i);
        for (int i = 0; i < items.size(); ++i) {
            for (int child = 0; child < items[i]->childCount(); ++child)
                items << items[i]->child(child);
            const QUrl url = items[i]->data(0, Qt::UserRole).toUrl();
            QVERIFY2(pageHasAnchor(url) && offered(url), qPrintable(url.toString()));
        }
        for (int row = 0; row < window->indexList()->count(); ++row) {
            const QUrl url = window->indexList()->item(row)->data(Qt::UserRole).toUrl();
            QVERIFY2(pageHasAnchor(url) && offered(url), qPrintable(url.toString()));
        }
        QVERIFY(items.size() > 10);
    }

    void inputDialogHelpOpensItsTopic()
    {
        BXInputDialog dialog(QStringLiteral("Name"), nullptr, nullptr, true,
                             BXInputDialog::LineEdit, QStringLiteral("browser-myfoods.html"));
        QTest::mouseClick(dialog.helpButton(), Qt::LeftButton);
        QVERIFY(_client.isOpen());
        QCOMPARE(_client.window()->browser()->source(),
                 pageUrl(QStringLiteral("browser-myfoods.html")));
    }

    // Help takes clicks, which come through the window system as the user's would, while a
    // modal dialog is open: help opened from the dialog, and help that was open before it.
    void helpWindowIsUsableWhileADialogIsOpen_data()
    {
        QTest::addColumn<bool>("openedBefore");
        QTest::newRow("opened from the dialog") << false;
        QTest::newRow("open before the dialog") << true;
    }

    void helpWindowIsUsableWhileADialogIsOpen()
    {
        QFETCH(bool, openedBefore);
        if (openedBefore)
            BXHelp::showTopic(QStringLiteral("diary.html"));
        QDialog dialog;
        QUrl shownAfterClick;
        QUrl expected;
        QTimer::singleShot(0, &dialog, [&] {
            if (!openedBefore)
                BXHelp::showTopic(QStringLiteral("diary.html"));
            HelpWindow* help = _client.window();
            QTreeWidget* tree = help->contentsTree();
            QTreeWidgetItem* item = tree->topLevelItem(tree->topLevelItemCount() - 1);
            expected = item->data(0, Qt::UserRole).toUrl();
            const QPoint spot = tree->viewport()->mapTo(help, tree->visualItemRect(item).center());
            QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {}, spot);
            shownAfterClick = help->browser()->source();
            dialog.accept();
        });
        dialog.exec();
        QVERIFY(expected != pageUrl(QStringLiteral("diary.html")));
        QCOMPARE(shownAfterClick, expected);
    }

    void linkTopicPointsTheActionAtThePage()
    {
        BXHelp::linkTopic(QStringLiteral("diary-print.html"));
        QCOMPARE(QUrl(_action.whatsThis()), pageUrl(QStringLiteral("diary-print.html")));
    }

private:
    QTemporaryDir _resources;
    QAction _action;
    BXHelpClient _client;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
