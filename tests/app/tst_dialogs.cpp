#include "app/aboutdialog.h"
#include "app/syncdialog.h"
#include "widgets/pagestack.h"
#include "browser/addexercisedialog.h"
#include "browser/addfooddialog.h"
#include "browser/editexdialog.h"
#include "browser/editfooddialog.h"
#include "browser/foodquerywidget.h"
#include "catalogue/recipeaccesswrapper.h"
#include "diary/diarywidget.h"
#include "catalogue/recipeproxydb.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "core/bxsettings.h"
#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/unitcollection.h"
#include "core/unitmeasurement.h"
#include "diary/copypreviousdiaryentry.h"
#include "diary/savedmealloadform.h"
#include "profile/checkindialog.h"
#include "profile/settargetsdialog.h"
#include "profile/targetdialog.h"
#include "reports/printpreviewdialog.h"
#include "reports/report.h"
#include "reports/reportfactory.h"
#include "userdb/usermeasurements.h"
#include "widgets/bxinputdialog.h"
#include "widgets/headersection.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/numberspinbox.h"
#include "widgets/screenfit.h"
#include "tests/app/mainwindowdoubles.h"
#include "tests/support/widgetpicture.h"
#include "tools/recipeaccess/recipecollectioninstaller.h"
#include "widgets/expandingtabbar.h"

#include <QAbstractSpinBox>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QHeaderView>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTextDocument>
#include <QCloseEvent>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

#include <functional>
#include <memory>
#include <optional>

