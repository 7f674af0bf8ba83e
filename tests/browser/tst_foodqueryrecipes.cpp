// The browser panel with a recipe collection installed: the Recipes tab, a search carried to
// it, and the detail area for a recipe that loads and for one that does not.

#include "browser/browseritemflags.h"
#include "browser/draglistview.h"
#include "browser/foodquerywidget.h"
#include "browser/foodviewitem.h"
#include "browser/foodwidget.h"
#include "catalogue/recipeaccesswrapper.h"
#include "catalogue/recipeproxydb.h"
#include "tests/browser/browserfixture.h"
#include "tests/support/widgetpicture.h"
#include "tools/recipeaccess/recipecollectioninstaller.h"
#include "widgets/expandingtabbar.h"
#include "widgets/searchlineedit.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <memory>

class TestFoodQueryRecipes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        static const CatalogueNode foods = BrowserFixture::smallFoods();
        BrowserFixture::startSession(&foods);
        RecipeCollectionInstaller installer(QDir::cleanPath(RecipeAccessWrapper::recipeFolder()));
        QVERIFY(installer.clear());
        QVERIFY(!installer.install(QStringLiteral("sample"), QStringLiteral("recipeaccess")).isEmpty());
        _panel = std::make_unique<FoodQueryWidget>(nullptr, nullptr);
        _panel->resize(420, 700);
        _panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(_panel.get()));
        _panel->refreshDynamic();
    }
    void cleanupTestCase()
    {
        _panel.reset();
        RecipeProxyDB::cleanUp();
        BrowserFixture::endSession();
    }

    void searchCarriesToTheRecipesAndShowsOne()
    {
        QCOMPARE(_panel->categoryBar->count(), 6);
        QCOMPARE(_panel->categoryBar->tabText(5), QStringLiteral("Recipes"));
        _panel->prettySearchEdit->lineEdit()->setText(QStringLiteral("soup"));
        _panel->categoryBar->setCurrentIndex(5);
        QCOMPARE(_panel->recipesView->getSearch(), QStringLiteral("soup"));
        FoodViewItem* soup = nullptr;
        for (QTreeWidgetItemIterator it(_panel->recipesView); *it && !soup; ++it) {
            if ((*it)->text(0) == QLatin1String("Tomato soup"))
                soup = FoodViewItem::from(*it);
        }
        QVERIFY(soup);
        _panel->recipesView->setCurrentItem(soup);
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->foodWidget);
        QVERIFY(_panel->foodWidget->nameLabel->text().contains(QStringLiteral("Tomato soup")));
        QVERIFY(_panel->foodWidget->duplicateButton->isHidden());
        saveWidgetPicture(_panel.get(), QStringLiteral("browser-panel-recipe"));
    }

    // Selected after the soup: the area never goes on offering the soup in its place.
    void aRecipeThatCannotBeFetchedLeavesTheDetailArea()
    {
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->foodWidget);
        auto* ghost = new FoodViewItem(_panel->recipesView, QStringLiteral("Ghost"), 999);
        ghost->type = RecipeItemFlag;
        _panel->recipesView->setCurrentItem(ghost);
        QCOMPARE(_panel->displayStack->currentWidget(), _panel->nothingSelectedLabel);
    }

private:
    std::unique_ptr<FoodQueryWidget> _panel;
};

QTEST_MAIN(TestFoodQueryRecipes)
#include "tst_foodqueryrecipes.moc"
