#pragma once

#include <QTextBrowser>

// The help viewer's page browser. It reads pages, style sheets and images only from regular
// files: a pipe in a help file's place would block the window in its first read for ever. A
// page that cannot be read shows why, naming the file; a style sheet or image that cannot be
// read is left out.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;
};
