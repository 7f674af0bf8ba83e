#include "testcertificates.h"

#include "core/clock.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QTest>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

constexpr long DAY = 24 * 3600;

Key newKey()
{
    return Key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
}

void addExtension(X509* certificate, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for name signed by issuerKey (itself when issuer is null), valid from
// `from` to `to` seconds from the program's now.
Certificate issue(EVP_PKEY* key, const char* name, const char* altName, X509* issuer,
                  EVP_PKEY* issuerKey, long from, long to, bool isCa)
{
    static long serial = 1;
    Certificate certificate(X509_new(), &X509_free);
    X509* c = certificate.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), ++serial);
    time_t now = time_t(Clock::now().toSecsSinceEpoch());
    X509_time_adj(X509_getm_notBefore(c), from, &now);
    X509_time_adj(X509_getm_notAfter(c), to, &now);
    X509_set_pubkey(c, key);
    X509_NAME* subject = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(subject, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Test"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(name), -1, -1, 0);
    X509_set_issuer_name(c, issuer ? X509_get_subject_name(issuer) : subject);
    X509* signer = issuer ? issuer : c;
    if (isCa) {
        addExtension(c, signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(c, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(c, signer, NID_basic_constraints, "CA:FALSE");
        addExtension(c, signer, NID_ext_key_usage, "serverAuth");
    }
    addExtension(c, signer, NID_subject_key_identifier, "hash");
    if (altName)
        addExtension(c, signer, NID_subject_alt_name, altName);
    X509_sign(c, issuerKey ? issuerKey : key, EVP_sha256());
    return certificate;
}

QByteArray pem(X509* certificate)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, certificate);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    const QByteArray bytes(data, length);
    BIO_free(bio);
    return bytes;
}

QByteArray pem(EVP_PKEY* key)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    const QByteArray bytes(data, length);
    BIO_free(bio);
    return bytes;
}

QSslConfiguration configuration(X509* certificate, EVP_PKEY* key)
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate(pem(certificate)));
    config.setPrivateKey(QSslKey(pem(key), QSsl::Ec));
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    return config;
}

} // namespace

TestCertificates::TestCertificates()
{
    const Key caKey = newKey();
    const Certificate ca = issue(caKey.get(), "Test CA", nullptr, nullptr, nullptr, -DAY, 30 * DAY, true);
    const Key otherCaKey = newKey();
    const Certificate otherCa =
        issue(otherCaKey.get(), "Other CA", nullptr, nullptr, nullptr, -DAY, 30 * DAY, true);
    const Key key = newKey();
    const char* ip = "IP:127.0.0.1";

    const Certificate good = issue(key.get(), "127.0.0.1", ip, ca.get(), caKey.get(), -DAY, 30 * DAY, false);
    const Certificate expired =
        issue(key.get(), "127.0.0.1", ip, ca.get(), caKey.get(), -10 * DAY, -DAY, false);
    const Certificate early =
        issue(key.get(), "127.0.0.1", ip, ca.get(), caKey.get(), DAY, 10 * DAY, false);
    const Certificate wrongName = issue(key.get(), "wrong.example", "DNS:wrong.example", ca.get(),
                                        caKey.get(), -DAY, 30 * DAY, false);
    const Certificate selfSigned =
        issue(key.get(), "127.0.0.1", ip, nullptr, nullptr, -DAY, 30 * DAY, false);
    const Certificate untrusted =
        issue(key.get(), "127.0.0.1", ip, otherCa.get(), otherCaKey.get(), -DAY, 30 * DAY, false);
    const Certificate nameOnly =
        issue(key.get(), "Test.Example", nullptr, ca.get(), caKey.get(), -DAY, 30 * DAY, false);
    const Certificate commonNameOnly =
        issue(key.get(), "127.0.0.1", nullptr, ca.get(), caKey.get(), -DAY, 30 * DAY, false);

    _caFile = _folder.filePath(QStringLiteral("ca.pem"));
    QFile file(_caFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(pem(ca.get())) <= 0)
        qFatal("cannot write the test CA");
    for (X509* certificate : {good.get(), expired.get(), early.get(), wrongName.get(),
                              selfSigned.get(), untrusted.get(), nameOnly.get(), commonNameOnly.get()})
        _configurations.append(configuration(certificate, key.get()));
}

TestCertificates::~TestCertificates() = default;

void TestCertificates::addServiceTable(const QStringList& parts)
{
    const QString refused = QStringLiteral("The identity of the server 127.0.0.1 could not be verified: %1.");
    const struct {
        const char* name;
        Kind kind;
        QString refusal;
    } rows[] = {
        {"right", Good, QString()},
        {"wrong host", WrongName,
         refused.arg(QStringLiteral("The host name \"127.0.0.1\" doesn't match the certificate name "
                                    "\"wrong.example\""))},
        {"self-signed", SelfSigned, refused.arg(QStringLiteral("Self signed certificate"))},
        {"expired", Expired, refused.arg(QStringLiteral("The certificate has expired"))},
        {"untrusted authority", UntrustedCa, refused.arg(QStringLiteral("Unable to get local issuer certificate"))},
        {"common name only", CommonNameOnly,
         refused.arg(QStringLiteral("The certificate lists no subject alternative name, so it cannot be checked "
                                    "against the host name \"127.0.0.1\""))},
    };
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("refusal");
    for (const QString& part : parts) {
        for (const auto& row : rows) {
            const QString name = QStringLiteral("%1 %2").arg(part, QLatin1String(row.name)).trimmed();
            QTest::newRow(qPrintable(name)) << part << int(row.kind) << row.refusal;
        }
    }
}

QSslConfiguration TestCertificates::serverConfiguration(Kind kind) const
{
    return _configurations.at(kind);
}
