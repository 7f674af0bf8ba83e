#pragma once

#include "profile/pagecontroller.h"

// A page controller that works on the fields of one kind of page.
template <typename Page>
class PageControllerOf : public PageController
{
public:
    explicit PageControllerOf(Page* page) : PageController(page), _page(page) {}

protected:
    Page* const _page;
};
