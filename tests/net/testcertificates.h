#pragma once

// Certificates made fresh for each test run: a trusted CA and server certificates for
// 127.0.0.1 that are good, expired, not yet valid, for another name, self-signed, or from a
// CA nobody trusts, and one that names its server only in its common name. The trusted CA is written to a PEM file for the client to load.

#include <QSslConfiguration>
#include <QString>
#include <QTemporaryDir>

class TestCertificates
{
public:
    // NameOnly has no alternative names and the common name "Test.Example".
    enum Kind { Good, Expired, NotYetValid, WrongName, SelfSigned, UntrustedCa, NameOnly };

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
