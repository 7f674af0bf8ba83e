#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class QDomElement;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// The help viewer: the shipped help pages in a browser, beside the contents and
// the keyword index that the help profile lists.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Pages this edition does not offer, by file name ("publish.html"): the contents and the
    // index leave them out and a page shows no paragraph that links to them. Takes effect
    // from the next loadProfile().
    void setHiddenPages(const QStringList& fileNames) { _hiddenPages = fileNames; }
    bool loadProfile(const QString& profilePath);
    void showPage(const QString& pagePath);
    void showContents();
    void showIndex();

    QTextBrowser* browser() const { return _browser; }
    QTreeWidget* contentsTree() const { return _contents; }
    QListWidget* indexList() const { return _index; }
    QLineEdit* indexFilter() const { return _indexFilter; }
    QTabWidget* navigationTabs() const { return _tabs; }

signals:
    void closed();

public slots:
    void languageChange();

private slots:
    void _contentsItemClicked(QTreeWidgetItem* item);
    void _indexItemActivated(QListWidgetItem* item);
    void _indexFilterChanged(const QString& text);
    void _openCurrentIndexEntry();
    void _goHome();
    void _dropHiddenLinks();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape closes the viewer, as it closes the program's other windows.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void _buildLayout();
    void _addSections(const QDomElement& parent, QTreeWidgetItem* parentItem);
    void _addKeywords(const QDomElement& section);
    QUrl _resolve(const QString& ref) const;
    bool _isHidden(const QUrl& url) const;
    void _showMissing(const QString& what, const QString& detail);

    QTabWidget* _tabs = nullptr;
    QTreeWidget* _contents = nullptr;
    QLineEdit* _indexFilter = nullptr;
    QListWidget* _index = nullptr;
    QTextBrowser* _browser = nullptr;
    QToolButton* _backButton = nullptr;
    QToolButton* _forwardButton = nullptr;
    QToolButton* _homeButton = nullptr;
    QDir _folder;
    QUrl _startPage;
    QString _title;
    QStringList _hiddenPages;
};
