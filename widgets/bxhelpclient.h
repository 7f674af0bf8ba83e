#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class HelpWindow;
class QWidget;

// The program's link to its help viewer. The viewer is opened with a set of
// arguments ("-profile" and the profile path, "-startwithcontents" or
// "-startwithindex") and asked to show pages by their full path, optionally
// followed by "#" and an anchor; the pages "!!%%contents" and "!!%%index" raise the
// viewer's contents and index lists instead.
class BXHelpClient : public QObject
{
    Q_OBJECT

public:
    explicit BXHelpClient(QObject* parent = nullptr);
    ~BXHelpClient() override;

    void setArguments(const QStringList& arguments) { _arguments = arguments; }
    QStringList arguments() const { return _arguments; }
    bool isOpen() const;
    HelpWindow* window() const { return _window; }

public slots:
    void openAssistant();
    void closeAssistant();
    void showPage(const QString& page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void assistantOpened();
    void assistantClosed();

private:
    void _applyArguments();
    void _passModalDialog(QWidget* modal);

    QStringList _arguments;
    HelpWindow* _window = nullptr;
};
