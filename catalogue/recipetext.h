#ifndef PANTREL_CATALOGUE_RECIPETEXT_H
#define PANTREL_CATALOGUE_RECIPETEXT_H

#include <QString>

// The texts that pass between the system and a recipe access program: NUL-terminated UTF-16
// copies, each given back with free().
class RecipeText {
public:
    // A NUL-terminated UTF-16 copy of text, to be given back with free(); none when memory
    // runs out.
    static char16_t* alloc(const QString& text);
    static void free(char16_t* text);
    // A copy of a NUL-terminated UTF-16 text (the 0 included); none when memory runs out.
    static char16_t* s_SysAllocString(const char16_t* text);
    static void s_SysFreeString(char16_t* text);
};

#endif
