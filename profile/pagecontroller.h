#pragma once

#include "core/dbtypes.h"

class QWidget;

// Moves values between the profile wizard's working records and one page's fields, and says
// whether the page lets the user go on. The base class serves the pages without fields of
// their own: it changes nothing and is always complete. load() may run before its page was
// ever shown and save() runs many times; any record pointer may be null.
class PageController
{
public:
    explicit PageController(QWidget* page = nullptr);
    virtual ~PageController();
    PageController(const PageController&) = delete;
    PageController& operator=(const PageController&) = delete;

    virtual void load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                      const DBTypes::UserPrefs* prefs);
    virtual void save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                      DBTypes::UserPrefs* prefs);
    // Called each time the page becomes the visible one.
    virtual void start();
    virtual bool isPageComplete();
    // Connects the page's stateChanged() signal to a slot of the receiver, given in the
    // SLOT() notation; nothing when there is no page or the page has no such signal.
    virtual void notify(QWidget* receiver, const char* member);

    QWidget* page() const { return _page; }

private:
    QWidget* _page;
};