namespace {

// The line edits whose text is a name, a path, a date or a search: every other line edit of
// the program is a number field.
const QStringList s_textFields = {
    QStringLiteral("nameEdit"),        QStringLiteral("servingEdit"),
    QStringLiteral("txtBackupPath"),   QStringLiteral("webUsernameEdit"),
    QStringLiteral("webPasswordEdit"), QStringLiteral("txtProxyHost"),
    QStringLiteral("_nameField"),
};
// Input dialogs the menus open that ask for a name, not a number.
const QStringList s_namePrompts = {QStringLiteral("New category")};
// Classes of line edits that take text that is no number: a search, a date.
const QStringList s_textClasses = {QStringLiteral("SearchLineEditChild"),
                                   QStringLiteral("DateLineEdit")};

// Two blank pages, for the print preview's page field.
class BlankReport : public Report
{
public:
    void draw(QPainter*, int) const override {}
    int getPageCount() const override { return 2; }
};

class BlankReportFactory : public ReportFactory
{
public:
    Report* getReport(ReportDeviceMetrics*) override { return new BlankReport; }
    bool preferLandscape() const override { return false; }
};

// The forms that hold the program's fields and that the main window's menus do not open (those
// are found by choosing the menu entries): the main window with its pages and panels, and the
// dialogs opened from its lists, panels and context menus.
using FormMaker = std::function<QWidget*()>;
const QList<QPair<const char*, FormMaker>>& forms()
{
    static const QList<QPair<const char*, FormMaker>> all = {
        {"main window", [] { return new MainWindowTest::ScriptedMainWindow; }},
        {"per-date targets", [] { return TargetDialog::construct(nullptr); }},
        {"add food", [] { return AddFoodDialog::construct(nullptr); }},
        {"add exercise", [] { return AddExerciseDialog::construct(nullptr); }},
        {"custom food", [] { return EditFoodDialog::construct(nullptr); }},
        {"custom exercise", [] { return EditExDialog::construct(nullptr); }},
        {"copy entries", [] { return CopyPreviousDiaryEntry::construct(nullptr, QDate(2026, 3, 2)); }},
        {"copy entries, advanced",
         [] {
             auto* copy = CopyPreviousDiaryEntry::construct(nullptr, QDate(2026, 3, 2));
             copy->toggle();
             return copy;
         }},
        {"saved meals", [] { return SavedMealLoadForm::construct(nullptr); }},
        {"print preview",
         [] {
             static BlankReportFactory factory;
             return new PrintPreviewDialog(&factory, nullptr, nullptr);
         }},
    };
    return all;
}

// What the number rule reads in text in a locale, before any range: a comma is the decimal
// separator where the locale writes decimals with one, a point elsewhere, and nothing else
// joins the digits.
std::optional<double> ruleReading(const QString& text, bool decimalComma)
{
    const QHash<QString, double> comma = {{"72,5", 72.5}, {"1,5", 1.5}, {"8,360", 8.36}};
    const QHash<QString, double> point = {{"72.5", 72.5}, {"1.000", 1.0}};
    const QHash<QString, double>& read = decimalComma ? comma : point;
    if (read.contains(text))
        return read.value(text);
    return std::nullopt;
}

int decimalsIn(const QString& text, bool decimalComma)
{
    const qsizetype separator = text.indexOf(decimalComma ? QLatin1Char(',') : QLatin1Char('.'));
    return separator < 0 ? 0 : int(text.size() - separator - 1);
}

// The field's object name, or its class and its parent's when it has none.
QString fieldName(const QWidget* field)
{
    if (!field->objectName().isEmpty())
        return field->objectName();
    const QWidget* parent = field->parentWidget();
    return QLatin1String(field->metaObject()->className()) + QLatin1String(" in ")
           + (parent ? QLatin1String(parent->metaObject()->className()) : QLatin1String("-"));
}

QString where(const char* form, const QWidget* field, const QString& typed)
{
    return QStringLiteral("%1: %2, typed \"%3\"").arg(QLatin1String(form), fieldName(field), typed);
}

// Stored values put into a form, and what the form then stores, written alike in every
// locale.
struct StoredForm
{
    const char* name;
    FormMaker make;
    std::function<void(QWidget*)> load;
    std::function<QString(QWidget*)> stored;
    QString expected;
};

// Targets energy 2000 kcal, carbohydrate 140 g, fat 60 g, protein 112.5 g, fibre 30.5 g: shares
// of 28, 27 and 22.5 %, which give the same grams back.
DBTypes::CheckinItem sampleTargets()
{
    DBTypes::CheckinItem checkin;
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        checkin.setTarget(DBTypes::NutType(nut), -1.0f);
    checkin.setTarget(DBTypes::ENERGY, 2000.0f);
    checkin.setTarget(DBTypes::CARBS, 140.0f);
    checkin.setTarget(DBTypes::FAT, 60.0f);
    checkin.setTarget(DBTypes::PROTEIN, 112.5f);
    checkin.setTarget(DBTypes::FIBER, 30.5f);
    return checkin;
}

QString describeTargets(const DBTypes::CheckinItem& checkin, int count)
{
    QStringList targets;
    for (int nut = 0; nut < count; ++nut) {
        const float target = checkin.target(DBTypes::NutType(nut));
        targets << (target < 0.0f ? QStringLiteral("-") : QString::number(target, 'f', 1));
    }
    return targets.join(QLatin1Char(' '));
}

const QList<StoredForm>& storedForms()
{
    using M = UserMeasurements;
    static const QList<StoredForm> all = {
        {"check-in", [] { return CheckinDialog::construct(nullptr); },
         [](QWidget* form) {
             UserMeasurements set;
             set.set(M::Weight, 72.5f, true);
             set.set(M::Chest, 95.5f, true);
             set.set(M::Steps, 0.0f, true);
             static_cast<CheckinDialog*>(form)->setMeasurements(set);
         },
         [](QWidget* form) {
             const UserMeasurements set = static_cast<CheckinDialog*>(form)->getMeasurements();
             QStringList values;
             for (int m = 0; m < M::Count; ++m)
                 values << (set.exact(M::Measurements(m)) ? QString::number(set.value(M::Measurements(m)), 'f', 2)
                                                          : QStringLiteral("-"));
             return values.join(QLatin1Char(' '));
         },
         QStringLiteral("72.50 95.50 - - - 0.00")},
        {"set targets", [] { return new SetTargetsDialog(nullptr, "targets", true); },
         [](QWidget* form) {
             static_cast<SetTargetsDialog*>(form)->load(sampleTargets(), DBTypes::UserPrefs());
         },
         [](QWidget* form) {
             DBTypes::CheckinItem checkin;
             DBTypes::UserPrefs prefs;
             static_cast<SetTargetsDialog*>(form)->get(&checkin, &prefs);
             return describeTargets(checkin, DBTypes::NUTRIENT_COUNT);
         },
         QStringLiteral("2000.0 140.0 60.0 112.5 30.5 - - - - -")},
        {"per-date targets", [] { return TargetDialog::construct(nullptr); },
         [](QWidget* form) { static_cast<TargetDialog*>(form)->setTargets(sampleTargets()); },
         [](QWidget* form) {
             DBTypes::CheckinItem checkin;
             static_cast<TargetDialog*>(form)->getTargets(checkin);
             return describeTargets(checkin, TargetDialog::RowCount);
         },
         QStringLiteral("2000.0 140.0 60.0 112.5 30.5")},
    };
    return all;
}

// Dialogs of the toolkit itself: a file, printer or page chooser, a message box.
const QStringList s_toolkitDialogs = {
    QStringLiteral("QFileDialog"), QStringLiteral("QPrintDialog"), QStringLiteral("QPageSetupDialog"),
    QStringLiteral("QMessageBox"),
};

// The entries of a menu and its submenus, but for those of the menus left out.
QList<QPointer<QAction>> menuEntries(const QMenu* menu, const QList<const QMenu*>& leftOut)
{
    QList<QPointer<QAction>> entries;
    if (leftOut.contains(menu))
        return entries;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            entries << menuEntries(action->menu(), leftOut);
        else if (!action->isSeparator())
            entries << action;
    }
    return entries;
}

