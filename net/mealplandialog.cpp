#include "net/mealplandialog.h"

#include "widgets/shownday.h"
#include "browser/addfooddialog.h"
#include "browser/addfoodpopupmenu.h"
#include "core/brandengine.h"
#include "core/displaydate.h"
#include "core/numberparser.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "net/mealplandialogprivate.h"
#include "net/mealplandownloader.h"
#include "userdb/mealplandb.h"
#include "userdb/userdb.h"
#include "widgets/storeprompt.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int COLUMN_COUNT = 6;
const DBTypes::NutType COLUMN_NUTRIENTS[COLUMN_COUNT - 1] = {DBTypes::ENERGY, DBTypes::PROTEIN, DBTypes::FAT,
                                                             DBTypes::CARBS, DBTypes::FIBER};

QLabel* centredLabel(QWidget* parent, const char* name, bool bold)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QVBoxLayout* pageLayout(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    return layout;
}

} // namespace

MealPlanDialog::MealPlanDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    setObjectName(QStringLiteral("MealPlanDialog"));
    _buildForm();
    languageChange();
    setMinimumSize(600, 480);
    resize(600, 480);
    connect(doneButton, &QPushButton::clicked, this, &QDialog::close);
    _connectList();
    init();
}

MealPlanDialog::~MealPlanDialog()
{
    destroy();
}

MealPlanDialog* MealPlanDialog::construct(QWidget* parent)
{
    return new MealPlanDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void MealPlanDialog::_buildForm()
{
    dateLabel = new QLabel(this);
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateLabel->setAlignment(Qt::AlignCenter);
    QFont headingFont = font();
    headingFont.setPointSize(20);
    headingFont.setBold(true);
    dateLabel->setFont(headingFont);

    stack = new QStackedWidget(this);
    stack->setObjectName(QStringLiteral("stack"));
    stack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    mealPlanPage = new QWidget(stack);
    mealPlanPage->setObjectName(QStringLiteral("mealPlanPage"));
    auto* planLayout = new QVBoxLayout(mealPlanPage);
    planLayout->setContentsMargins(0, 0, 0, 0);
    planLayout->setSpacing(0);
    textLabel2 = new QLabel(mealPlanPage);
    textLabel2->setObjectName(QStringLiteral("textLabel2"));
    itemList = new QTreeWidget(mealPlanPage);
    itemList->setObjectName(QStringLiteral("itemList"));
    itemList->setColumnCount(COLUMN_COUNT);
    planLayout->addWidget(textLabel2);
    planLayout->addWidget(itemList);

    downloadPage = new QWidget(stack);
    downloadPage->setObjectName(QStringLiteral("downloadPage"));
    QVBoxLayout* downloadLayout = pageLayout(downloadPage);
    textLabel3 = centredLabel(downloadPage, "textLabel3", false);
    textLabel3->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    downloadProgress = new QProgressBar(downloadPage);
    downloadProgress->setObjectName(QStringLiteral("downloadProgress"));
    auto* barRow = new QHBoxLayout;
    barRow->setObjectName(QStringLiteral("layout2"));
    barRow->addSpacing(91);
    barRow->addWidget(downloadProgress, 1);
    barRow->addSpacing(126);
    downloadLayout->addStretch(61);
    downloadLayout->addWidget(textLabel3);
    downloadLayout->addLayout(barRow);
    downloadLayout->addStretch(106);

    noDataPage = new QWidget(stack);
    noDataPage->setObjectName(QStringLiteral("noDataPage"));
    textLabel1 = centredLabel(noDataPage, "textLabel1", true);
    pageLayout(noDataPage)->addWidget(textLabel1);

    errorPage = new QWidget(stack);
    errorPage->setObjectName(QStringLiteral("errorPage"));
    textLabel2_2 = centredLabel(errorPage, "textLabel2_2", true);
    errorLabel = centredLabel(errorPage, "errorLabel", false);
    auto* errorColumn = new QVBoxLayout;
    errorColumn->setObjectName(QStringLiteral("layout5"));
    errorColumn->addStretch(109);
    errorColumn->addWidget(textLabel2_2);
    errorColumn->addWidget(errorLabel);
    errorColumn->addStretch(109);
    auto* errorRow = new QHBoxLayout;
    errorRow->setObjectName(QStringLiteral("layout6"));
    errorRow->addSpacing(81);
    errorRow->addLayout(errorColumn, 1);
    errorRow->addSpacing(81);
    pageLayout(errorPage)->addLayout(errorRow);

    stack->insertWidget(MEAL_PLAN_PAGE, mealPlanPage);
    stack->insertWidget(DOWNLOAD_PAGE, downloadPage);
    stack->insertWidget(NO_DATA_PAGE, noDataPage);
    stack->insertWidget(ERROR_PAGE, errorPage);

    servingSizeCheck = new QCheckBox(this);
    servingSizeCheck->setObjectName(QStringLiteral("servingSizeCheck"));
    doneButton = new QPushButton(this);
    doneButton->setObjectName(QStringLiteral("doneButton"));
    doneButton->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setObjectName(QStringLiteral("layout1"));
    buttonRow->addWidget(servingSizeCheck);
    buttonRow->addStretch();
    buttonRow->addWidget(doneButton);

    auto* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("MealPlanDialogLayout"));
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->addWidget(dateLabel);
    layout->addWidget(stack);
    layout->addLayout(buttonRow);
}

