#include "profile/checkindialog.h"

#include "core/brandengine.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "widgets/bxhelp.h"
#include "widgets/bxlabel.h"
#include "widgets/bxtickbox.h"
#include "widgets/numberfieldcheck.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using M = UserMeasurements;

struct RowInfo
{
    const char* name;
    const char* brandSwitch; // null for the weight, which is always shown
    int gridRow;
    int gridColumn;
    PlausibleRange::Quantity quantity;
};

// Indexed by UserMeasurements::Measurements.
constexpr RowInfo s_rowInfo[M::Count] = {
    {"weight", nullptr, 0, 0, PlausibleRange::Weight},
    {"chest", "chest_measurement_enabled", 1, 0, PlausibleRange::Chest},
    {"waist", "waist_measurement_enabled", 2, 0, PlausibleRange::Waist},
    {"hip", "hip_measurement_enabled", 1, 5, PlausibleRange::Hip},
    {"thigh", "thigh_measurement_enabled", 2, 5, PlausibleRange::Thigh},
    {"steps", "steps_measurement_enabled", 0, 5, PlausibleRange::Steps},
};

// Body lengths take two decimals, though a height is typed in whole units.
constexpr int LENGTH_DECIMALS = 2;

QString childName(int m, const char* part)
{
    return QString::fromLatin1(s_rowInfo[m].name) + QLatin1String(part);
}

} // namespace

CheckinDialog* CheckinDialog::construct(QWidget* parent)
{
    return new CheckinDialog(parent);
}

