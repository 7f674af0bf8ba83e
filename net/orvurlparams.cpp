#include "net/orvurlparams.h"

#include "widgets/shownday.h"
#include "core/appversion.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarylocation.h"
#include "userdb/userdb.h"

#include <QFileInfo>
#include <QUrl>

namespace {

const QString s_userName = QStringLiteral("${USERNAME}");
const QString s_passwordHash = QStringLiteral("${PWHASH}");
const QString s_userNameOptional = QStringLiteral("${USERNAME_OPTIONAL}");
const QString s_passwordHashOptional = QStringLiteral("${PWHASH_OPTIONAL}");

bool needsLogin(const QString& url)
{
    return url.contains(s_userName) || url.contains(s_passwordHash)
        || url.contains(s_userNameOptional) || url.contains(s_passwordHashOptional);
}

QString membershipMessage()
{
    QString message = QObject::tr(
        "If you have a paid ${BRAND_ID} membership\n"
        "(a separate purchase from this software) you can publish up\n"
        "your diary entries to your ${BRAND_ID} online\n"
        "diary. This will let you share your diary with other\n"
        "${BRAND_ID} members. This process will also upload your\n"
        "check-in information.\n\n"
        "You have not set your username or password. To do this,\n"
        "go to the internet section of the preferences dialog\n"
        "and fill out the ${WEB_ADDRESS} login box.");
    return BrandEngine::instance()->replaceTokens(message);
}

// Replaces the login tokens; false when a required login is missing or, with `unread` set,
// when the login could not be read from the diary.
bool replaceLogin(QString& url, bool& unread)
{
    if (QFileInfo::exists(DiaryLocation::path())) {
        UserDB* users = UserDB::instance();
        const std::optional<DBTypes::UserPrefs> read = users->getUserPrefs(ShownDay::instance()->user());
        unread = !read;
        if (unread)
            return false;
        const DBTypes::UserPrefs& prefs = *read;
        if (!prefs.webUserName.isEmpty() && !prefs.webPassword.isEmpty()) {
            const QString digest = prefs.webPasswordMD5();
            const QString login = QString::fromLatin1(QUrl::toPercentEncoding(prefs.webUserName));
            url.replace(s_userName, login);
            url.replace(s_passwordHash, digest);
            url.replace(s_userNameOptional, login);
            url.replace(s_passwordHashOptional, digest);
            return true;
        }
    }
    if (url.contains(s_userName) || url.contains(s_passwordHash))
        return false;
    url.replace(s_userNameOptional, QString());
    url.replace(s_passwordHashOptional, QString());
    return true;
}

} // namespace

QString OrvUrlParams::replaceAll(QString& url)
{
    url.replace(QStringLiteral("${PLATFORM}"), QStringLiteral("mac"));
    url.replace(QStringLiteral("${PRODUCT}"), QString::fromLatin1(BrandEngine::s_productWord));
    url.replace(QStringLiteral("${VERSION}"), AppVersion::text());
    bool unread = false;
    if (needsLogin(url) && !replaceLogin(url, unread)) {
        return unread ? QObject::tr("Your username and password could not be read from the "
                                    "diary. Try again once the diary can be read.")
                      : membershipMessage();
    }
    url.replace(QStringLiteral("${CONTENT_DIR}"),
                QStringLiteral("file://") + BXSettings::getDirExecutable()
                    + QStringLiteral("content"));
    return QString();
}