// Where the mouse was pressed and released on the list, for the add image; Enter on a row.
void MealPlanDialog::_connectList()
{
    itemList->viewport()->installEventFilter(this);
    itemList->installEventFilter(this);
    connect(itemList, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* row, int column) { itemPressed(row, _pressPosition, column); });
    connect(itemList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* row, int column) { itemClicked(row, _releasePosition, column); });
    connect(itemList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* row, int column) { itemDoubleClick(row, _releasePosition, column); });
}

bool MealPlanDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == itemList->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            _pressPosition = static_cast<QMouseEvent*>(event)->position().toPoint();
        else if (event->type() == QEvent::MouseButtonRelease)
            _releasePosition = static_cast<QMouseEvent*>(event)->position().toPoint();
    } else if (watched == itemList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && itemList->currentItem()) {
            itemChosen(itemList->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MealPlanDialog::init()
{
    itemList->headerItem()->setText(5, BrandEngine::instance()->getString("spelling_fiber"));
    d = new MealPlanDialogPrivate;
    d->addImage = BrandEngine::instance()->getPixmap("graphics.icon.addbutton");
    itemList->setIconSize(d->addImage.size());
    itemList->setSortingEnabled(false);
    itemList->setAllColumnsShowFocus(true);
    _addMealRows();
    for (int column = 1; column < COLUMN_COUNT; ++column)
        itemList->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    itemList->header()->setStretchLastSection(false);
    itemList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < COLUMN_COUNT; ++column)
        itemList->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);

    MealPlanDownloader* downloader = MealPlanDownloader::instance();
    connect(downloader, &MealPlanDownloader::downloadProgress, this, &MealPlanDialog::_setProgress);
    connect(downloader, &MealPlanDownloader::downloadDone, this, &MealPlanDialog::mealPlanDownloadComplete);

    d->mealMenu = new AddFoodPopupMenu(this);
    connect(d->mealMenu, &AddFoodPopupMenu::mealChosen, this, &MealPlanDialog::contextMealChosen);
    itemList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(itemList, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        QTreeWidgetItem* row = itemList->itemAt(position);
        showContextMenu(row, itemList->viewport()->mapToGlobal(position), itemList->columnAt(position.x()));
    });

    setWindowTitle(tr("Meal Plan"));
    textLabel2_2->setText(tr("An error prevented the download of meal plan information from ")
                          + BrandEngine::instance()->getString("web_address"));
}

void MealPlanDialog::_addMealRows()
{
    const std::pair<int, const char*> meals[] = {
        {1, QT_TR_NOOP(" Breakfast")}, {3, QT_TR_NOOP(" Lunch")}, {5, QT_TR_NOOP(" Dinner")}, {6, QT_TR_NOOP(" Snacks")}};
    for (const auto& [group, text] : meals) {
        auto* row = new QTreeWidgetItem(itemList, QStringList{tr(text)});
        row->setFlags(Qt::ItemIsEnabled);
        row->setExpanded(true);
        d->groupRows.insert(group, row);
    }
}

void MealPlanDialog::destroy()
{
    delete d;
    d = nullptr;
}

void MealPlanDialog::languageChange()
{
    dateLabel->setText(tr("MEAL PLAN"));
    textLabel2->setText(tr("To add an item to your diary, please double click on an item, or click the Add button."));
    itemList->setHeaderLabels({tr("Item"), tr("Calories"), tr("Protein"), tr("Fat"), tr("Carbs"), tr("Fiber")});
    textLabel3->setText(tr("Downloading meal plans, please wait"));
    textLabel1->setText(tr("No meal plan is available for this date."));
    errorLabel->setText(tr("(Error Unknown)"));
    servingSizeCheck->setText(tr("Prompt for serving size"));
    doneButton->setText(tr("Done"));
}

void MealPlanDialog::setDay(const QDate& date)
{
    const QString shown = d->dateCode;
    d->dateCode = QString::asprintf("%04d%02d%02d", date.year(), date.month(), date.day());
    const PlanRead read = showPlanFromDb();
    if (read == PlanUnread)
        d->dateCode = shown;
    if (read != NoPlanStored)
        return;
    MealPlanDownloader* downloader = MealPlanDownloader::instance();
    if (downloader->stillGoing() || downloader->getMore(this)) {
        downloadProgress->setRange(0, 0);
        stack->setCurrentIndex(DOWNLOAD_PAGE);
    }
    else
        stack->setCurrentIndex(NO_DATA_PAGE);
}

