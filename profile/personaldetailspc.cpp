#include "profile/personaldetailspc.h"

#include "core/dateconversion.h"
#include "profile/datelineedit.h"
#include "profile/personaldetailspage.h"

#include <QLineEdit>
#include <QRadioButton>

void PersonalDetailsPC::load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem*,
                             const DBTypes::UserPrefs*)
{
    if (!profile)
        return;
    _page->_nameField->setText(profile->name);
    if (profile->dob[0] != '\0')
        _page->_dobField->setDate(DateFromCode4(profile->dob));
    if (profile->sex == 0)
        _page->_maleRadioButton->setChecked(true);
    else if (profile->sex == 1)
        _page->_femaleRadioButton->setChecked(true);
}

void PersonalDetailsPC::save(DBTypes::UserProfile* profile, DBTypes::CheckinItem*,
                             DBTypes::UserPrefs*)
{
    if (!profile)
        return;
    profile->name = _page->_nameField->text();
    const QDate birth = _page->_dobField->date();
    if (birth.isValid())
        DateToCode4(birth, profile->dob);
    profile->sex = _page->_maleRadioButton->isChecked() ? 0 : 1;
}

void PersonalDetailsPC::start()
{
    _page->_nameField->setFocus();
}

bool PersonalDetailsPC::isPageComplete()
{
    return !_page->_nameField->text().isEmpty() && _page->birthDateAccepted();
}
