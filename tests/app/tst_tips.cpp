#include "widgets/bxhelp.h"
#include "widgets/bxhelpclient.h"
#include "widgets/helpwindow.h"
#include "app/tipoftheday.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/dbtypes.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/support/widgetpicture.h"
#include "widgets/userturn.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace {

const char* const kSmallTips =
    "# A comment line\n"
    "1, \"\", None, \"\", \"First tip, with a comma\"\n"
    "\n"
    "2, \"\", None, \"\"\n"
    "3, \"PUBLISH\", None, \"\", \"Publishing tip\"\n"
    "   4, \" \", None, \"\", \"Blank features, \"\"quoted\"\" ${APP_NAME}\"   \n"
    "5, \"FAMILY\", FocusIn, \"watchedEdit; otherEdit\", \"Topic tip <a href=\"\"diary.html#id316350\"\">saved meals</a>\"\n"
    "7, \"\", NoSuchEvent, \"watchedEdit\", \"Plain tip from an unknown event\"\n"
    "x, \"\", None, \"\", \"Bad number\"\n"
    "-2147483648, \"\", None, \"\", \"Lowest number\"\n"
    "0, \"\", None, \"\", \"Zero\"\n"
    "-6, \"\", None, \"\", \"Negative\"\n"
    "8, \"\", None, \"\", \"Double,,comma\"\n"
    "9, \"\", None, \"\", \"Unknown ${NO_SUCH_ID} token\"\n"
    "#10, \"\", None, \"\", \"Commented out\"\n";

// Counts the tip windows that open modally while `action` runs and the events it posted
// are handled, closing each with its Close button, and keeps the text of the last one.
int tipsShownDuring(const std::function<void()>& action, QString* text = nullptr,
                    bool* controlsHidden = nullptr)
{
    int shown = 0;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&]() {
        auto* tip = qobject_cast<TipOfTheDay*>(QApplication::activeModalWidget());
        if (!tip || !tip->isVisible())
            return;
        ++shown;
        if (text)
            *text = tip->tipBrowser()->toPlainText();
        if (controlsHidden)
            *controlsHidden = tip->showOnStartBox()->isHidden() && tip->nextTipButton()->isHidden();
        tip->closeButton()->click();
    });
    closer.start();
    action();
    QCoreApplication::processEvents();
    return shown;
}

} // namespace

