#pragma once

class QString;

// One change of several statements, stored whole or not at all (StoreConnection::beginChange),
// begun by its construction and ended on every path: end() keeps it when asked to, and a
// change still open when the guard goes (a return, or a failure thrown) is rolled back. A
// failure met inside it is judged once it has ended.
class StoreTransaction
{
public:
    StoreTransaction();
    // A change that holds the file whole from its begin (StoreConnection::beginSoleChange), which
    // tells in `inUse` why it could not begin.
    explicit StoreTransaction(QString* inUse);
    ~StoreTransaction();
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    // Whether the change began: one that did not writes nothing.
    explicit operator bool() const { return m_open; }
    // Ends the change: commits it when `keep`, else rolls it back; whether it was kept.
    bool end(bool keep);

private:
    bool m_open = false;
};
