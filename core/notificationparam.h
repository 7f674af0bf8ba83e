#pragma once

#include <QMetaType>
#include <cstdint>

// Payload of a notification, an int or a pointer in a single word. Each notification name
// fixes which one it carries; pointers are only good during delivery.
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
