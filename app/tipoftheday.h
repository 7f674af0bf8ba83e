#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QSet>
#include <QStringList>

#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTextBrowser;
class UserDB;

// Tip popup, used two ways: the start-up tip (continuing from the user's last one) and
// one-off hints fired the first time the user does something to a watched widget. Texts,
// triggers and conditions are read from tips.dat in the resource folder.
//
// What the tips know of the current user (the stored tip of the day and the topics already
// shown) is read with the user and kept current by the tips' own changes: a watched widget's
// event never reads the diary, and a topic tip opens once the event has returned.
class TipOfTheDay : public QDialog
{
    Q_OBJECT

public:
    struct UserState
    {
        qint64 user = -1;
        // The stored tip of the day: negative when tips do not show at start.
        int tipOfTheDay = 0;
        QSet<int> topicsShown;
    };

    // Reads a user's state, inside the caller's reading action; nothing when it could not be
    // read.
    static std::optional<UserState> readUserState(qint64 user);
    // Holds the state of the user now current, for the window made or to be made.
    static void keepUserState(const UserState& state);
    // The stored tip of the day of the current user; nothing when the tips hold no state of
    // that user.
    static std::optional<int> heldTipOfTheDay();

    static TipOfTheDay* instance();
    static void cleanUp();
    ~TipOfTheDay() override;

    // Reads the resource folder's tips file, or the given one.
    void init();
    void init(const QString& tipsPath);

    bool showTipForTopic(int tip);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void registerWidgets(const QList<QString>& names);
    void buildEventTable();
    int mapEventStrToEnum(const QString& name) const;
    QStringList featureList() const;
    bool ignoreTip(const QString& features) const;

    int currentTip() const { return _currentTip; }
    QList<int> tipNumbers() const { return _tipOrder; }
    QString tipText(int tip) const { return _tips.value(tip); }
    QTextBrowser* tipBrowser() const { return _labelTip; }
    QCheckBox* showOnStartBox() const { return _checkShowOnStart; }
    QPushButton* nextTipButton() const { return _btnNextTip; }
    QPushButton* closeButton() const { return _buttonClose; }

public slots:
    void nextTip();
    void setTipText(int tip);
    void myClose();
    void resetAllTips();
    void tipLinkClicked(const QString& page);
    void languageChange();

private:
    explicit TipOfTheDay(QWidget* parent);

    struct TipLine
    {
        int number = 0;
        QString features;
        QString event;
        QStringList widgets;
        QString text;
    };

    void _buildForm();
    void _buildButtonRow();
    void _clearTips();
    QStringList _readTips(const QString& tipsPath);
    bool _parseLine(const QString& line, TipLine& tip) const;
    QStringList _addTip(const TipLine& tip);
    void _startAt(int stored);
    void _applyUserState();
    // The held state when it is the current user's, else null.
    static UserState* _heldState();
    // Shows the tip of the focused widget's topic, if any, once the event loop runs.
    void _postTipFor(QObject* watched, int type);
    qint64 _user() const;

    static TipOfTheDay* s_instance;
    static std::optional<UserState> s_state;

    QMap<int, QString> _tips;
    QList<int> _tipOrder;
    int _currentTip = 0;
    // The topic tip shown in place of the tip of the day; 0 when none.
    int _topic = 0;
    QMap<int, QList<QPair<QString, int>>> _eventTable;
    QHash<QString, int> _eventNames;
    QStringList _features;
    // Why the tips file could not be read; empty when it was.
    QString _readProblem;
    UserDB* _userDb = nullptr;

    QFrame* _frame8 = nullptr;
    QLabel* _labelTipHeader = nullptr;
    QTextBrowser* _labelTip = nullptr;
    QCheckBox* _checkShowOnStart = nullptr;
    QPushButton* _btnNextTip = nullptr;
    QPushButton* _buttonClose = nullptr;
};
