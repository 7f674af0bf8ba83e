#include "app/startprogress.h"

#include "widgets/progressbox.h"

StartProgress::StartProgress(const QString& title, const QString& label)
    : _title(title), _label(label)
{
}

StartProgress::~StartProgress() = default;

bool StartProgress::report(qint64 done, qint64 total)
{
    if (!_box)
        _box = std::make_unique<ProgressBox>(nullptr, _title, _label);
    return _box->advance(done, total);
}
