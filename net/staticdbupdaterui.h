#pragma once

#include <QObject>

class InstallUpdateQuestion;
class QMessageBox;
class QProgressDialog;
class QWidget;

// The dialogs of a static-database update run by the user or after an automatic check.
class StaticDbUpdaterUI : public QObject
{
    Q_OBJECT

public:
    explicit StaticDbUpdaterUI(QWidget* parent);
    ~StaticDbUpdaterUI() override;

    // Checks the feed (unless skipCheck), asks, downloads and installs, telling the user
    // how it went. Without a check it ends at once unless an update is known. The brand
    // must define "update_rss_url" and enable "update_enabled". False when a step failed;
    // databases found up to date, an update declined or a step cancelled are no failure.
    bool doUpdate(bool skipCheck);

protected:
    // The modal steps, which tests answer. Each runs its dialog and says how it ended.
    virtual bool runCheckingBox(QMessageBox& box);
    virtual bool askToInstall(InstallUpdateQuestion& question);
    virtual void runProgress(QProgressDialog& dialog);
    virtual bool permitted() const;

private slots:
    void downloadFinished(bool error);

private:
    bool _check();
    void _download();
    void _install();
    void _closeProgress();
    void _showDownloadProgress(int done, int total);
    void _setProgress(int done, int total);

    void _fail(const QString& message);

    QWidget* _parentWidget;
    QProgressDialog* _progress;
    bool _failed = false;
};
