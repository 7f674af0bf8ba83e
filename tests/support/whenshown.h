#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

// Answers the next modal dialog of type T with `answer` once it shows.
template<typename T>
void whenShown(std::function<void(T*)> answer)
{
    QTimer::singleShot(0, [answer]() {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenShown<T>(answer);
            return;
        }
        answer(dialog);
    });
}
