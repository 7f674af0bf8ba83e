#pragma once

// Certificates made fresh for each test run: a trusted CA and server certificates for
// 127.0.0.1 that are good, expired, not yet valid, for another name, self-signed, or from a
// CA nobody trusts, and ones that name a server only in their common name. Their dates lie
// around the program's clock at the time they are made. The trusted CA is written to a PEM
// file for the client to load.

#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TestCertificates
{
public:
    // NameOnly and CommonNameOnly have no alternative names, and the common names
    // "Test.Example" and "127.0.0.1".
    enum Kind { Good, Expired, NotYetValid, WrongName, SelfSigned, UntrustedCa, NameOnly, CommonNameOnly };

    // The table every online service is tested over: a row per certificate its server may
    // present, for each part of the service, with the columns "part" (QString), "kind" (int)
    // and "refusal", the text the user is given (empty for the certificate that is accepted).
    static void addServiceTable(const QStringList& parts = {QString()});

    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    // The PEM file holding the trusted CA.
    QString caFile() const { return _caFile; }
    // A server configuration presenting the certificate of that kind.
    QSslConfiguration serverConfiguration(Kind kind) const;

private:
    QTemporaryDir _folder;
    QString _caFile;
    QList<QSslConfiguration> _configurations;
};