// The room a window manager's title bar and a desktop panel take from a desktop.
constexpr int DesktopFrame = 60;

// The desktops a form must be whole on.
const QList<QSize>& desktops()
{
    static const QList<QSize> all = {QSize(1024, 600), QSize(1024, 768), QSize(1280, 800)};
    return all;
}

// Whether a layout of the widget's parent places it: a widget placed by hand, or a part of
// a composite widget such as a spin box's editor, has the size its owner gives it.
bool laidOut(const QWidget* widget)
{
    const std::function<bool(const QLayout*)> holds = [&](const QLayout* layout) {
        for (int item = 0; layout && item < layout->count(); ++item) {
            QLayoutItem* entry = layout->itemAt(item);
            if (entry->widget() == widget || holds(entry->layout()))
                return true;
        }
        return false;
    };
    return widget->parentWidget() && holds(widget->parentWidget()->layout());
}

// Whether the content of a scroll area lies whole in its view.
bool wholeInView(const QScrollArea* area)
{
    return area->widget() && area->viewport()->rect().contains(area->widget()->geometry());
}

// Whether the widget lies in what a list or a scroll area scrolls; a scroll area whose content
// is whole in view scrolls nothing.
bool scrolled(const QWidget* widget)
{
    for (const QWidget* up = widget->parentWidget(); up; up = up->parentWidget()) {
        const auto* area = qobject_cast<const QScrollArea*>(up);
        if (qobject_cast<const QAbstractScrollArea*>(up) && !(area && wholeInView(area)))
            return true;
    }
    return false;
}

// A day with every measurement and a journal note.
DBTypes::CheckinItem fullCheckin(qint64 user)
{
    DBTypes::CheckinItem day;
    day.userId = user;
    DateToCode4(Clock::today(), day.date);
    day.weight = 82.4f;
    day.chest = 101.5f;
    day.waist = 91.0f;
    day.hip = 104.5f;
    day.thigh = 58.0f;
    day.steps = 11250.0f;
    day.hasWeight = day.hasChest = day.hasWaist = day.hasHip = day.hasThigh = day.hasSteps = true;
    day.note = QStringLiteral("Walked to work and back, then swam for an hour.\nSlept well.");
    return day;
}

QString describe(const QWidget* widget)
{
    QString name = fieldName(widget);
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        name += QStringLiteral(" \"%1\"").arg(label->text().left(40));
    else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        name += QStringLiteral(" \"%1\"").arg(button->text());
    return name;
}

