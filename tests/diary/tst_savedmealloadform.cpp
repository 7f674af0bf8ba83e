#include "diary/diarylistview.h"
#include "diary/savedmealloadform.h"
#include "catalogue/browsabledbiterator.h"
#include "catalogue/savedmealtree.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/savedmealdb.h"
#include "diary/savedmeallistboxitem.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"
#include "tests/support/storedmealname.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

int storeMeal(qint64 user, const QString& name)
{
    DBTypes::FoodDiaryItem entry;
    entry.desc = QStringLiteral("bread");
    entry.refId = 0;
    return SavedMealDB::instance()->storeMeal(user, -1, name.toStdString(), {entry}, true);
}

QStringList rows(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

int idAt(const QListWidget* list, int row)
{
    return static_cast<const SavedMealListBoxItem*>(list->item(row))->getId();
}

} // namespace

class TestSavedMealLoadForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSessionWithUser(QStringLiteral("Ann")));
        SavedMealTree::instance();
    }

    void init()
    {
        BXSqlDb::perform("DELETE FROM group_diary");
        BXSqlDb::perform("DELETE FROM food_diary WHERE date IS NULL");
        _user = UserDB::instance()->getCurrentUser();
        _shared = storeMeal(-1, QStringLiteral("Shared stew"));
        _pie = storeMeal(_user, QStringLiteral("Apple pie"));
        _bowl = storeMeal(_user, QStringLiteral("Breakfast bowl"));
        _form.reset(SavedMealLoadForm::construct(nullptr));
        _chosen = 99;
        const std::vector<std::unique_ptr<BrowsableDBIterator>> lists = DiaryListView::savedMealLists();
        _form->doList(lists[0].get(), &_chosen);
        for (size_t i = 1; i < lists.size(); ++i)
            _form->appendList(lists[i].get());
    }

    void cleanup() { _form.reset(); }

    void cleanupTestCase()
    {
        SavedMealTree::cleanUp();
        SavedMealDB::cleanUp();
        endSession();
    }

    void listsOwnMealsThenShared()
    {
        QCOMPARE(rows(_form->lbMeals),
                 (QStringList{"Apple pie", "Breakfast bowl", "Shared stew"}));
        QCOMPARE(idAt(_form->lbMeals, 2), _shared);
        QCOMPARE(_form->windowTitle(), QStringLiteral("Meal Loading and Management"));
        QVERIFY(_form->width() >= 471 && _form->height() >= 202);
        _form->show();
        QVERIFY(saveWidgetPicture(_form.get(), QStringLiteral("savedmealloadform")));
    }

    void returnLoadsTheFirstMeal()
    {
        run([this] { QTest::keyClick(_form->lbMeals, Qt::Key_Return); });
        QCOMPARE(_chosen, _pie);
        QVERIFY(!_form->isVisible());
    }

    void loadTakesTheSelectedMeal()
    {
        run([this] {
            _form->lbMeals->setCurrentRow(1);
            QTest::mouseClick(_form->pbLoad, Qt::LeftButton);
        });
        QCOMPARE(_chosen, _bowl);
    }

    void everyOtherWayOutGivesNone_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
        QTest::newRow("Load with nothing selected") << 3;
    }

    void everyOtherWayOutGivesNone()
    {
        QFETCH(int, way);
        run([this, way] {
            switch (way) {
            case 0: QTest::mouseClick(_form->pbCancel, Qt::LeftButton); break;
            case 1: QTest::keyClick(_form->lbMeals, Qt::Key_Escape); break;
            case 2: _form->close(); break;
            default:
                _form->lbMeals->clearSelection();
                QTest::mouseClick(_form->pbLoad, Qt::LeftButton);
            }
        });
        QCOMPARE(_chosen, -1);
        QVERIFY(!_form->isVisible());
    }

    void deletingRemovesTheMealDeleted()
    {
        run([this] {
            _form->lbMeals->setCurrentRow(0);
            _form->lbMeals->item(1)->setSelected(true); // selected, but not current
            QTest::mouseClick(_form->pbDelete, Qt::LeftButton);
            QCOMPARE(rows(_form->lbMeals), (QStringList{"Apple pie", "Shared stew"}));
            QTest::mouseClick(_form->pbDelete, Qt::LeftButton); // nothing selected now
            QVERIFY(_form->isVisible());
            _form->lbMeals->setCurrentRow(0);
            QTest::mouseClick(_form->pbDelete, Qt::LeftButton);
            _form->lbMeals->setCurrentRow(0);
            QTest::mouseClick(_form->pbDelete, Qt::LeftButton); // the last one closes
        });
        QCOMPARE(_chosen, -1);
        QVERIFY(DiaryListView::savedMealLists()[0]->next() == false);
    }

    void renaming()
    {
        ScriptedPrompter prompter;
        prompter.answer(QStringLiteral("  "));
        prompter.answer(QStringLiteral("Crème brûlée"));
        run([this] {
            _form->lbMeals->setCurrentRow(1);
            QTest::mouseClick(_form->pbRename, Qt::LeftButton); // a blank name is refused
            QCOMPARE(_form->lbMeals->item(1)->text(), QStringLiteral("Breakfast bowl"));
            QTest::mouseClick(_form->pbRename, Qt::LeftButton);
            QTest::mouseClick(_form->pbCancel, Qt::LeftButton);
        });
        QCOMPARE(prompter.asked.first().caption, QStringLiteral("Save Meal"));
        QCOMPARE(_chosen, -1);
        QCOMPARE(_form->lbMeals->item(1)->text(), QStringLiteral("Crème brûlée"));
        QCOMPARE(storedMealName(_user, _bowl), QStringLiteral("Crème brûlée"));

        // A name the store refuses does not stay on show.
        QVERIFY(BXSqlQuery("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON group_diary "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END").exec());
        prompter.answer(QStringLiteral("Lost"));
        run([this] {
            _form->lbMeals->setCurrentRow(1);
            QTest::mouseClick(_form->pbRename, Qt::LeftButton);
            QTest::mouseClick(_form->pbCancel, Qt::LeftButton);
        });
        QVERIFY(BXSqlQuery("DROP TRIGGER refuse").exec());
        QCOMPARE(_form->lbMeals->item(1)->text(), QStringLiteral("Crème brûlée"));
        QCOMPARE(storedMealName(_user, _bowl), QStringLiteral("Crème brûlée"));

        // A new dialog lists the name as typed.
        qint64 chosen = -1;
        SavedMealLoadForm again(nullptr, nullptr, false, {});
        again.doList(DiaryListView::savedMealLists()[0].get(), &chosen);
        QCOMPARE(rows(again.lbMeals), (QStringList{"Apple pie", "Crème brûlée"}));
    }

private:
    void run(const std::function<void()>& action)
    {
        QTimer::singleShot(0, this, action);
        _form->exec();
    }

    std::unique_ptr<SavedMealLoadForm> _form;
    qint64 _chosen = -1;
    qint64 _user = -1;
    qint64 _shared = -1;
    qint64 _pie = -1;
    qint64 _bowl = -1;
};

QTEST_MAIN(TestSavedMealLoadForm)
#include "tst_savedmealloadform.moc"
