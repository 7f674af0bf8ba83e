#include "browser/exercisewidget.h"
#include "browser/foodquerywidget.h"
#include "browser/foodwidget.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "core/notificationcenter.h"
#include "diary/diarylistslaveheader.h"
#include "diary/diarylistview.h"
#include "widgets/headersection.h"
#include "diary/diarysummary.h"
#include "diary/diaryview.h"
#include "diary/diarywidget.h"
#include "widgets/shownday.h"
#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "diary/greentickswidget.h"
#include "diary/summarynutrientwidget.h"
#include "diary/summaryobject.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"
#include "widgets/expandingtabbar.h"
#include "widgets/macutil.h"
#include "widgets/qpopupcalendar.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStyle>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QDate kToday(2026, 4, 1);

QByteArray code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

qint64 currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

void addFood(const QDate& date, const QString& name, float energy)
{
    DBTypes::FoodDiaryItem entry;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("cup");
    entry.meal = 1;
    entry.userId = currentUser();
    entry.values.energy = energy;
    entry.setDate(code(date).toStdString());
    QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
}

void weigh(qint64 user, const QDate& date, float kilograms)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = user;
    qstrcpy(checkin.date, code(date).constData());
    checkin.weight = kilograms;
    checkin.hasWeight = true;
    QVERIFY(UserDB::instance()->addCheckin(checkin, false));
}

void addGolf(const QDate& date, float minutes)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = currentUser();
    entry.name = QStringLiteral("Golf");
    entry.duration = minutes;
    entry.rate = 10658.0f / 600.0f;
    entry.status = 1;
    entry.setDate(code(date).toStdString());
    QVERIFY(DiaryDB::instance()->addExEntry(entry, false) >= 0);
}

// Whether every sentence of the summary panel shows whole: the large bars' sentences and
// the water advice inside their panels, each panel inside the summary.
bool summaryWhole(const DiarySummary* summary)
{
    const auto inside = [](const QWidget* panel, const QRect& text) {
        if (panel->rect().contains(text))
            return true;
        qWarning("%s: text at %d,%d %dx%d, panel %dx%d", panel->metaObject()->className(),
                 text.x(), text.y(), text.width(), text.height(), panel->width(), panel->height());
        return false;
    };
    for (const SummaryNutrientWidget* bar : summary->findChildren<SummaryNutrientWidget*>()) {
        if (!bar->isVisible())
            continue;
        if (bar->barRect().width() < SummaryNutrientWidget::kLeastBarWidth) {
            qWarning("a bar of %d pixels", bar->barRect().width());
            return false;
        }
        if (!inside(bar->parentWidget(), bar->geometry())
            || (bar->isLarge() && !inside(bar, bar->sentenceRect())))
            return false;
    }
    for (const FluidCounterView* water : summary->findChildren<FluidCounterView*>())
        if (water->isVisible() && !inside(water, water->adviceRect()))
            return false;
    for (const QWidget* panel : summary->findChildren<SummaryObject*>())
        if (panel->isVisible() && !inside(summary, panel->geometry()))
            return false;
    return inside(summary->parentWidget(), summary->geometry());
}

// Whether every figure of a detail panel (a label that reads a number) shows its whole text,
// and, with names, every other label of its grid too.
bool allWhole(const QWidget* panel, bool names)
{
    for (const QLabel* label : panel->findChildren<QLabel*>()) {
        const QString text = label->text();
        if (label->textFormat() == Qt::RichText || text.contains(QLatin1Char('&'))
            || !label->isVisibleTo(panel))
            continue;
        const bool figure = !text.isEmpty() && (text.at(0).isDigit() || text == QLatin1String("-"));
        if (!figure && !names)
            continue;
        const int room = label->contentsRect().width();
        if (room < label->fontMetrics().horizontalAdvance(text)) {
            qWarning("%s: \"%s\" has %d pixels", qPrintable(label->objectName()), qPrintable(text), room);
            return false;
        }
    }
    return true;
}

} // namespace

class TestDiaryWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setNow(QDateTime(kToday, QTime(9, 0)));
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
    }

    void init()
    {
        ShownDay::instance()->show(currentUser(), kToday);
        _page = std::make_unique<DiaryWidget>(nullptr, "diaryWidget");
        _list = _page->diaryView1->mealView;
    }

    void cleanup() { _page.reset(); }

    void cleanupTestCase()
    {
        endSession();
        Clock::reset();
    }

    void formCarriesItsParts()
    {
        QCOMPARE(_page->windowTitle(), QStringLiteral("Diary"));
        // No day is named before one was shown.
        QCOMPARE(_page->dateLabel->text(), QString());
        QCOMPARE(_page->dateButton->text(), QStringLiteral("  Calendar  "));
        QCOMPARE(_page->dateButton->popupMode(), QToolButton::InstantPopup);
        QCOMPARE(_page->dateButton->menu(), _page->popupCalendar());
        for (QToolButton* button : {_page->prevDayButton, _page->currentDayButton,
                                    _page->nextDayButton, _page->dateButton})
            QVERIFY(button->autoRaise());
        for (const char* name : {"frame10", "calendarFrame", "dateFrame", "slaveHeader",
                                 "greenTicksWidget1", "splitter2", "groupBox1"})
            QVERIFY2(_page->findChild<QWidget*>(QLatin1String(name)), name);
        QCOMPARE(_page->getDate(), kToday);
    }

    void previousFromTheFirstLoadsTheMonthBefore()
    {
        addFood(QDate(2026, 3, 20), QStringLiteral("oats"), 300.0f);
        addFood(QDate(2026, 3, 31), QStringLiteral("rice"), 400.0f);
        QSignalSpy totals(_list, &DiaryListView::totalChanged);
        _page->prevDayButton_clicked();
        QCOMPARE(_page->getDate(), QDate(2026, 3, 31));
        QCOMPARE(_page->dateLabel->text(), QStringLiteral("Tue, 31 Mar 2026"));
        QVERIFY(totals.count() >= 1);
        QCOMPARE(totals.last().at(0).value<DBTypes::DiaryDay>().foods.at(0).desc,
                 QStringLiteral("rice"));
        QVERIFY(_page->popupCalendar()->calendar()->isBoldDay(QDate(2026, 3, 20)));
        QCOMPARE(_page->summaryWidget->nutrient(DBTypes::ENERGY).value, 400.0f);

        _page->prevDayButton_clicked();
        _page->currentDayButton_clicked();
        QCOMPARE(_page->getDate(), kToday);
        QVERIFY(totals.last().at(0).value<DBTypes::DiaryDay>().foods.empty());
    }

    void pickInThePopupLoadsOnce()
    {
        const QDate picked(2026, 3, 12);
        UserDB::instance()->setFluid(currentUser(), code(picked).constData(), 5);
        _page->showDay(currentUser(), _page->getDate()); // the summary holds today's cups first
        QSignalSpy totals(_list, &DiaryListView::totalChanged);
        _page->popupCalendar()->calendar()->setDate(picked, true);
        _page->popupCalendar()->handleDateSelection(picked);
        QCOMPARE(totals.count(), 1);
        QCOMPARE(_page->getDate(), picked);
        QCOMPARE(_page->summaryWidget->fluid(), 5);
        auto* water = _page->summaryWidget->findChild<FluidCounterView*>();
        QVERIFY(water->downButton()->isEnabled());
    }

    void weightInForceForTheDate()
    {
        QSignalSpy weights(_page.get(), &DiaryWidget::userWeightChanged);
        _page->showDay(currentUser(), QDate(2026, 2, 1)); // nobody weighed yet
        QVERIFY(weights.last().at(0).toFloat() < 0.0f);

        weigh(currentUser(), QDate(2026, 3, 1), 70.0f);
        weigh(currentUser(), QDate(2026, 3, 15), 68.5f);
        _page->showDay(currentUser(), QDate(2026, 2, 1)); // before the first weighing: the first one
        QCOMPARE(weights.last().at(0).toFloat(), 70.0f);
        _page->showDay(currentUser(), QDate(2026, 3, 20));
        QCOMPARE(weights.last().at(0).toFloat(), 68.5f);
    }

    void summaryPanelChoiceIsKeptPerUser()
    {
        const int other = addCompleteUser(QStringLiteral("Ben"));
        _page->setVisibleFluidAndNutrient(false);
        QVERIFY(_page->summaryWidget->isHidden());
        QVERIFY(!UserDB::instance()->getUserPrefs(currentUser()).value().showNutrientAndFluid);
        QVERIFY(UserDB::instance()->getUserPrefs(other).value().showNutrientAndFluid);
        _page->setVisibleFluidAndNutrient(true);
        QVERIFY(UserDB::instance()->getUserPrefs(currentUser()).value().showNutrientAndFluid);
    }

    void mealPlansNeedALogin()
    {
        ScriptedPrompter prompter;
        _page->doMealPlan();
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.lastCaption(), QStringLiteral("No login specified"));
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("If you have a paid ")));
        QVERIFY(!prompter.lastText().contains(QStringLiteral("${")));
    }

    void noUserTouchesNothing()
    {
        const qint64 user = currentUser();
        UserDB::instance()->setCurrentUser(-1);
        QSignalSpy weights(_page.get(), &DiaryWidget::userWeightChanged);
        _page->nextDayButton_clicked();
        UserDB::instance()->setCurrentUser(user);
        QCOMPARE(weights.count(), 0);
        QCOMPARE(_page->getDate(), kToday.addDays(1));
    }

    // The browser beside the diary: its tabs and nutrient names whole at the window's
    // default sizes, its figures whole there and at the page's minimum, large as they come.
    void browserFiguresAndNamesShownWhole_data()
    {
        QTest::addColumn<bool>("kilojoules");
        QTest::newRow("kcal") << false;
        QTest::newRow("kJ") << true;
    }

    void browserFiguresAndNamesShownWhole()
    {
        QFETCH(bool, kilojoules);
        UnitCollection::instance()->set(
            UnitCollection::Energy,
            new UnitEnergy(kilojoules ? UnitEnergy::Kilojoules : UnitEnergy::Kilocalories));
        FoodQueryWidget* browser = _page->foodQueryWidget3;
        // Five pats of butter: the most servings a meal takes, 2000 of them.
        browser->foodWidget->setSavedMeal(QStringLiteral("Butter"), 369.963, 40.5, 0.5, 0.0, 0.0,
                                          0.0, 25.5, 107.5, 321.5, 12.0, 1);
        browser->foodWidget->sizeLineEdit->setText(QStringLiteral("2000"));
        browser->displayStack->setCurrentIndex(FoodQueryWidget::FoodPage);
        // The page's least size, where the main window may be made and the tabs scroll rather
        // than widen it, and 90 % of a desktop of 1280 x 1024, where it opens with every tab whole.
        const QSize opening(1152, 921);
        for (const QSize& size : {_page->minimumSizeHint(), opening}) {
            _page->resize(size);
            _page->show();
            QVERIFY(QTest::qWaitForWindowExposed(_page.get()));
            const QString where = QStringLiteral("%1 wide").arg(size.width());
            QTRY_VERIFY2(allWhole(browser->foodWidget, true), qPrintable(where));
            QVERIFY(browser->foodWidget->caloriesLabel->text().startsWith(
                kilojoules ? QStringLiteral("3092891 ") : QStringLiteral("739926 ")));
            const ExpandingTabBar* tabs = browser->categoryBar;
            const int padding = tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
            for (int i = 0; size == opening && i < tabs->count(); ++i) {
                QVERIFY2(tabs->tabRect(i).width()
                             >= tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)) + padding,
                         qPrintable(where + tabs->tabText(i)));
                QVERIFY2(tabs->tabRect(i).right() < browser->width(), qPrintable(tabs->tabText(i)));
            }
            saveWidgetPicture(browser, QStringLiteral("browser-detail-%1-%2")
                                           .arg(size.width()).arg(kilojoules ? "kj" : "kcal"));
        }
        // An exercise's energy on its panel, and both panels at the page's minimum size.
        DBTypes::ExerciseDiaryItem walk;
        walk.name = QStringLiteral("Walking");
        walk.duration = 1440.0f; // a whole day, the longest duration the panel takes
        walk.rate = 150.0f;
        browser->exerciseWidget->setExerciseItem(walk);
        _page->resize(_page->minimumSizeHint());
        QTRY_VERIFY(allWhole(browser->foodWidget, false));
        saveWidgetPicture(browser, QStringLiteral("browser-detail-minimum-%1").arg(kilojoules ? "kj" : "kcal"));
        browser->displayStack->setCurrentIndex(FoodQueryWidget::ExercisePage);
        QTRY_VERIFY(allWhole(browser->exerciseWidget, false));
        saveWidgetPicture(browser, QStringLiteral("browser-exercise-minimum-%1").arg(kilojoules ? "kj" : "kcal"));
        QVERIFY2(browser->exerciseWidget->energyLabel->text().startsWith(
            kilojoules ? QStringLiteral("902880 ") : QStringLiteral("216000 ")),
            qPrintable(browser->exerciseWidget->energyLabel->text()));
        UnitCollection::instance()->set(UnitCollection::Energy,
                                        new UnitEnergy(UnitEnergy::Kilocalories));
    }

    // The diary list's column titles stand whole left of the header menu's triangle, in the
    // header's own font (the program gives headers a font of their own), in either unit.
    void headerTitlesWholeBesideTheTriangle()
    {
        const QFont listFont = QApplication::font("QTreeWidget");
        const QFont headerFont = QApplication::font("QHeaderView");
        QFont larger = listFont;
        larger.setPointSizeF(listFont.pointSizeF() * 1.3);
        QApplication::setFont(larger, "QHeaderView");
        const auto restore = qScopeGuard([&headerFont] {
            QApplication::setFont(headerFont, "QHeaderView");
            UnitCollection::instance()->set(UnitCollection::Energy,
                                            new UnitEnergy(UnitEnergy::Kilocalories));
        });
        DiaryWidget page(nullptr, "diaryWidget");
        page.resize(774, 786);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const DiaryListSlaveHeader* header = page.slaveHeader;
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const char* const columnSets[] = {"0:1:2:3:4:", "5:6:7:8:9:"};
        for (const auto unit : {UnitEnergy::Kilocalories, UnitEnergy::Kilojoules}) {
            UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(unit));
            for (const char* columns : columnSets) {
                page.diaryView1->mealView->setColumnSettings(QString::fromLatin1(columns));
                QCOMPARE(header->count(), 6);
                for (int section = 1; section < header->count(); ++section) {
                    const QString title =
                        header->model()->headerData(section, Qt::Horizontal).toString();
                    const int room = header->sectionSize(section) - 2 * margin
                        - HeaderSection::indicatorRoom(header->height());
                    QVERIFY2(header->fontMetrics().horizontalAdvance(title) <= room,
                             qPrintable(title));
                }
            }
        }
        QVERIFY(saveWidgetPicture(header->parentWidget(), QStringLiteral("diary-list-header-kj")));
    }

    // Every sentence of the summary stands whole, long as its figures make it: on one line
    // where the window leaves room, on more lines at the page's least size, which fits a
    // desktop of 1024 x 768 whatever the figures.
    void summaryWholeAtTheLeastSize_data()
    {
        QTest::addColumn<bool>("kilojoules");
        QTest::addColumn<float>("eaten");
        QTest::addColumn<float>("golfMinutes");
        QTest::addColumn<QDate>("day");
        // 9999 pats of butter of 36 kcal; 600 minutes of golf burn 10658 kcal.
        QTest::newRow("butter kcal") << false << 9999.0f * 36.0f << 0.0f << kToday.addDays(-1);
        QTest::newRow("butter kJ") << true << 9999.0f * 36.0f << 0.0f << kToday.addDays(-2);
        QTest::newRow("golf kcal") << false << 0.0f << 600.0f << kToday.addDays(-3);
        QTest::newRow("golf kJ") << true << 0.0f << 600.0f << kToday.addDays(-4);
    }

    void summaryWholeAtTheLeastSize()
    {
        QFETCH(bool, kilojoules);
        QFETCH(float, eaten);
        QFETCH(float, golfMinutes);
        QFETCH(QDate, day);
        UnitCollection::instance()->set(
            UnitCollection::Energy,
            new UnitEnergy(kilojoules ? UnitEnergy::Kilojoules : UnitEnergy::Kilocalories));
        const auto restore = qScopeGuard([] {
            UnitCollection::instance()->set(UnitCollection::Energy,
                                            new UnitEnergy(UnitEnergy::Kilocalories));
        });
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(currentUser()).value();
        prefs.setTargetSize(DBTypes::ENERGY, DBTypes::UserPrefs::Large);
        prefs.setTargetSize(DBTypes::FAT, DBTypes::UserPrefs::Small);
        prefs.setTargetSize(DBTypes::PROTEIN, DBTypes::UserPrefs::Medium);
        UserDB::instance()->setUserPrefs(currentUser(), prefs);
        if (eaten > 0.0f)
            addFood(day, QStringLiteral("butter"), eaten);
        if (golfMinutes > 0.0f)
            addGolf(day, golfMinutes);
        DBTypes::CheckinItem budget;
        budget.userId = currentUser();
        qstrcpy(budget.date, code(day).constData());
        budget.setTarget(DBTypes::ENERGY, 1633.0f);
        budget.setTarget(DBTypes::PROTEIN, 113.4f);
        QVERIFY(UserDB::instance()->addCheckin(budget, false));
        _page->popupCalendar()->calendar()->setDate(day, true);
        _page->popupCalendar()->handleDateSelection(day);
        QVERIFY(std::abs(_page->summaryWidget->nutrient(DBTypes::ENERGY).value) >= 10000.0f);
        _page->show();
        QVERIFY(QTest::qWaitForWindowExposed(_page.get()));
        const QFontMetrics mini(MacUtil::getThemeFont(MacUtil::MiniSystemFont));
        const DiarySummary::SummaryNutrientData& energy =
            _page->summaryWidget->nutrient(DBTypes::ENERGY);
        const int sentenceWidth = mini.horizontalAdvance(SummaryNutrientWidget::largeSentence(
            DBTypes::ENERGY, energy.value, energy.target, !energy.noTarget));
        // The least size first, then 90 % of a desktop of 1280 x 1024, then a wide desktop.
        for (const int width : {0, 1152, 1600}) {
            _page->resize(QSize(width, 0).expandedTo(_page->minimumSizeHint()));
            const QString where = QStringLiteral("%1 wide").arg(width);
            QTRY_VERIFY2(summaryWhole(_page->summaryWidget), qPrintable(where));
            const auto* bar = _page->summaryWidget->findChild<SummaryNutrientWidget*>();
            QVERIFY(bar->isVisible() && bar->isLarge());
            // One line wherever the bar has room for it.
            QCOMPARE(bar->sentenceRect().height() == mini.height(),
                     bar->width() >= sentenceWidth + 22);
            saveWidgetPicture(_page.get(), QStringLiteral("diarypage-%1-%2-%3")
                                               .arg(width > 0 ? QString::number(width)
                                                              : QStringLiteral("least-size"),
                                                    golfMinutes > 0 ? "golf" : "butter",
                                                    kilojoules ? "kj" : "kcal"));
        }
        const auto* water = _page->summaryWidget->findChild<FluidCounterView*>();
        QCOMPARE(water->adviceRect().height(), mini.height());
        QVERIFY2(_page->minimumSizeHint().width() <= 1000,
                 qPrintable(QString::number(_page->minimumSizeHint().width())));
    }

    void picture()
    {
        addFood(kToday, QStringLiteral("porridge"), 350.0f);
        UserDB::instance()->setFluid(currentUser(), code(kToday).constData(), 2);
        _page->resize(1100, 700);
        _page->reload();
        _page->show();
        QVERIFY(QTest::qWaitForWindowExposed(_page.get()));
        QVERIFY(saveWidgetPicture(_page.get(), QStringLiteral("diarypage")));
    }

private:
    std::unique_ptr<DiaryWidget> _page;
    DiaryListView* _list = nullptr;
};

QTEST_MAIN(TestDiaryWidget)
#include "tst_diarywidget.moc"
