#include "widgets/bxinputdialog.h"

#include "widgets/bxhelp.h"
#include "widgets/numberspinbox.h"

#include "core/numberparser.h"
#include "core/numbervalidator.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtGlobal>

#include <algorithm>

BXInputDialog::BXInputDialog(const QString& label, QWidget* parent, const char* name, bool modal,
                             Type type, const QString& helpTopic)
    : QDialog(parent)
    , _helpTopic(helpTopic)
{
    if (name)
        setObjectName(QString::fromUtf8(name));
    setModal(modal);
    _buildLayout(label);

    if (_helpTopic.isEmpty())
        _helpButton->hide();
    else
        connect(_helpButton, &QPushButton::clicked, this, &BXInputDialog::showHelp);

    connect(_lineEdit, &QLineEdit::returnPressed, this, &BXInputDialog::tryAccept);
    connect(_lineEdit, &QLineEdit::textChanged, this, &BXInputDialog::textChanged);
    connect(_spinBox, &QSpinBox::textChanged, this, &BXInputDialog::textChanged);
    connect(_comboBox, &QComboBox::currentTextChanged, this, &BXInputDialog::textChanged);
    connect(_editComboBox, &QComboBox::currentTextChanged, this, &BXInputDialog::textChanged);
    connect(_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setType(type);
    const int width = std::max(sizeHint().width(), 400);
    const int height = layout()->hasHeightForWidth() ? layout()->heightForWidth(width)
                                                     : sizeHint().height();
    resize(width, std::max(height, minimumSizeHint().height()));
}

void BXInputDialog::_buildLayout(const QString& label)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    _label = new QLabel(label, this);
    _label->setObjectName(QStringLiteral("qt_inputdlg_lbl"));
    layout->addWidget(_label);

    _stack = new QStackedWidget(this);
    _stack->setObjectName(QStringLiteral("qt_inputdlg_ws"));
    _lineEdit = new QLineEdit(_stack);
    _lineEdit->setObjectName(QStringLiteral("qt_inputdlg_le"));
    _spinBox = new NumberSpinBox(_stack);
    _spinBox->setObjectName(QStringLiteral("qt_inputdlg_sb"));
    _comboBox = new QComboBox(_stack);
    _comboBox->setObjectName(QStringLiteral("qt_inputdlg_cb"));
    _editComboBox = new QComboBox(_stack);
    _editComboBox->setObjectName(QStringLiteral("qt_inputdlg_editcb"));
    _editComboBox->setEditable(true);
    for (QWidget* editor : {static_cast<QWidget*>(_lineEdit), static_cast<QWidget*>(_spinBox),
                            static_cast<QWidget*>(_comboBox), static_cast<QWidget*>(_editComboBox)})
        _stack->addWidget(editor);
    layout->addWidget(_stack);
    _refusal = new QLabel(this);
    _refusal->setObjectName(QStringLiteral("qt_inputdlg_refusal"));
    _refusal->setWordWrap(true);
    _refusal->hide();
    layout->addWidget(_refusal);

    _buildButtons(layout);
}

void BXInputDialog::_buildButtons(QVBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    layout->addLayout(row, 2);

    _helpButton = new QPushButton(tr("Help"), this);
    _helpButton->setObjectName(QStringLiteral("qt_help_btn"));
    _okButton = new QPushButton(tr("OK"), this);
    _okButton->setObjectName(QStringLiteral("qt_ok_btn"));
    _okButton->setDefault(true);
    _okButton->setEnabled(false);
    _cancelButton = new QPushButton(tr("Cancel"), this);
    _cancelButton->setObjectName(QStringLiteral("qt_cancel_btn"));
    row->addWidget(_helpButton);
    row->addStretch();
    row->addWidget(_okButton);
    row->addWidget(_cancelButton);

    const QSize ok = _okButton->sizeHint();
    const QSize cancel = _cancelButton->sizeHint();
    const QSize size(std::max(ok.width(), cancel.width()), std::max(ok.height(), cancel.height()));
    for (QPushButton* button : {_helpButton, _okButton, _cancelButton})
        button->setFixedSize(size);
}

QWidget* BXInputDialog::_editorOf(Type type) const
{
    switch (type) {
    case LineEdit: return _lineEdit;
    case SpinBox: return _spinBox;
    case ComboBox: return _comboBox;
    case EditableComboBox: return _editComboBox;
    }
    return nullptr;
}

void BXInputDialog::setType(Type type)
{
    QWidget* editor = _editorOf(type);
    if (!editor) {
        qWarning("BXInputDialog::setType: Invalid type");
        return;
    }
    _stack->setCurrentWidget(editor);
    _stack->setFixedHeight(editor->sizeHint().height());
    editor->setFocus();
    _type = type;
    _refreshOk();
}