class TestTips : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
        QVERIFY2(BrandEngine::instance()->import(brand.constData()), brand.constData());
        const StoreResult start = DiaryStart::startUp(false);
        QVERIFY2(start, qPrintable(start.message()));
        _first = addUser("Ann");
        _second = addUser("Ben");
        UserDB::instance()->setCurrentUser(_first);

        _watched.setObjectName(QStringLiteral("watchedEdit"));
        _watched.show();
        QVERIFY(_dir.isValid());
        _smallTips = writeTips("small.dat", kSmallTips);
        BXHelp::init(&_helpAction, &_helpClient);
    }

    void cleanupTestCase()
    {
        TipOfTheDay::cleanUp();
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        BrandEngine::cleanUp();
    }

    void init() { follow(_first); }

    void smallFileParses()
    {
        TipOfTheDay* tips = loadSmall(0);
        QCOMPARE(tips->tipNumbers(), QList<int>({1, 4, 5, 7, 8}));
        QCOMPARE(tips->tipText(1), QStringLiteral("First tip, with a comma"));
        QCOMPARE(tips->tipText(4), QStringLiteral("Blank features, \"quoted\" Pantrel"));
        QCOMPARE(tips->tipText(5),
                 QStringLiteral("Topic tip <a href=\"diary.html#id316350\">saved meals</a>"));
        QCOMPARE(tips->tipText(8), QStringLiteral("Double,comma"));
        QCOMPARE(tips->tipBrowser()->toPlainText(), QStringLiteral("First tip, with a comma"));
    }

    void eventNamesFollowTheToolkit()
    {
        TipOfTheDay* tips = loadSmall(0);
        QCOMPARE(tips->mapEventStrToEnum(QStringLiteral("FocusIn")), int(QEvent::FocusIn));
        QCOMPARE(tips->mapEventStrToEnum(QStringLiteral("MouseButtonPress")),
                 int(QEvent::MouseButtonPress));
        QCOMPARE(tips->mapEventStrToEnum(QStringLiteral("Show")), int(QEvent::Show));
        QCOMPARE(tips->mapEventStrToEnum(QStringLiteral("focusin")), 0);
        QCOMPARE(tips->mapEventStrToEnum(QStringLiteral("Accel")), 0);
        QCOMPARE(tips->mapEventStrToEnum(QStringLiteral("None")), 0);
    }

    void storedValueSetsTheStartingTip()
    {
        TipOfTheDay* tips = loadSmall(-5);
        QCOMPARE(tips->currentTip(), 5);
        QVERIFY(!tips->showOnStartBox()->isChecked());
        tips->myClose();
        QCOMPARE(UserDB::instance()->getTipOfTheDay(_first), -5);

        tips = loadSmall(0);
        QCOMPARE(tips->currentTip(), 1);
        QVERIFY(tips->showOnStartBox()->isChecked());

        tips = loadSmall(6);
        QCOMPARE(tips->currentTip(), 7);
        QCOMPARE(tips->tipBrowser()->toPlainText(), QStringLiteral("Plain tip from an unknown event"));
    }

    void nextTipWrapsAround()
    {
        TipOfTheDay* tips = loadSmall(7);
        tips->nextTipButton()->click();
        QCOMPARE(tips->currentTip(), 8);
        tips->nextTip();
        QCOMPARE(tips->currentTip(), 1);
        tips->showOnStartBox()->setChecked(true);
        tips->myClose();
        QCOMPARE(UserDB::instance()->getTipOfTheDay(_first), 1);
    }

    void eachUserKeepsTheirOwnTipState()
    {
        UserDB::instance()->setTipOfTheDay(_second, 0);
        TipOfTheDay* tips = loadSmall(-5);
        follow(_second);
        tips->open();
        QCOMPARE(tips->currentTip(), 1);
        QVERIFY(tips->showOnStartBox()->isChecked());
        tips->nextTip();
        tips->myClose();
        QCOMPARE(UserDB::instance()->getTipOfTheDay(_second), 4);
        QCOMPARE(UserDB::instance()->getTipOfTheDay(_first), -5);
    }

    void fileWithoutTips_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::newRow("only comments") << "";
        // Nobody opens the pipe's other end: the tips must not wait for it.
        QTest::newRow("a pipe") << "pipe.dat cannot be read: Not a regular file.";
    }

    void fileWithoutTips()
    {
        QFETCH(QString, shown);
        const bool pipe = !shown.isEmpty();
        const QString path = pipe ? _dir.filePath(QStringLiteral("pipe.dat"))
                                  : writeTips("empty.dat", "# nothing but comments\n#1, \"\", None, \"\", \"x\"\n");
        QVERIFY(!pipe || ::mkfifo(QFile::encodeName(path), 0600) == 0);
        TipOfTheDay* tips = TipOfTheDay::instance();
        UserDB::instance()->setTipOfTheDay(_first, 0);
        tips->init(path);
        QVERIFY(tips->tipNumbers().isEmpty());
        const QString text = tips->tipBrowser()->toPlainText();
        QVERIFY2(shown.isEmpty() ? text.isEmpty() : text.endsWith(shown), qPrintable(text));
        tips->nextTip();
        QCOMPARE(tips->currentTip(), 0);
        QVERIFY(!tips->showTipForTopic(0));
    }

    void topicTipFiresOncePerUser()
    {
        UserDB::instance()->resetTipForTopic(_first);
        UserDB::instance()->resetTipForTopic(_second);
        TipOfTheDay* tips = loadSmall(0);
        QFocusEvent focusIn(QEvent::FocusIn);

        QString text;
        bool controlsHidden = false;
        bool consumed = false;
        QCOMPARE(tipsShownDuring([&]() { consumed = tips->eventFilter(&_watched, &focusIn); },
                                 &text, &controlsHidden),
                 1);
        QVERIFY(!consumed); // the tip opens once the event has returned
        QCOMPARE(text, QStringLiteral("Topic tip saved meals"));
        QVERIFY(controlsHidden);
        QVERIFY(!tips->showOnStartBox()->isHidden());
        QCOMPARE(tips->tipBrowser()->toPlainText(), QStringLiteral("First tip, with a comma"));
        QCOMPARE(UserDB::instance()->getTipOfTheDay(_first), 0); // a topic's Close leaves it

        QCOMPARE(tipsShownDuring([&]() { consumed = tips->eventFilter(&_watched, &focusIn); }), 0);
        QVERIFY(!consumed);
        QFocusEvent focusOut(QEvent::FocusOut);
        QCOMPARE(tipsShownDuring([&]() { QApplication::sendEvent(&_watched, &focusOut); }), 0);

        follow(_second);
        QCOMPARE(tipsShownDuring([&]() { QApplication::sendEvent(&_watched, &focusIn); }), 1);
        QCOMPARE(tipsShownDuring([&]() { QApplication::sendEvent(&_watched, &focusIn); }), 0);
    }

    void topicTipOpensInItsTurnForItsUser_data()
    {
        QTest::addColumn<bool>("switched");
        QTest::addColumn<bool>("pass");  // a pass of events after the event in place of the box
        QTest::addColumn<int>("shown");
        QTest::newRow("a box opened after the event") << false << false << 1;
        QTest::newRow("another user shown before it opened") << true << false << 0;
        QTest::newRow("a pass of events after the event") << false << true << 1;
    }

    void topicTipOpensInItsTurnForItsUser()
    {
        QFETCH(bool, switched);
        QFETCH(bool, pass);
        UserDB::instance()->resetTipForTopic(_first);
        TipOfTheDay* tips = loadSmall(0);
        QFocusEvent focusIn(QEvent::FocusIn);
        QMessageBox box;
        bool boxOpen = false, overTheBox = false;
        connect(tips, &QDialog::finished, &box, [&] { overTheBox = overTheBox || boxOpen; });
        QTEST(tipsShownDuring([&] {
                  tips->eventFilter(&_watched, &focusIn);
                  if (switched)
                      follow(_second);
                  QTimer::singleShot(0, &box, &QDialog::reject);
                  boxOpen = true;
                  pass ? UserTurn::passEvents() : void(box.exec());
                  boxOpen = false;
              }), "shown");
        QVERIFY(!overTheBox);
    }

    void resetAllTipsArmsThemAgain()
    {
        UserDB::instance()->setTipForTopic(_first, 5);
        TipOfTheDay* tips = loadSmall(-7);
        QApplication::setActiveWindow(&_watched);
        QCOMPARE(tipsShownDuring([&]() { _watched.setFocus(); }), 0);

        QString text;
        QCOMPARE(tipsShownDuring([&]() { tips->resetAllTips(); }, &text), 1);
        QCOMPARE(text, QStringLiteral("Topic tip saved meals"));
        QCOMPARE(tips->currentTip(), 1);
        QVERIFY(tips->showOnStartBox()->isChecked());
        QCOMPARE(UserDB::instance()->getTipOfTheDay(_first), 1);
        _watched.clearFocus();
    }

    void linkOpensHelpAndKeepsTheTip()
    {
        TipOfTheDay* tips = loadSmall(5);
        emit tips->tipBrowser()->anchorClicked(QUrl(QStringLiteral("diary.html#id316350")));
        QVERIFY(_helpClient.isOpen());
        QUrl expected = QUrl::fromLocalFile(BXHelp::helpFolder() + "diary.html");
        expected.setFragment(QStringLiteral("id316350"));
        QCOMPARE(_helpClient.window()->browser()->source(), expected);
        QCOMPARE(tips->tipBrowser()->toPlainText(), QStringLiteral("Topic tip saved meals"));
        _helpClient.closeAssistant();
    }

    // The shipped file: every data line must be a well-formed tip that the program keeps
    // unless its features are missing, with known events, brand tokens and help links.
    void shippedTipsAreWellFormed()
    {
        UserDB::instance()->setTipOfTheDay(_first, 0);
        follow(_first);
        TipOfTheDay::cleanUp();
        TipOfTheDay* tips = TipOfTheDay::instance();
        QFile file(BXSettings::getResourceDBPath() + "tips.dat");
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));

        QSet<int> numbers;
        int kept = 0;
        int dataLines = 0;
        const QRegularExpression token(QStringLiteral("\\$\\{([^}]+)\\}"));
        const QRegularExpression link(QStringLiteral("href=\"\"([^\"#]+)(#[^\"]*)?\"\""));
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            ++dataLines;
            QVERIFY2(!line.contains(QStringLiteral(",,")), qPrintable(line));
            const QStringList fields = line.split(QLatin1Char(','));
            QVERIFY2(fields.size() >= 5, qPrintable(line));
            bool ok = false;
            const int number = fields[0].trimmed().toInt(&ok);
            QVERIFY2(ok && number > 0 && !numbers.contains(number), qPrintable(line));
            numbers.insert(number);
            const QString event = fields[2].trimmed();
            QVERIFY2(event == QLatin1String("None") || tips->mapEventStrToEnum(event) != 0,
                     qPrintable(line));
            const QString text = fields.mid(4).join(QLatin1Char(',')).trimmed();
            QVERIFY2(text.size() > 2 && text.startsWith(QLatin1Char('"'))
                         && text.endsWith(QLatin1Char('"')),
                     qPrintable(line));
            for (const auto& match : token.globalMatch(text)) {
                const QByteArray id = match.captured(1).toLower().toLatin1();
                QVERIFY2(BrandEngine::instance()->idExists(id.constData()), id.constData());
            }
            for (const auto& match : link.globalMatch(text))
                QVERIFY2(QFile::exists(BXHelp::helpFolder() + match.captured(1)),
                         qPrintable(match.captured(1)));
            const QString features = fields[1].trimmed().remove(QLatin1Char('"'));
            if (!tips->ignoreTip(features)) {
                ++kept;
                QVERIFY2(!tips->tipText(number).isEmpty(), qPrintable(line));
                QVERIFY2(!tips->tipText(number).contains(QStringLiteral("${")), qPrintable(line));
            }
        }
        QVERIFY(dataLines >= 30);
        QCOMPARE(tips->tipNumbers().size(), kept);
        QCOMPARE(tips->currentTip(), tips->tipNumbers().first());

        tips->open();
        QVERIFY(QTest::qWaitForWindowExposed(tips));
        QVERIFY(saveWidgetPicture(tips, QStringLiteral("tipoftheday")));
        tips->reject();
    }

private:
    qint64 addUser(const char* name)
    {
        DBTypes::UserProfile profile;
        profile.name = QString::fromLatin1(name);
        std::strcpy(profile.created, "20260101");
        std::strcpy(profile.dob, "19800101");
        profile.sex = 1;
        qint64 id = -1;
        if (!UserDB::instance()->addUser(profile, &id))
            qFatal("cannot add user %s", name);
        return profile.userId;
    }

    QString writeTips(const char* name, const char* content)
    {
        QString path = _dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) < 0)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Makes the user current with the tips' state read, as a switch of user does.
    static void follow(qint64 user)
    {
        UserDB::instance()->setCurrentUser(user);
        TipOfTheDay::keepUserState(TipOfTheDay::readUserState(user).value());
    }

    TipOfTheDay* loadSmall(int stored)
    {
        UserDB::instance()->setTipOfTheDay(_first, stored);
        follow(_first);
        TipOfTheDay* tips = TipOfTheDay::instance();
        tips->init(_smallTips);
        return tips;
    }

    QTemporaryDir _dir;
    QString _smallTips;
    QLineEdit _watched;
    QAction _helpAction;
    BXHelpClient _helpClient;
    qint64 _first = -1;
    qint64 _second = -1;
};

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
