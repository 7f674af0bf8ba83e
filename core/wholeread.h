#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

class QIODevice;

// Reads a file whole or not at all. What the file holds is told by its size when the read
// begins: a read that ends short of it (a network or user-space file system may end one early,
// or with nothing) or fails is tried once more, and a second is a fault of the system, told
// with its reason, never the end of the file.
class WholeRead
{
    Q_DECLARE_TR_FUNCTIONS(WholeRead)

public:
    // The most that one read asks for, so that memory stays flat whatever the size.
    static constexpr qint64 BlockSize = qint64(1) << 20;

    // Reads `wanted` bytes from `offset` of `in`, a file of `size` bytes, into `data`; false
    // with the system's reason when they cannot be read in full.
    static bool block(QIODevice& in, qint64 offset, qint64 size, char* data, qint64 wanted, QString* reason);
    // The `bytes` that `in` holds from its position on (fewer where its size ends before);
    // nothing, with the reason in the system's words, when they cannot be read whole.
    static std::optional<QByteArray> from(QIODevice& in, qint64 bytes, QString* reason);
    // What the regular file at `path` holds; nothing, with the reason in the system's words,
    // when it cannot be opened or read whole.
    static std::optional<QByteArray> all(const QString& path, QString* reason);
};
