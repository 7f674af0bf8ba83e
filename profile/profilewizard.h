#pragma once

#include "core/dbtypes.h"

#include <QDialog>

#include <map>
#include <memory>

class PageController;
class QLabel;
class QPushButton;
class QStackedWidget;
class WizardMenu;

// The modal wizard in which a user sets up or edits the personal profile: eight sections,
// each a page with its controller, entered from a painted menu or with Back and Next. It
// works on copies of a profile, a check-in and preferences; set() loads every page from
// them and get() hands out what the pages hold. A section can be entered only when every
// page before it is complete.
class ProfileWizard : public QDialog
{
    Q_OBJECT

public:
    enum Section {
        Welcome = 0,
        PersonalDetails,
        Measurements,
        ActivityLevel,
        YourProfile,
        Goals,
        Targets,
        Finish,
    };

    explicit ProfileWizard(QWidget* parent);
    ~ProfileWizard() override;

    void set(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
             const DBTypes::UserPrefs* prefs);
    // Saves every page, then hands out the records with the check-in dated today; a new
    // profile (no created date yet) is dated today too.
    void get(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
             DBTypes::UserPrefs* prefs);
    // After get(): true when what it handed out differs from what the pages hand out for the
    // records set() loaded, that is when the user edited something; always for a profile set
    // up from nothing.
    bool isChanged() const;

    // The controller of a section; the shared default controller for the sections without
    // one of their own and for ids not in the menu.
    PageController* sectionPageController(int id) const;
    bool isSectionEnabled(int id) const;
    void addPage(int id, const QString& name, QWidget* page);
    void setBackButtonEnabled(bool enabled);
    void setFinishButtonEnabled(bool finish);

    WizardMenu* menu() const { return _menu; }
    QWidget* page(int id) const;
    QLabel* headerLabel() const { return _headerLabel; }
    QPushButton* backButton() const { return _backButton; }
    QPushButton* nextButton() const { return _nextButton; }
    QPushButton* cancelButton() const { return _cancelButton; }

public slots:
    void setSection(int id);
    void doBack();
    void doNext();
    void doMenuSelection(int id);
    void enableSections();

private:
    void _buildFrame();
    QWidget* _buildHeader();
    QLayout* _buildButtonRow();
    void _addPages();
    void _handOut(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                  DBTypes::UserPrefs* prefs);

    WizardMenu* _menu;
    QStackedWidget* _stack;
    QLabel* _headerLabel;
    QPushButton* _backButton;
    QPushButton* _nextButton;
    QPushButton* _cancelButton;
    std::map<int, QWidget*> _pages;
    std::map<int, std::unique_ptr<PageController>> _controllers;
    std::unique_ptr<PageController> _defaultController;

    DBTypes::UserProfile _profile;
    DBTypes::CheckinItem _checkin;
    DBTypes::UserPrefs _prefs;
    // What the pages handed out right after set(), before any edit.
    bool _loaded = false;
    DBTypes::UserProfile _loadedProfile;
    DBTypes::CheckinItem _loadedCheckin;
    DBTypes::UserPrefs _loadedPrefs;
};