// What of the shown form a user cannot read whole: a laid-out widget smaller than its least
// size, a label's wrapped text taller than its room, a list title wider than its column.
QStringList cutParts(const QWidget* form)
{
    QStringList cut;
    for (const QWidget* widget : form->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->isWindow() || !laidOut(widget) || scrolled(widget))
            continue;
        const QSize least = PageStack::leastSize(widget);
        if (widget->width() < least.width() || widget->height() < least.height())
            cut << QStringLiteral("%1 is %2x%3, needs %4x%5")
                       .arg(describe(widget)).arg(widget->width()).arg(widget->height())
                       .arg(least.width()).arg(least.height());
        else if (qobject_cast<const QLabel*>(widget) && widget->hasHeightForWidth()
                 && widget->sizePolicy().verticalPolicy() != QSizePolicy::Ignored
                 && widget->height() < widget->heightForWidth(widget->width()))
            cut << QStringLiteral("%1 is %2 high, its text %3")
                       .arg(describe(widget)).arg(widget->height())
                       .arg(widget->heightForWidth(widget->width()));
    }
    for (const QHeaderView* header : form->findChildren<QHeaderView*>()) {
        if (!header->isVisible() || header->orientation() != Qt::Horizontal || !header->model())
            continue;
        for (int section = 0; section < header->count(); ++section) {
            const QString title = header->model()->headerData(section, Qt::Horizontal).toString();
            if (header->isSectionHidden(section) || title.isEmpty())
                continue;
            if (header->sectionSize(section) < HeaderSection::width(header, title, false))
                cut << QStringLiteral("list title \"%1\" has %2 pixels")
                           .arg(title).arg(header->sectionSize(section));
        }
    }
    return cut;
}

// Shows the form as a desktop of that size lets it open: no larger than the desktop, as
// large as it asks to be otherwise. Empty when whole, else what is cut.
QStringList cutOnDesktop(QWidget* form, const QSize& desktop)
{
    const QSize room = desktop - QSize(0, DesktopFrame);
    form->show();
    QApplication::processEvents();
    const QSize least = form->minimumSizeHint().expandedTo(form->minimumSize());
    if (least.width() > room.width() || least.height() > room.height())
        return {QStringLiteral("needs %1x%2").arg(least.width()).arg(least.height())};
    form->resize(form->size().boundedTo(room));
    QApplication::processEvents();
    return cutParts(form);
}

