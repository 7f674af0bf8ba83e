#include "profile/targetdialog.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/dateconversion.h"
#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"
#include "widgets/bxhelp.h"
#include "widgets/bxlabel.h"
#include "widgets/bxtickbox.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

struct RowInfo
{
    const char* name;
    int gridRow;
    int gridColumn;
};

// Indexed by NutType: energy, carbs, fat, protein, fibre.
constexpr RowInfo s_rowInfo[TargetDialog::RowCount] = {
    {"energy", 0, 0}, {"carbs", 0, 5}, {"fat", 1, 0}, {"protein", 2, 0}, {"fiber", 1, 5},
};

QString childName(int nut, const char* part)
{
    return QString::fromLatin1(s_rowInfo[nut].name) + QLatin1String(part);
}

const UnitDescriptor* unitOf(int nut)
{
    return UnitCollection::instance()->get(DBTypes::NutType(nut));
}

} // namespace

TargetDialog* TargetDialog::construct(QWidget* parent)
{
    return new TargetDialog(parent);
}

TargetDialog::TargetDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("TargetDialog"));
    auto* top = new QVBoxLayout(this);
    groupBox4 = new QGroupBox(this);
    groupBox4->setObjectName(QStringLiteral("groupBox4"));
    _buildRows();
    top->addWidget(groupBox4);

    helpButton = new QPushButton(this);
    helpButton->setObjectName(QStringLiteral("helpButton"));
    saveButton = new QPushButton(this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setDefault(true);
    closeButton = new QPushButton(this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    buttons->addWidget(saveButton);
    top->addLayout(buttons);

    languageChange();

    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(saveButton, &QPushButton::clicked, this, [this]() {
        if (!NumberFieldCheck::confirm(this, windowTitle()))
            return;
        // What was typed stays on show until the store has kept it.
        if (saveTargets())
            accept();
    });
    connect(helpButton, &QPushButton::clicked, this, &TargetDialog::showHelp);
    for (const Row& row : _rows) {
        connect(row.tick, &BXLabel::clicked, row.edit, &QLineEdit::clear);
        NumberFieldCheck::tickWhenAcceptable(row.edit, row.tick);
    }
    _setTabOrder();
    init();
}

void TargetDialog::_buildRows()
{
    auto* grid = new QGridLayout(groupBox4);
    grid->setColumnMinimumWidth(4, 20);
    for (int nut = 0; nut < RowCount; ++nut) {
        Row& row = _rows[nut];
        row.tick = new BXTickBox(groupBox4, QString());
        row.label = new BXLabel(groupBox4, QString());
        row.edit = new QLineEdit(groupBox4);
        row.units = new QLabel(groupBox4);
        row.tick->setObjectName(childName(nut, "Tick"));
        row.label->setObjectName(childName(nut, "Label"));
        row.edit->setObjectName(childName(nut, "Edit"));
        row.units->setObjectName(childName(nut, "Units"));
        const RowInfo& info = s_rowInfo[nut];
        grid->addWidget(row.tick, info.gridRow, info.gridColumn);
        grid->addWidget(row.label, info.gridRow, info.gridColumn + 1);
        grid->addWidget(row.edit, info.gridRow, info.gridColumn + 2);
        grid->addWidget(row.units, info.gridRow, info.gridColumn + 3);
    }
}

void TargetDialog::_setTabOrder()
{
    QWidget* const order[] = {_rows[DBTypes::ENERGY].edit, _rows[DBTypes::FAT].edit,
                              _rows[DBTypes::PROTEIN].edit, _rows[DBTypes::CARBS].edit,
                              _rows[DBTypes::FIBER].edit,  helpButton,
                              saveButton,                  closeButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TargetDialog::languageChange()
{
    setWindowTitle(tr("Nutritional Targets"));
    groupBox4->setTitle(tr("Nutritional Targets"));
    const QString labels[RowCount] = {tr("Energy:"), tr("Carbs:"), tr("Fat:"), tr("Protein:"),
                                      tr("Fiber:")};
    for (int nut = 0; nut < RowCount; ++nut) {
        _rows[nut].tick->setText(QString());
        _rows[nut].label->setText(labels[nut]);
        _rows[nut].units->setText(tr("units"));
    }
    helpButton->setText(tr("&Help"));
    saveButton->setText(tr("&OK"));
    closeButton->setText(tr("&Cancel"));
}

void TargetDialog::init()
{
    _rows[DBTypes::FIBER].label->setText(
        BrandEngine::instance()->getString("spelling_fiber") + QLatin1Char(':'));
    for (int nut = 0; nut < RowCount; ++nut) {
        const Row& row = _rows[nut];
        row.units->setText(unitOf(nut)->printUnits());
        NumberValidator* validator = unitOf(nut)->createFieldValidator(
            row.label->text().remove(QLatin1Char(':')),
            PlausibleRange::target(DBTypes::NutType(nut)), row.edit);
        // Typed targets are stored rounded to one decimal.
        validator->setDecimals(NumberValidator::AnyDecimals);
        validator->setBlankAllowed(true);
        row.edit->setValidator(validator);
        row.label->setBuddy(row.edit);
    }
    _hadTargets = false;
}

void TargetDialog::setDate(const QDate& date)
{
    DBTypes::CheckinItem item;
    UserDB::clearCheckinItem(item);
    const qint64 user = ShownDay::instance()->user();
    char code[9];
    DateToCode4(date, code);
    // A check-in that could not be read leaves the dialog on the date it showed.
    if (user >= 0 && !StorePrompt::read(this, [&] {
            item = UserDB::instance()->getCheckin(user, code).value_or(item);
        }))
        return;
    _hadTargets = setTargets(item);
    _date = date;
}

QDate TargetDialog::getDate() const
{
    return _date;
}

bool TargetDialog::setTargets(const DBTypes::CheckinItem& item)
{
    _loaded = item;
    bool any = false;
    for (int nut = 0; nut < RowCount; ++nut) {
        const auto which = DBTypes::NutType(nut);
        QLineEdit* edit = _rows[nut].edit;
        // Every nutrient may carry an entry; only one of 0 or more is a target.
        if (item.noTarget(which)) {
            NumberFieldCheck::showStored(edit, QString());
            continue;
        }
        NumberFieldCheck::showStored(edit, unitOf(nut)->printField(item.target(which)));
        _rows[nut].tick->setTick();
        any = true;
    }
    return any;
}

bool TargetDialog::getTargets(DBTypes::CheckinItem& item)
{
    UserDB::clearCheckinItem(item);
    bool any = false;
    for (int nut = 0; nut < RowCount; ++nut) {
        const QLineEdit* edit = _rows[nut].edit;
        const QString text = toOneDec(edit->text());
        const bool filled = !text.isEmpty();
        const auto which = DBTypes::NutType(nut);
        const bool kept = NumberFieldCheck::isUntouched(edit) && _loaded.hasTarget(which);
        const float target = kept     ? _loaded.target(which)
                             : filled ? float(unitOf(nut)->input(text))
                                      : BlankTarget;
        item.setTarget(which, target);
        any = any || filled;
    }
    return any;
}

bool TargetDialog::saveTargets()
{
    const qint64 user = ShownDay::instance()->user();
    // Without a loaded date there is nowhere to store the targets.
    if (!_date.isValid() || user < 0)
        return true;
    // Nothing edited: the targets stay as stored, on no new date.
    if (std::all_of(std::begin(_rows), std::end(_rows),
                    [](const Row& row) { return NumberFieldCheck::isUntouched(row.edit); }))
        return true;
    DBTypes::CheckinItem record;
    if (!getTargets(record) && _hadTargets
        && Prompter::instance()->message(
               this, QMessageBox::Question, tr("No nutrients data"),
               tr("Are you sure you want to delete all nutritional targets from this date?\n\n"
                  "Your nutrient info prior to this date will still be preserved."),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return true;
    DateToCode4(_date, record.date);
    record.userId = user;
    // Targets typed by hand are the user's own, not a diet plan's.
    record.setDietPlan(QStringLiteral(""));
    return StorePrompt::change(this, windowTitle(),
                               [&record] { return UserDB::instance()->addCheckin(record, false); },
                               tr("The targets could not be stored, and the diary is unchanged."));
}

QPixmap TargetDialog::setTick(const QString& text)
{
    if (text.trimmed().isEmpty())
        return _noTick;
    return BrandEngine::instance()->getPixmap("graphics.icon.tick");
}

QString TargetDialog::toOneDec(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString();
    return NumberParser::write(NumberParser::parse(trimmed).value_or(0.0), 1);
}

void TargetDialog::showHelp()
{
    BXHelp::showTopic(QStringLiteral("diary-targets.html"));
}
