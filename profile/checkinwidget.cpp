#include "profile/checkinwidget.h"
#include "core/clock.h"

#include "widgets/bxcalendar.h"
#include "core/brandengine.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/userdb.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QByteArray dateCode(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

} // namespace

CheckinWidget::CheckinWidget(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags), calendar(new BXCalendar(this, "calendar")),
      checkinList(new QTreeWidget(this)), btnCheckin(new QPushButton(tr("New Check-In"), this))
{
    setObjectName(QString::fromLatin1(name));
    checkinList->setObjectName(QStringLiteral("checkinList"));
    checkinList->setRootIsDecorated(false);
    checkinList->setHeaderLabels({tr("Date"), tr("Weight")});
    btnCheckin->setObjectName(QStringLiteral("btnCheckin"));
    auto* side = new QVBoxLayout;
    side->addWidget(calendar);
    side->addWidget(btnCheckin);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(checkinList, 1);
    init();
}

void CheckinWidget::init()
{
    connect(calendar, &BXCalendar::dateChanged, this, &CheckinWidget::updateButtons);
    connect(checkinList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
        if (row)
            calendar->setDate(row->data(0, Qt::UserRole).toDate(), true);
    });
    setFocusPolicy(Qt::StrongFocus);
    calendar->showToday(true);
}

QDate CheckinWidget::getDate() const
{
    return calendar->getDate();
}

bool CheckinWidget::hasCheckin(const QDate& date) const
{
    const int user = UserDB::instance()->getCurrentUser();
    return user >= 0 && UserDB::instance()->hasCheckin(user, dateCode(date).constData());
}

void CheckinWidget::raiseWidget()
{
    updateButtons(getDate());
    if (auto* stack = qobject_cast<QStackedWidget*>(parentWidget()))
        stack->setCurrentWidget(this);
}

void CheckinWidget::updateButtons(const QDate& date)
{
    const bool has = hasCheckin(date);
    btnCheckin->setText(has ? tr("Edit Check-In") : tr("New Check-In"));
    emit requestEditMenuRefresh(2, has ? 1 : 0);
}

void CheckinWidget::checkinToday()
{
    calendar->setDate(Clock::today(), true);
}

void CheckinWidget::populate()
{
    checkinList->clear();
    calendar->clearBoldBits();
    const int user = UserDB::instance()->getCurrentUser();
    if (user < 0)
        return;
    const UserDB::DatedMeasurements checkins =
        UserDB::instance()->getMeasurements(user, nullptr, nullptr, nullptr);
    const UnitDescriptor* weightUnit = UnitCollection::instance()->get(UnitCollection::Weight);
    for (const auto& [code, set] : checkins) {
        const QDate date = QDate::fromString(code, QStringLiteral("yyyyMMdd"));
        auto* row = new QTreeWidgetItem(checkinList, {date.toString(Qt::TextDate)});
        row->setData(0, Qt::UserRole, date);
        if (set.exact(UserMeasurements::Weight))
            row->setText(1, weightUnit->printNumberUnit(set.value(UserMeasurements::Weight)));
        calendar->setBoldDay(date);
    }
}

bool CheckinWidget::_removeCheckin(QTreeWidgetItem* row)
{
    const QDate date = row->data(0, Qt::UserRole).toDate();
    const int user = UserDB::instance()->getCurrentUser();
    if (!UserDB::instance()->setDaysMeasurements(user, dateCode(date).constData(),
                                                 UserMeasurements())) {
        QMessageBox::warning(this, BrandEngine::instance()->getString("app_name_short"),
                             tr("Cannot perform operation. You must have at least one weight "
                                "entry."));
        return false;
    }
    calendar->unsetBoldDay(date);
    delete row;
    emit requestEditMenuRefresh(2, 0);
    return true;
}

void CheckinWidget::deleteJournal()
{
    QTreeWidgetItem* row = checkinList->currentItem();
    if (!row || !row->isSelected())
        return;
    if (_removeCheckin(row))
        updateButtons(getDate());
}

void CheckinWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    populate();
    updateButtons(getDate());
}
