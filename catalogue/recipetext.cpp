#include "catalogue/recipetext.h"

#include <algorithm>
#include <new>

char16_t* RecipeText::alloc(const QString& text)
{
    return s_SysAllocString(reinterpret_cast<const char16_t*>(text.utf16()));
}

void RecipeText::free(char16_t* text)
{
    s_SysFreeString(text);
}

char16_t* RecipeText::s_SysAllocString(const char16_t* text)
{
    size_t count = 0;
    while (text[count] != 0)
        ++count;
    char16_t* copy = new (std::nothrow) char16_t[count + 1];
    if (copy)
        std::copy(text, text + count + 1, copy);
    return copy;
}

void RecipeText::s_SysFreeString(char16_t* text)
{
    delete[] text;
}
