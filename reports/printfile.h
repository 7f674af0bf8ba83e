#pragma once

#include "core/workingfile.h"

#include <QString>

#include <thread>

// The file that a print to a PDF goes to. The printer writes its document by name and keeps
// the failures of its writes to itself, so it writes into a pipe; what comes through goes into
// a WorkingFile beside the destination, where every write is checked and a failure keeps the
// system's reason. The destination is replaced only once the printer has ended and the whole
// document is on the disk.
class PrintFile
{
public:
    explicit PrintFile(const QString& destination);
    ~PrintFile();
    PrintFile(const PrintFile&) = delete;
    PrintFile& operator=(const PrintFile&) = delete;

    // Starts the working file and the pipe; false with the reason.
    bool open(QString* reason);
    // The name for the printer to write to, from open() on.
    QString printerFileName() const;
    // Once the printer has ended (and closed what it wrote to), gives the document the
    // destination's name; false with the reason, and then the destination is as it was.
    bool commit(QString* reason);

private:
    // Passes what comes through the pipe into the working file until the printer is done.
    void pass();
    // Closes this program's end for writing and waits until all that was written has passed.
    void finish();

    WorkingFile _file;
    int _reading = -1;
    int _writing = -1;
    std::thread _passer;
    // The system's reason when the document could not be passed whole.
    QString _failure;
};
