#pragma once

#include <QMetaType>
#include <cstdint>

// The parameter of a named notification: one word holding either an int or a pointer. The
// poster and the observers of a name agree on which; a pointer is only valid while the
// notification is being delivered.
class NotificationParam
{
public:
    NotificationParam(int value = 0) : _word(value) {}
    NotificationParam(void* pointer) : _word(reinterpret_cast<std::intptr_t>(pointer)) {}

    int toInt() const { return static_cast<int>(_word); }
    void* toPointer() const { return reinterpret_cast<void*>(_word); }

private:
    std::intptr_t _word;
};

Q_DECLARE_METATYPE(NotificationParam)