CheckinDialog::CheckinDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("CheckinDialog"));
    auto* top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);

    titleLabel = new QLabel(this);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    top->addWidget(titleLabel);

    groupBox2 = new QGroupBox(this);
    groupBox2->setObjectName(QStringLiteral("groupBox2"));
    _buildRows();
    top->addWidget(groupBox2);

    noteGroup = new QGroupBox(this);
    noteGroup->setObjectName(QStringLiteral("noteGroup"));
    noteGroup->setCheckable(true);
    noteGroup->setChecked(false);
    noteEdit = new QTextEdit(noteGroup);
    noteEdit->setObjectName(QStringLiteral("noteEdit"));
    noteEdit->setAcceptRichText(false);
    noteEdit->setEnabled(false);
    auto* noteLayout = new QVBoxLayout(noteGroup);
    noteLayout->addWidget(noteEdit);
    top->addWidget(noteGroup);

    helpButton = new QPushButton(this);
    helpButton->setObjectName(QStringLiteral("helpButton"));
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    pushButton3 = new QPushButton(this);
    pushButton3->setObjectName(QStringLiteral("pushButton3"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(pushButton3);
    buttons->addWidget(okButton);
    top->addLayout(buttons);

    languageChange();

    connect(pushButton3, &QPushButton::clicked, this, &QDialog::reject);
    connect(okButton, &QPushButton::clicked, this, &CheckinDialog::accept);
    connect(helpButton, &QPushButton::clicked, this, &CheckinDialog::showHelp);
    connect(noteGroup, &QGroupBox::toggled, noteEdit, &QWidget::setEnabled);
    connect(noteEdit, &QTextEdit::textChanged, this, &CheckinDialog::checkNoteLength);
    for (const Row& row : _rows)
        _connectRow(row);
    _setTabOrder();
    init();
}

void CheckinDialog::_buildRows()
{
    auto* grid = new QGridLayout(groupBox2);
    grid->setColumnMinimumWidth(4, 20);
    for (int m = 0; m < M::Count; ++m) {
        Row& row = _rows[m];
        row.label = new BXLabel(groupBox2, QString());
        row.tick = new BXTickBox(groupBox2, QString());
        row.edit = new QLineEdit(groupBox2);
        row.units = new QLabel(groupBox2);
        row.label->setObjectName(childName(m, "Label"));
        row.tick->setObjectName(childName(m, "Tick"));
        row.edit->setObjectName(childName(m, "Edit"));
        row.units->setObjectName(childName(m, "Units"));
        const RowInfo& info = s_rowInfo[m];
        grid->addWidget(row.label, info.gridRow, info.gridColumn);
        grid->addWidget(row.tick, info.gridRow, info.gridColumn + 1);
        grid->addWidget(row.edit, info.gridRow, info.gridColumn + 2);
        grid->addWidget(row.units, info.gridRow, info.gridColumn + 3);
    }
}

void CheckinDialog::_connectRow(const Row& row)
{
    QLineEdit* edit = row.edit;
    connect(row.tick, &BXLabel::clicked, edit, &QLineEdit::clear);
    NumberFieldCheck::tickWhenAcceptable(edit, row.tick);
    connect(row.label, &BXLabel::clicked, edit, qOverload<>(&QWidget::setFocus));
}

void CheckinDialog::_setTabOrder()
{
    const QWidget* order[] = {_rows[M::Weight].edit, _rows[M::Steps].edit, _rows[M::Chest].edit,
                              _rows[M::Hip].edit,    _rows[M::Waist].edit, _rows[M::Thigh].edit,
                              noteEdit,              helpButton,           okButton,
                              pushButton3};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void CheckinDialog::languageChange()
{
    setWindowTitle(tr("New Check-In"));
    titleLabel->setText(tr("<h1>New check-in for October 21st 2003</h1>"));
    groupBox2->setTitle(tr("Measurements"));
    const QString labels[M::Count] = {tr("Weight:"), tr("Chest:"), tr("Waist:"),
                                      tr("Hip:"),    tr("Thigh:"), tr("Steps:")};
    for (int m = 0; m < M::Count; ++m) {
        _rows[m].label->setText(labels[m]);
        _rows[m].tick->setText(QString());
        _rows[m].units->setText(m == M::Weight ? tr("kg") : m == M::Steps ? QString() : tr("cm"));
    }
    noteGroup->setTitle(tr("&Journal Entry"));
    helpButton->setText(tr("&Help"));
    okButton->setText(tr("&OK"));
    pushButton3->setText(tr("&Cancel"));
}

void CheckinDialog::init()
{
    setupFields();
    for (int m = 0; m < M::Count; ++m) {
        const QString name = _rows[m].label->text().remove(QLatin1Char(':'));
        NumberValidator* validator = _unit(M::Measurements(m))->createFieldValidator(
            name, PlausibleRange::of(s_rowInfo[m].quantity), _rows[m].edit);
        if (m != M::Weight && m != M::Steps)
            validator->setDecimals(LENGTH_DECIMALS);
        validator->setBlankAllowed(true);
        _rows[m].edit->setValidator(validator);
        if (m != M::Steps)
            _rows[m].units->setText(_unit(M::Measurements(m))->printUnits());
    }
    noteGroup->setFocusProxy(noteEdit);
}

void CheckinDialog::setupFields()
{
    for (int m = 0; m < M::Count; ++m) {
        const char* brandSwitch = s_rowInfo[m].brandSwitch;
        if (!brandSwitch || BrandEngine::instance()->getBool(brandSwitch))
            continue;
        const Row& row = _rows[m];
        for (QWidget* widget : {static_cast<QWidget*>(row.edit), static_cast<QWidget*>(row.tick),
                                static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.units)})
            widget->hide();
    }
}

const UnitDescriptor* CheckinDialog::_unit(UserMeasurements::Measurements m) const
{
    const UnitCollection::UnitType type = m == M::Weight  ? UnitCollection::Weight
                                          : m == M::Steps ? UnitCollection::Steps
                                                          : UnitCollection::Measurement;
    return UnitCollection::instance()->get(type);
}

void CheckinDialog::setMeasurements(const UserMeasurements& set)
{
    for (int m = 0; m < M::Count; ++m) {
        const auto which = M::Measurements(m);
        _filled[m] = Filled();
        if (set.exact(which))
            _filled[m] = {_unit(which)->printField(set.value(which)), set.value(which)};
        NumberFieldCheck::showStored(_rows[m].edit, _filled[m].text);
    }
    const bool hasNote = set.noteExact() && !set.note().empty();
    _filledNote = hasNote ? QString::fromStdString(set.note()) : QString();
    noteEdit->setPlainText(_filledNote);
    noteEdit->setPlaceholderText(tr("No Entry"));
    noteGroup->setChecked(hasNote);
    noteEdit->setEnabled(hasNote);
    _rows[M::Weight].edit->setFocus();
}

UserMeasurements CheckinDialog::getMeasurements()
{
    UserMeasurements set;
    for (int m = 0; m < M::Count; ++m) {
        const auto which = M::Measurements(m);
        const QString text = _rows[m].edit->text().trimmed();
        if (text.isEmpty())
            continue;
        const bool untouched = _rows[m].edit->text() == _filled[m].text;
        // A figure the field accepts is kept as typed, 0 steps too.
        set.set(which, untouched ? _filled[m].value : float(_unit(which)->input(text)), true);
    }
    const QString note = _note();
    if (!note.isEmpty()) {
        set.setNote(note.toStdString());
        set.setNoteExact(true);
    }
    return set;
}

QString CheckinDialog::_note() const
{
    return noteGroup->isChecked() ? noteEdit->toPlainText() : QString();
}

bool CheckinDialog::isChanged() const
{
    for (int m = 0; m < M::Count; ++m) {
        if (_rows[m].edit->text() != _filled[m].text)
            return true;
    }
    return _note() != _filledNote;
}

void CheckinDialog::accept()
{
    if (NumberFieldCheck::confirm(this, windowTitle()))
        QDialog::accept();
}

void CheckinDialog::setTitle(const QString& title)
{
    titleLabel->setText(title);
}

void CheckinDialog::showHelp()
{
    BXHelp::showTopic(QStringLiteral("checkin.html#checkin-perform"));
}

void CheckinDialog::checkNoteLength()
{
    const QString text = noteEdit->toPlainText();
    if (text.size() <= MaxNoteLength)
        return;
    int keep = MaxNoteLength;
    if (text.at(keep - 1).isHighSurrogate())
        --keep;
    const int position = noteEdit->textCursor().position();
    noteEdit->setPlainText(text.left(keep));
    QTextCursor cursor = noteEdit->textCursor();
    cursor.setPosition(std::clamp(position - 1, 0, keep));
    noteEdit->setTextCursor(cursor);
}
