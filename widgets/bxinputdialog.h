#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QVBoxLayout;

// The modal prompt through which screens ask the user for one value. OK is only
// enabled while the typed value is acceptable and not blank; a refused number is explained
// under the field.
class BXInputDialog : public QDialog
{
    Q_OBJECT

public:
    enum Type { LineEdit = 0, SpinBox = 1, ComboBox = 2, EditableComboBox = 3 };

    explicit BXInputDialog(const QString& label, QWidget* parent = nullptr,
                           const char* name = nullptr, bool modal = true, Type type = LineEdit,
                           const QString& helpTopic = QString());

    QLineEdit* lineEdit() const { return _lineEdit; }
    QSpinBox* spinBox() const { return _spinBox; }
    QComboBox* comboBox() const { return _comboBox; }
    QComboBox* editableComboBox() const { return _editComboBox; }
    Type type() const { return _type; }
    void setType(Type type);

    QPushButton* okButton() const { return _okButton; }
    QPushButton* helpButton() const { return _helpButton; }
    QString helpTopic() const { return _helpTopic; }

    static QString getText(const QString& caption, const QString& label,
                           QLineEdit::EchoMode mode = QLineEdit::Normal,
                           const QString& text = QString(), bool* ok = nullptr,
                           QWidget* parent = nullptr, const char* name = nullptr,
                           const QString& helpTopic = QString());
    // field names the number where a refused one is explained.
    static double getDouble(const QString& caption, const QString& label, double value = 0,
                            double minValue = -2147483647, double maxValue = 2147483647,
                            int decimals = 1, bool* ok = nullptr, QWidget* parent = nullptr,
                            const char* name = nullptr, const QString& helpTopic = QString(),
                            const QString& field = QString());
    static int getInteger(const QString& caption, const QString& label, int value = 0,
                          int minValue = -2147483647, int maxValue = 2147483647, int step = 1,
                          bool* ok = nullptr, QWidget* parent = nullptr,
                          const char* name = nullptr, const QString& helpTopic = QString());
    static QString getItem(const QString& caption, const QString& label, const QStringList& list,
                           int current = 0, bool editable = true, bool* ok = nullptr,
                           QWidget* parent = nullptr, const char* name = nullptr,
                           const QString& helpTopic = QString());

public slots:
    void textChanged(const QString& text);
    void tryAccept();
    void showHelp();

private:
    void _buildLayout(const QString& label);
    void _buildButtons(QVBoxLayout* layout);
    QWidget* _editorOf(Type type) const;
    QString _currentText() const;
    void _refreshOk();
    void _explainRefusal();
    void _fitHeight();
    static bool _runDialog(BXInputDialog& dialog, const QString& caption, bool* ok);

    QLabel* _label = nullptr;
    // Why a typed number is refused, shown under the field while it is.
    QLabel* _refusal = nullptr;
    QStackedWidget* _stack = nullptr;
    QLineEdit* _lineEdit = nullptr;
    QSpinBox* _spinBox = nullptr;
    QComboBox* _comboBox = nullptr;
    QComboBox* _editComboBox = nullptr;
    QPushButton* _helpButton = nullptr;
    QPushButton* _okButton = nullptr;
    QPushButton* _cancelButton = nullptr;
    Type _type = LineEdit;
    QString _helpTopic;
};
