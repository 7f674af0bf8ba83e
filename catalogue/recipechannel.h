#ifndef PANTREL_CATALOGUE_RECIPECHANNEL_H
#define PANTREL_CATALOGUE_RECIPECHANNEL_H

#include <QByteArray>
#include <QtGlobal>

#include <vector>

class BlockingProcess;

// The byte stream of the recipe access protocol over a child process: every value is
// written and read big-endian, field by field. A read that fails (the child went away,
// stayed silent past the deadline or sent a length that cannot be right) leaves the stream
// out of step, so the channel is then dead and every later call fails at once. Only one call
// may be under way at a time: one begun before the other has ended is refused.
class RecipeChannel {
public:
    explicit RecipeChannel(BlockingProcess* device);

    // Sends the greeting and reads the child's answer and the id of its recipe access
    // object, within the handshake time-out.
    bool handshake(quint32* rootId);
    // Tells the child that the system is done with it (object -1, method -1).
    void close();

    bool isAlive() const;

    // Starts a call: false when another is under way or the channel is dead. The caller
    // ends every call it started with endCall().
    bool beginCall();
    void endCall();
    // Sends a whole request and starts the reply's deadline (the call time-out).
    bool sendRequest(const QByteArray& request);

    bool readInt32(qint32* value);
    bool readInt16(qint16* value);
    bool readDouble(double* value);
    // A length-prefixed UTF-16 text: n units including the terminating 0.
    bool readText(std::vector<char16_t>* units);

    static void appendInt32(QByteArray* bytes, qint32 value);
    static void appendText(QByteArray* bytes, const char16_t* text);

    // How long the child may take to answer the greeting and each call, in milliseconds.
    static void setTimeouts(int handshakeMs, int callMs);

    // The most text units the system accepts in one text from the child.
    static constexpr qint32 MAX_TEXT_UNITS = 32768;
    static constexpr qint32 GREETING = qint32(0xFFFFABCD);
    static constexpr qint32 GREETING_ANSWER = qint32(0xFFFF0123);

private:
    bool _send(const QByteArray& bytes, int timeoutMs);
    bool _read(char* data, qint64 size);
    bool _fail();

    BlockingProcess* _device;
    bool _dead = false;
    bool _busy = false;

    static int s_handshakeTimeout;
    static int s_callTimeout;
};

#endif
