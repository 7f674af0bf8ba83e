#pragma once

#include "core/dbtypes.h"

#include <QDialog>
#include <QMessageBox>

#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class WebLink;

// The preferences dialog: the current user's units, web login and publishing choices (kept in
// the user database) and the machine's proxy, update-check interval and backup folder (kept in
// the settings store). Nothing is written until "&OK".
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // The answers of the account question.
    enum AccountAnswer { SaveFirst, DoNotSave, CancelAccount };

    // A new dialog over parent, to be run with exec(); a dialog that cannot be made is fatal.
    static PreferencesDialog* construct(QWidget* parent);
    // Installs the units of a user's preferences in the unit collection.
    static void setPrefs(const DBTypes::UserPrefs& prefs);
    // The preferences whose units were installed last.
    static const DBTypes::UserPrefs& installedPrefs();

    explicit PreferencesDialog(QWidget* parent = nullptr);

    // Whether the user's preferences were read; a dialog that could not read them (the user
    // was told) is not to be shown.
    bool prefsRead() const { return _read; }

public slots:
    void save();
    void enableWidgetsAppropriately();
    void showHelp();
    void enableManualProxy(bool on);
    void showFileDialog();
    void createBXAccount();

protected:
    void languageChange();

    // The dialogs the preferences open, so that a subclass can stand in for them.
    virtual QMessageBox::StandardButton showMessage(QMessageBox::Icon icon,
                                                    const QString& caption, const QString& text,
                                                    QMessageBox::StandardButtons buttons);
    // The chosen folder; empty when the chooser was cancelled.
    virtual QString chooseFolder(const QString& start);
    virtual AccountAnswer askAccountQuestion();

private:
    void _createGeneralTab();
    void _createInternetTab();
    void _createButtons();
    void _connectSignals();
    void init();
    void _initUnits(const DBTypes::UserPrefs& prefs);
    void _initWebLogin(const DBTypes::UserPrefs& prefs);
    void _initProxy();
    void _saveProxy();
    bool _saveUserPrefs();
    // The stored preferences with the dialog's choices.
    DBTypes::UserPrefs _edited(DBTypes::UserPrefs prefs) const;
    std::optional<QString> _backupPath();
    // Opens the account page through the main window that owns the dialog.
    void _openAccountPage();

    QTabWidget* _tabs = nullptr;
    bool _read = false;
    QGroupBox* buttonGroup3 = nullptr;
    QRadioButton* metricRadio = nullptr;
    QRadioButton* imperialRadio = nullptr;
    QGroupBox* buttonGroup2 = nullptr;
    QRadioButton* caloriesRadio = nullptr;
    QRadioButton* kilojoulesRadio = nullptr;
    QGroupBox* grpBackup = nullptr;
    QLabel* textLabel1 = nullptr;
    QLineEdit* txtBackupPath = nullptr;
    QPushButton* btnShowFileDialog = nullptr;

    QGroupBox* groupBox3 = nullptr;
    QLabel* textLabel6 = nullptr;
    QLineEdit* webUsernameEdit = nullptr;
    QLabel* textLabel7 = nullptr;
    QLineEdit* webPasswordEdit = nullptr;
    WebLink* bxURL = nullptr;
    QGroupBox* groupBox4 = nullptr;
    QRadioButton* radDefaultProxy = nullptr;
    QRadioButton* radProxyDirect = nullptr;
    QRadioButton* radProxyManual = nullptr;
    QLabel* labelProxyHost = nullptr;
    QLineEdit* txtProxyHost = nullptr;
    QLabel* labelProxyPort = nullptr;
    QLineEdit* txtProxyPort = nullptr;
    QCheckBox* uploadOnExitBox = nullptr;
    QCheckBox* confirmUploadBox = nullptr;
    QCheckBox* autoStaticDbUpdate = nullptr;

    QPushButton* helpButton = nullptr;
    QPushButton* pushButton6 = nullptr;
    QPushButton* pushButton5 = nullptr;
};
