#include "core/endrequest.h"

#include <atomic>

namespace {

std::atomic<bool> s_asked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets the request");

} // namespace

void EndRequest::ask()
{
    s_asked.store(true);
}

bool EndRequest::asked()
{
    return s_asked.load();
}

void EndRequest::reset()
{
    s_asked.store(false);
}
