#include "net/publishingprompt.h"

#include "widgets/shownday.h"
#include "core/dateconversion.h"
#include "core/displaydate.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "widgets/bxhelp.h"
#include "widgets/storeprompt.h"

#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>

namespace {

const int PictureSize = 48;

QDate dateOfCode(const QString& code)
{
    return code.size() == 8 ? DateFromCode4(code.toLatin1().constData()) : QDate();
}

} // namespace

PublishingPrompt* PublishingPrompt::construct(QWidget* parent)
{
    return new PublishingPrompt(parent);
}

PublishingPrompt::PublishingPrompt(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("PublishingPrompt"));
    setSizeGripEnabled(false);

    textLabel2 = new QLabel(this);
    textLabel2->setObjectName(QStringLiteral("textLabel2"));
    textLabel2->setFixedSize(PictureSize, PictureSize);
    textLabel2->setScaledContents(true);
    textLabel2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(PictureSize));
    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    textLabel1->setWordWrap(true);
    textLabel1->setAlignment(Qt::AlignJustify | Qt::AlignTop);
    buttonGroup2 = new QGroupBox(this);
    buttonGroup2->setObjectName(QStringLiteral("buttonGroup2"));
    radioPublish = new QRadioButton(buttonGroup2);
    radioPublish->setObjectName(QStringLiteral("radioPublish"));
    radioDiscard = new QRadioButton(buttonGroup2);
    radioDiscard->setObjectName(QStringLiteral("radioDiscard"));
    dateList = new QTreeWidget(this);
    dateList->setObjectName(QStringLiteral("dateList"));
    dateList->setColumnCount(1);
    dateList->setRootIsDecorated(false);
    dateList->setSelectionMode(QAbstractItemView::SingleSelection);
    dateList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    buttonHelp = new QPushButton(this);
    buttonHelp->setObjectName(QStringLiteral("buttonHelp"));
    buttonOk = new QPushButton(this);
    buttonOk->setObjectName(QStringLiteral("buttonOk"));
    buttonOk->setEnabled(false);
    buttonOk->setDefault(true);
    buttonOk->setAutoDefault(true);
    buttonCancel = new QPushButton(this);
    buttonCancel->setObjectName(QStringLiteral("buttonCancel"));

    auto* choices = new QVBoxLayout(buttonGroup2);
    choices->setContentsMargins(11, 11, 11, 11);
    choices->setSpacing(6);
    choices->setAlignment(Qt::AlignTop);
    choices->addWidget(radioPublish);
    choices->addWidget(radioDiscard);

    auto* layout33 = new QHBoxLayout;
    layout33->setObjectName(QStringLiteral("layout33"));
    layout33->addWidget(textLabel2, 0, Qt::AlignTop);
    layout33->addWidget(textLabel1, 1);
    auto* layout7 = new QVBoxLayout;
    layout7->setObjectName(QStringLiteral("layout7"));
    layout7->addLayout(layout33);
    layout7->addWidget(buttonGroup2);
    auto* layout8 = new QHBoxLayout;
    layout8->setObjectName(QStringLiteral("layout8"));
    layout8->addLayout(layout7);
    layout8->addWidget(dateList, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("Layout1"));
    buttons->addWidget(buttonHelp);
    buttons->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(buttonOk);
    buttons->addWidget(buttonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("PublishingPromptLayout"));
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(layout8);
    layout->addLayout(buttons);
    setMinimumSize(480, 273);

    languageChange();
    connect(radioPublish, &QRadioButton::toggled, this, &PublishingPrompt::toggleOK);
    connect(radioDiscard, &QRadioButton::toggled, this, &PublishingPrompt::toggleOK);
    connect(buttonHelp, &QPushButton::clicked, this, &PublishingPrompt::showHelp);
    connect(buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    init();
}

void PublishingPrompt::languageChange()
{
    setWindowTitle(tr("Publishing"));
    textLabel1->setText(tr("<font size=\"+2\">You have not published to the web recently. These days will "
                           "be published and your food, exercise and check-in entries on the web for these "
                           "days may be overwritten.</font>"));
    buttonGroup2->setTitle(QString());
    radioPublish->setText(tr("Yes, publish these entries now."));
    radioDiscard->setText(tr("Discard these changes (these entries will not be published \n"
                             "unless you change them again)"));
    dateList->setHeaderLabels({tr("date")});
    buttonHelp->setText(tr("&Help"));
    buttonHelp->setShortcut(QKeySequence(tr("F1")));
    buttonOk->setText(tr("&OK"));
    buttonOk->setShortcut(QKeySequence());
    buttonCancel->setText(tr("&Cancel"));
    buttonCancel->setShortcut(QKeySequence());
}

void PublishingPrompt::init()
{
    dateList->header()->hide();
    // Rows stay in date order: short-format dates do not sort by their text.
    dateList->setSortingEnabled(false);
    const qint64 user = ShownDay::instance()->user();
    std::set<QDate> dates;
    // Read in one reading action: a list read in part is never offered as all there is.
    _datesRead = StorePrompt::read(this, [&] {
        for (const std::string& code :
             DiaryDB::instance()->getChangedDayList().value_or(std::set<std::string>()))
            dates.insert(dateOfCode(QString::fromStdString(code)));
        for (const auto& changed : UserDB::instance()
                                       ->getMeasurements(user, nullptr, nullptr, "website")
                                       .value_or(UserDB::DatedMeasurements()))
            dates.insert(dateOfCode(changed.first));
        for (const QString& code :
             UserDB::instance()->getDeletedCheckinsForWeb(user).value_or(QStringList()))
            dates.insert(dateOfCode(code));
    });
    dates.erase(QDate());
    dateList->clear();
    for (const QDate& date : dates)
        new QTreeWidgetItem(dateList, {DisplayDate::figures(date)});
}

void PublishingPrompt::toggleOK()
{
    buttonOk->setEnabled(true);
}

void PublishingPrompt::showHelp()
{
    BXHelp::showTopic(QStringLiteral("publish.html"));
}
