#pragma once

#include <QFrame>

class SummarySource;

// The base of the panels of the summary panel. Each panel reads the shown day's values from
// the SummarySource that is its parent, and shows itself only while it has something to show.
class SummaryObject : public QFrame
{
    Q_OBJECT

public:
    SummaryObject(QWidget* parent, const char* name, int flags);

    bool hasContent() const { return _hasContent; }

protected:
    SummarySource* summary() const { return _summary; }
    void setHasContent(bool hasContent) { _hasContent = hasContent; }

private:
    SummarySource* _summary;
    bool _hasContent = false;
};