MealPlanDialog::PlanRead MealPlanDialog::showPlanFromDb()
{
    std::optional<DBTypes::DiaryDay> read;
    if (!StorePrompt::read(this, [&] {
            read = MealPlanDB::instance()->getDay(ShownDay::instance()->user(),
                                                  d->dateCode.toLatin1().constData(), false);
        })
        || !read)
        return PlanUnread;
    if (read->foods.empty())
        return NoPlanStored;
    auto day = std::make_unique<DBTypes::DiaryDay>(std::move(*read));

    d->planDay = std::move(day);
    for (QTreeWidgetItem* group : std::as_const(d->groupRows))
        qDeleteAll(group->takeChildren());
    d->rows.clear();
    d->pressedRow = nullptr;
    d->contextRow = nullptr;
    for (const DBTypes::FoodDiaryItem& entry : d->planDay->foods)
        _addFoodRow(entry);

    const QDate date = QDate::fromString(d->dateCode, QStringLiteral("yyyyMMdd"));
    dateLabel->setText(tr("MEAL PLAN - %1").arg(DisplayDate::textDate(date)));
    stack->setCurrentIndex(MEAL_PLAN_PAGE);
    return PlanShown;
}

// Groups other than breakfast, lunch and dinner show under snacks; the newest row goes first.
void MealPlanDialog::_addFoodRow(const DBTypes::FoodDiaryItem& entry)
{
    QTreeWidgetItem* group = d->groupRows.value(entry.meal, d->groupRows.value(6));
    auto* row = new QTreeWidgetItem;
    group->insertChild(0, row);
    d->rows.insert(row, &entry);
    row->setIcon(0, QIcon(d->addImage));
    row->setText(0, tr("%1 %2 of %3")
                        .arg(NumberParser::write(entry.size, 1),
                             DBTypes::ServingItem::shown(entry.getServingDesc()), entry.getDesc()));
    for (int column = 1; column < COLUMN_COUNT; ++column) {
        const DBTypes::NutType nut = COLUMN_NUTRIENTS[column - 1];
        row->setText(column, UnitCollection::instance()->get(nut)->printNumber(entry.getNutrient(nut)));
        row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void MealPlanDialog::mealPlanDownloadComplete(bool error, const QString& message)
{
    if (error) {
        errorLabel->setText(message);
        stack->setCurrentIndex(ERROR_PAGE);
        return;
    }
    const PlanRead read = showPlanFromDb();
    if (read == NoPlanStored) {
        stack->setCurrentIndex(NO_DATA_PAGE);
    } else if (read == PlanUnread) {
        errorLabel->setText(tr("The meal plan was downloaded, but your diary could not be read to show it."));
        stack->setCurrentIndex(ERROR_PAGE);
    }
}

void MealPlanDialog::itemPressed(QTreeWidgetItem* row, const QPoint& position, int /*column*/)
{
    if (d->buttonedItem(itemList, row, position))
        d->pressedRow = row;
}

void MealPlanDialog::itemClicked(QTreeWidgetItem* row, const QPoint& position, int /*column*/)
{
    if (row && row == d->pressedRow && d->buttonedItem(itemList, row, position))
        itemChosen(row);
    if (d->pressedRow) {
        d->pressedRow->setIcon(0, QIcon(d->addImage));
        d->pressedRow = nullptr;
    }
}

void MealPlanDialog::itemDoubleClick(QTreeWidgetItem* row, const QPoint& /*position*/, int /*column*/)
{
    if (row)
        itemChosen(row);
}

void MealPlanDialog::showContextMenu(QTreeWidgetItem* row, const QPoint& position, int /*column*/)
{
    if (!row || !row->parent() || !d->rows.contains(row))
        return;
    d->contextRow = row;
    d->mealMenu->doMenuItems(position, 0);
}

void MealPlanDialog::contextMealChosen(int meal)
{
    if (d->contextRow)
        itemChosen(d->contextRow, meal);
    d->contextRow = nullptr;
}

void MealPlanDialog::itemChosen(QTreeWidgetItem* row, int meal)
{
    if (row && row->parent() && d->rows.contains(row))
        itemChosen(*d->rows.value(row), meal);
}

void MealPlanDialog::itemChosen(QTreeWidgetItem* row)
{
    itemChosen(row, -1);
}

void MealPlanDialog::itemChosen(const DBTypes::FoodDiaryItem& entry, int meal)
{
    DBTypes::FoodDiaryItem copy = entry;
    copy.entryId = -9999;
    if (meal >= 0)
        copy.meal = meal;
    if (!servingSizeCheck->isChecked()) {
        emit addFoodSignal(copy);
        return;
    }
    AddFoodDialog dialog(this, nullptr, true);
    dialog.setAddButtonLabel(tr("Add"));
    dialog.setTitle(tr("Enter serving size"));
    dialog.setFoodItem(copy);
    if (runAddFoodDialog(dialog))
        emit addFoodSignal(dialog.getFoodDiaryItem());
}

bool MealPlanDialog::runAddFoodDialog(AddFoodDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

void MealPlanDialog::mouseReleaseEvent(QMouseEvent* /*event*/)
{
}

void MealPlanDialog::_setProgress(int done, int total)
{
    downloadProgress->setRange(0, std::max(total, 0));
    downloadProgress->setValue(total > 0 ? std::clamp(done, 0, total) : 0);
}