bool insideAnotherEditor(const QLineEdit* edit)
{
    const QWidget* parent = edit->parentWidget();
    return qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QComboBox*>(parent);
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
        QVERIFY2(BrandEngine::instance()->import(brand.constData()), brand.constData());
        MainWindowTest::loadBrand(MainWindowTest::BrandSwitches());
        ScreenFit::install();
    }

    void cleanupTestCase()
    {
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    // Every number field of every form, found by walking the form's widgets, in the C,
    // English and German locales: what is typed stays as typed, and is either read by the
    // rule or refused with a sentence that names the field and its range.
    void everyNumberFieldFollowsTheRule_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("form");
        for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)}) {
            for (int form = 0; form < forms().size(); ++form)
                QTest::addRow("%s %s", qPrintable(locale.name()), forms().at(form).first)
                    << locale << form;
        }
    }

    void everyNumberFieldFollowsTheRule()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, form);
        MainWindowTest::startFreshDatabase();
        UserDB::instance()->setCurrentUser(MainWindowTest::addUser(QStringLiteral("Ann")));
        QLocale::setDefault(locale);
        const char* name = forms().at(form).first;
        const std::unique_ptr<QWidget> widget(forms().at(form).second());
        walkNumberFields(name, widget.get(), locale);
    }

    // The forms a user opens from the main window's menus, found by choosing every menu entry
    // on every page in turn (but leaving, deleting the user and asking for help): each form's number
    // fields follow the rule like those of the forms made above.
    void formsOpenedFromTheMenusFollowTheRule_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
    }

    void formsOpenedFromTheMenusFollowTheRule()
    {
        QFETCH(QLocale, locale);
        MainWindowTest::startFreshDatabase();
        UserDB::instance()->setCurrentUser(MainWindowTest::addUser(QStringLiteral("Ann")));
        QLocale::setDefault(locale);
        MainWindowTest::ScriptedMainWindow window;
        window.realForms = true;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList opened;
        QStringList cut;
        QTimer watcher;
        watcher.setInterval(0);
        connect(&watcher, &QTimer::timeout, &window, [&] {
            QWidget* form = QApplication::activeModalWidget();
            if (!form)
                return;
            QString name = QLatin1String(form->metaObject()->className());
            if (qobject_cast<BXInputDialog*>(form))
                name += QLatin1Char(' ') + form->windowTitle();
            if (!s_toolkitDialogs.contains(name) && !opened.contains(name)) {
                opened << name;
                if (!s_namePrompts.contains(form->windowTitle()))
                    walkNumberFields(qPrintable(name), form, locale);
                // Each opens on its screen, and whole on the smallest desktop.
                if (!form->screen()->availableGeometry().contains(form->frameGeometry()))
                    cut << name + QStringLiteral(": off the screen");
                for (const QString& part : cutOnDesktop(form, desktops().first()))
                    cut << name + QStringLiteral(": ") + part;
            }
            if (auto* dialog = qobject_cast<QDialog*>(form))
                dialog->reject();
            else
                form->close();
        });
        watcher.start();
        QList<const QMenu*> leftOut = {window.deleteUserSubmenu()};
        for (QAction* top : window.menuBar()->actions()) {
            if (top->menu() && top->menu()->actions().contains(window.aboutAction))
                leftOut << top->menu();
        }
        for (QAction* page : {window.viewDiaryAction, window.viewCheckinAction,
                              window.viewReportsAction}) {
            page->trigger();
            for (const QPointer<QAction> top : window.menuBar()->actions()) {
                if (!top || !top->menu())
                    continue;
                // A menu may be rebuilt by an entry chosen before, and its entries go.
                for (const QPointer<QAction>& entry : menuEntries(top->menu(), leftOut)) {
                    if (entry && entry->isEnabled() && entry != window.exitAction)
                        entry->trigger();
                }
            }
        }
        watcher.stop();
        qInfo("forms opened: %s", qPrintable(opened.join(QStringLiteral(", "))));
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        for (const char* form : {"CheckinDialog", "SetTargetsDialog", "PreferencesDialog",
                                 "ProfileWizard"})
            QVERIFY2(opened.contains(QLatin1String(form)), form);
    }

    // Every form opens whole on a small desktop, in English and in German: nothing smaller than
    // it needs, no text cut.
    void everyFormIsWholeOnSmallDesktops_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QSize>("desktop");
        QTest::addColumn<int>("form");
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)}) {
            for (const QSize& desktop : desktops()) {
                for (int form = 0; form < forms().size(); ++form)
                    QTest::addRow("%s %dx%d %s", qPrintable(locale.name()), desktop.width(),
                                  desktop.height(), forms().at(form).first)
                        << locale << desktop << form;
            }
        }
    }

    void everyFormIsWholeOnSmallDesktops()
    {
        QFETCH(QLocale, locale);
        QFETCH(QSize, desktop);
        QFETCH(int, form);
        MainWindowTest::startFreshDatabase();
        UserDB::instance()->setCurrentUser(MainWindowTest::addUser(QStringLiteral("Ann")));
        QLocale::setDefault(locale);
        const std::unique_ptr<QWidget> widget(forms().at(form).second());
        const QStringList cut = cutOnDesktop(widget.get(), desktop);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    }

    // After a day with every measurement and a journal note is shown, with every tab of the
    // browser up (a recipe collection installed), each page of the main window is whole on the
    // smallest desktop, in calories and in kilojoules, without scrolling; on an 800x600 screen
    // the window fits, its page scrolling there.
    void pagesAreWholeOnTheSmallestDesktop_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("energyUnits");
        QTest::addColumn<int>("page");
        const char* const pages[] = {"diary", "check-ins", "reports"};
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)}) {
            for (int energyUnits : {1, 0}) {
                for (int page = 0; page < 3; ++page)
                    QTest::addRow("%s %s %s", qPrintable(locale.name()),
                                  energyUnits == 1 ? "kcal" : "kJ", pages[page])
                        << locale << energyUnits << page;
            }
        }
    }

    void pagesAreWholeOnTheSmallestDesktop()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, energyUnits);
        QFETCH(int, page);
        MainWindowTest::startFreshDatabase();
        const qint64 ann = MainWindowTest::addUser(QStringLiteral("Ann"));
        DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(ann).value();
        prefs.energyUnits = energyUnits;
        QVERIFY(UserDB::instance()->setUserPrefs(ann, prefs));
        QVERIFY(UserDB::instance()->addCheckin(fullCheckin(ann), false));
        QLocale::setDefault(locale);
        RecipeCollectionInstaller recipes(QDir::cleanPath(RecipeAccessWrapper::recipeFolder()));
        QVERIFY(recipes.clear());
        QVERIFY(!recipes.install(QStringLiteral("sample"), QStringLiteral("recipeaccess")).isEmpty());
        const auto uninstall = qScopeGuard([&recipes] {
            RecipeProxyDB::cleanUp();
            recipes.clear();
        });
        MainWindowTest::ScriptedMainWindow window;
        QCOMPARE(window.diaryPage()->foodQueryWidget3->categoryBar->count(), 6);
        QVERIFY(window.switchUser(&window, ann));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.viewCheckinAction->trigger();
        QAction* const views[] = {window.viewDiaryAction, window.viewCheckinAction,
                                        window.viewReportsAction};
        views[page]->trigger();
        QApplication::processEvents();
        const QSize smallest = desktops().first() - QSize(0, DesktopFrame);
        window.resize(smallest);
        QApplication::processEvents();
        QCOMPARE(window.size(), smallest);
        const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
        QVERIFY2(least.width() <= 800 && least.height() <= smallest.height(),
                 qPrintable(QStringLiteral("needs %1x%2").arg(least.width()).arg(least.height())));
        const auto* pages = qobject_cast<const QScrollArea*>(window.pageStack()->parentWidget()->parentWidget());
        QVERIFY(pages && wholeInView(pages));
        const QStringList cut = cutParts(&window);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    }

    // A form filled with stored values shows them in the locale's form: every field holds
    // what it accepts, so that OK on the untouched form goes through, and the form stores the
    // values it was given. Typing the figures shown again, key by key, stores the same.
    void formsStoreWhatTheyShow_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("form");
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany)}) {
            for (int form = 0; form < storedForms().size(); ++form)
                QTest::addRow("%s %s", qPrintable(locale.name()), storedForms().at(form).name)
                    << locale << form;
        }
    }

    void formsStoreWhatTheyShow()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, form);
        QLocale::setDefault(locale);
        UnitCollection::instance()->set(UnitCollection::Measurement,
                                        new UnitMeasurement(UnitMeasurement::Centimetres));
        const StoredForm& stored = storedForms().at(form);
        const std::unique_ptr<QWidget> widget(stored.make());
        stored.load(widget.get());
        QVERIFY(saveWidgetPicture(widget.get(), QStringLiteral("stored-%1-%2")
                                                    .arg(QLatin1String(stored.name), locale.name())));
        const QChar foreign = NumberParser::foreignSeparator(locale);
        const QList<QLineEdit*> fields = NumberFieldCheck::fields(widget.get());
        for (QLineEdit* edit : fields) {
            const QString context = where(stored.name, edit, edit->text());
            QVERIFY2(!edit->text().contains(foreign), qPrintable(context));
            QVERIFY2(NumberFieldCheck::validatorOf(edit)->refusal(edit->text()).isEmpty(),
                     qPrintable(context));
        }
        QCOMPARE(stored.stored(widget.get()), stored.expected);
        for (QLineEdit* edit : fields) {
            const QString shown = edit->text();
            edit->clear();
            QTest::keyClicks(edit, shown);
        }
        QCOMPARE(stored.stored(widget.get()), stored.expected);
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        UnitCollection::instance()->set(UnitCollection::Measurement,
                                        new UnitMeasurement(UnitMeasurement::Inches));
    }

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