QString BXInputDialog::_currentText() const
{
    switch (_type) {
    case LineEdit: return _lineEdit->text();
    case SpinBox: return _spinBox->text();
    case ComboBox: return _comboBox->currentText();
    case EditableComboBox: return _editComboBox->currentText();
    }
    return QString();
}

void BXInputDialog::_refreshOk()
{
    textChanged(_currentText());
}

void BXInputDialog::textChanged(const QString& text)
{
    bool acceptable = true;
    const QValidator* validator = _lineEdit->validator();
    if (_type == LineEdit && validator) {
        QString typed = _lineEdit->text();
        int pos = _lineEdit->cursorPosition();
        acceptable = validator->validate(typed, pos) == QValidator::Acceptable;
    } else if (_type == SpinBox) {
        acceptable = _spinBox->hasAcceptableInput();
    } else if (_type != LineEdit) {
        acceptable = !text.isEmpty();
    }
    _okButton->setEnabled(acceptable && !_currentText().trimmed().isEmpty());
    _explainRefusal();
}

void BXInputDialog::_explainRefusal()
{
    const auto* number = qobject_cast<const NumberValidator*>(_lineEdit->validator());
    const bool typed = _type == LineEdit && number && !_lineEdit->text().trimmed().isEmpty();
    _refusal->setText(typed ? number->refusal(_lineEdit->text()) : QString());
    _refusal->setVisible(!_refusal->text().isEmpty());
    _fitHeight();
}

// Grows the dialog to the height its contents take at its width, so that an explanation of
// several lines is shown whole.
void BXInputDialog::_fitHeight()
{
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
}

// Return in the line edit accepts only what the OK button would accept, so that a
// blank or out-of-range value cannot slip past the rule.
void BXInputDialog::tryAccept()
{
    if (_okButton->isEnabled())
        accept();
}

void BXInputDialog::showHelp()
{
    BXHelp::showTopic(_helpTopic);
}

bool BXInputDialog::_runDialog(BXInputDialog& dialog, const QString& caption, bool* ok)
{
    dialog.setWindowTitle(caption);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    return accepted;
}

QString BXInputDialog::getText(const QString& caption, const QString& label,
                               QLineEdit::EchoMode mode, const QString& text, bool* ok,
                               QWidget* parent, const char* name, const QString& helpTopic)
{
    BXInputDialog dialog(label, parent, name ? name : "qt_inputdlg_gettext", true, LineEdit,
                         helpTopic);
    dialog.lineEdit()->setText(text);
    dialog.lineEdit()->setEchoMode(mode);
    if (!_runDialog(dialog, caption, ok))
        return QString();
    return dialog.lineEdit()->text();
}

double BXInputDialog::getDouble(const QString& caption, const QString& label, double value,
                                double minValue, double maxValue, int decimals, bool* ok,
                                QWidget* parent, const char* name, const QString& helpTopic,
                                const QString& field)
{
    BXInputDialog dialog(label, parent, name ? name : "qt_inputdlg_getdbl", true, LineEdit,
                         helpTopic);
    QLineEdit* edit = dialog.lineEdit();
    auto* validator = new NumberValidator(minValue, maxValue, decimals, &dialog);
    validator->setField(field, QString());
    edit->setValidator(validator);
    const QString shown = NumberParser::write(value, decimals);
    edit->setText(shown);
    edit->selectAll();
    _runDialog(dialog, caption, ok);
    // A figure left as shown is the value given, not its rounded form.
    if (edit->text() == shown)
        return value;
    return NumberParser::parse(edit->text()).value_or(0.0);
}

int BXInputDialog::getInteger(const QString& caption, const QString& label, int value,
                              int minValue, int maxValue, int step, bool* ok, QWidget* parent,
                              const char* name, const QString& helpTopic)
{
    BXInputDialog dialog(label, parent, name ? name : "qt_inputdlg_getint", true, SpinBox,
                         helpTopic);
    dialog.spinBox()->setRange(minValue, maxValue);
    dialog.spinBox()->setSingleStep(step);
    dialog.spinBox()->setValue(value);
    _runDialog(dialog, caption, ok);
    return dialog.spinBox()->value();
}

QString BXInputDialog::getItem(const QString& caption, const QString& label,
                               const QStringList& list, int current, bool editable, bool* ok,
                               QWidget* parent, const char* name, const QString& helpTopic)
{
    BXInputDialog dialog(label, parent, name ? name : "qt_inputdlg_getitem", true,
                         editable ? EditableComboBox : ComboBox, helpTopic);
    QComboBox* box = editable ? dialog.editableComboBox() : dialog.comboBox();
    box->addItems(list);
    box->setCurrentIndex(current);
    _runDialog(dialog, caption, ok);
    return box->currentText();
}
