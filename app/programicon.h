#ifndef PANTREL_APP_PROGRAMICON_H
#define PANTREL_APP_PROGRAMICON_H

#include <QIcon>

// The program's icon, as installed in the hicolor icon theme beside the program
// (<executable folder>/../share/icons/hicolor/): every size rendered for it.
class ProgramIcon {
public:
    static QIcon load();
};

#endif