private:
    // Every line edit and spin box under form that takes a number follows the rule.
    static void walkNumberFields(const char* name, QWidget* form, const QLocale& locale)
    {
        int numberFields = 0;
        for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
            if (insideAnotherEditor(edit) || s_textFields.contains(edit->objectName())
                || s_textClasses.contains(QLatin1String(edit->metaObject()->className())))
                continue;
            const NumberValidator* validator = NumberFieldCheck::validatorOf(edit);
            QVERIFY2(validator, qPrintable(where(name, edit, QString())
                                           + QStringLiteral(" is read by no number rule")));
            ++numberFields;
            checkLineEdit(name, edit, *validator, locale);
        }
        for (QAbstractSpinBox* spin : form->findChildren<QAbstractSpinBox*>()) {
            QVERIFY2(qobject_cast<NumberSpinBox*>(spin),
                     qPrintable(where(name, spin, QString()) + QStringLiteral(" is no NumberSpinBox")));
            ++numberFields;
            checkSpinBox(name, spin);
        }
        qInfo("%s: %d number fields", name, numberFields);
    }

    static QStringList typedInputs()
    {
        return {QStringLiteral("72,5"), QStringLiteral("1,5"), QStringLiteral("8,360"),
                QStringLiteral("72.5"), QStringLiteral("1.000"), QStringLiteral("abc-5"), QStringLiteral("-5"), QStringLiteral("1e3"),
                QStringLiteral("   "), QString()};
    }

    static void checkLineEdit(const char* form, QLineEdit* edit, const NumberValidator& validator,
                              const QLocale& locale)
    {
        const QString before = edit->text();
        // What the program itself wrote into the field is one the rule reads.
        QVERIFY2(before.isEmpty() || NumberParser::parseAmount(before, locale),
                 qPrintable(where(form, edit, QString()) + " holds " + before));
        enableForTyping(edit);
        QLocale shown = locale;
        shown.setNumberOptions(QLocale::OmitGroupSeparator);
        const QString top = shown.toString(validator.top(), 'g', 12);
        QStringList inputs = typedInputs();
        // A value outside the range, and the range's bottom, which is read.
        inputs << shown.toString(validator.top() * 10.0 + 1.0, 'f', 0)
               << shown.toString(validator.bottom(), 'g', 12);
        for (const QString& typed : inputs) {
            edit->clear();
            QTest::keyClicks(edit, typed);
            const QString context = where(form, edit, typed);
            QVERIFY2(edit->text() == typed, qPrintable(context + " shows " + edit->text()));
            const bool decimalComma = NumberParser::takesDecimalComma(locale);
            std::optional<double> expected = ruleReading(typed, decimalComma);
            if (typed == inputs.last())
                expected = validator.bottom();
            const bool fits = expected && *expected >= validator.bottom()
                              && *expected <= validator.top()
                              && decimalsIn(typed, decimalComma) <= validator.decimals();
            const std::optional<double> read = validator.read(edit->text());
            const QString refusal = validator.refusal(edit->text());
            if (fits) {
                QVERIFY2(read && qFuzzyCompare(*read, *expected), qPrintable(context));
                QVERIFY2(refusal.isEmpty(), qPrintable(context + ": " + refusal));
                continue;
            }
            QVERIFY2(!read, qPrintable(context + " read as " + QString::number(*read)));
            if (typed.trimmed().isEmpty() && refusal.isEmpty())
                continue; // a blank that means "no value"
            QVERIFY2(!validator.fieldName().isEmpty() && refusal.startsWith(validator.fieldName())
                         && refusal.contains(QStringLiteral(" to ") + top),
                     qPrintable(context + ": " + refusal));
            // A thousands separator is named as such, whether the field takes decimals or not.
            if (NumberParser::isGrouped(typed, locale))
                QVERIFY2(refusal.endsWith(QStringLiteral("without a thousands separator.")),
                         qPrintable(context + ": " + refusal));
        }
        edit->setText(before);
    }

    // A field that waits for a choice elsewhere in its form takes keys for the walk.
    static void enableForTyping(QWidget* field)
    {
        for (QWidget* widget = field; widget; widget = widget->parentWidget())
            widget->setEnabled(true);
    }

    static void checkSpinBox(const char* form, QAbstractSpinBox* spin)
    {
        enableForTyping(spin);
        for (const QString& typed : typedInputs()) {
            spin->clear();
            QTest::keyClicks(spin, typed);
            const QString context = where(form, spin, typed);
            QVERIFY2(spin->text() == typed, qPrintable(context + " shows " + spin->text()));
            QVERIFY2(!spin->hasAcceptableInput(), qPrintable(context));
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
