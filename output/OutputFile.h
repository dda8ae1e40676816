#pragma once

#include "output/OutputTarget.h"
#include "output/TemporaryCleanup.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace Vextal {

// The one way the tools write a file. What is at the path decides how:
// - a regular file, or nothing: the output is written into an unnamed file in
//   the same folder and linked into place whole by commit(), so the path holds
//   either the old file or the complete new one, even after a crash. An
//   existing file keeps its permissions, and its owner and group where the
//   user may give them; a file the user may not write is refused.
// - a symbolic link: its final target is replaced so, and the link stays.
// - a FIFO, a character device, or "-" (standard output): written straight
//   into, as a stream.
// - a folder, a block device or a socket: refused.
// A file being read (the options' inputs) is never written over, whatever
// name or link leads to it.
class OutputFile {
public:
    struct Options {
        std::string input;            // a file that must not be the output
        bool unnamedTemporary = true; // false: a named one, as where O_TMPFILE is missing
        std::vector<std::string> otherInputs = {}; // more files that must not be the output
        // Only regular files, for a program that must never block: a FIFO, a
        // device or a link to standard output is refused, and "-" is a file.
        bool regularOnly = false;
        // When given: a FIFO is waited for and written without blocking, so
        // that setting the stop ends the wait within milliseconds (the
        // output then fails with "Operation canceled").
        const std::atomic<bool>* stop = nullptr;
    };

    explicit OutputFile(const std::string& path);
    OutputFile(const std::string& path, const Options& options);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // An output never committed leaves no trace; the old file stays.
    ~OutputFile();

    // The stream to write to; null when the output cannot be written
    // (error() says why).
    std::FILE* stream() const { return file; }

    // Flushes, puts the new file in place and makes it durable. False, with
    // error() set, when anything failed; the old file is then untouched.
    bool commit();

    // One line without the path: "cannot write: No space left on device".
    const std::string& error() const { return message; }
    // The path as messages should name it ("standard output" for "-").
    const std::string& name() const { return shownName; }

private:
    bool refuseInput(const struct stat& output, const Options& options);
    void openStandardOutput(const Options& options);
    void openStream(const Options& options);
    void openReplacement(const Options& options);
    bool mayReplace();
    bool createUnnamed();
    bool createNamed();
    void keepOwnerAndPermissions();
    bool attachStream();
    int openStreamTarget(const std::atomic<bool>* stop) const;
    bool waitUntilWritable();
    static ssize_t writeAll(void* self, const char* bytes, std::size_t size);
    bool linkIntoPlace();
    bool renameIntoPlace(const std::string& from);
    void syncFolder();
    bool fail(const std::string& what);
    bool failWithErrno(const std::string& what);
    void discard();

    enum class Mode { none, stream, unnamed, named };
    Mode mode = Mode::none;
    OutputTarget target;
    std::string shownName;
    int folderFd = -1;
    bool folderSyncable = false;
    int fd = -1;
    int writeError = 0; // the first failed write's errno
    const std::atomic<bool>* stop = nullptr;
    std::FILE* file = nullptr;
    std::string temporaryName; // a named temporary's name in the folder
    TemporaryCleanup cleanup;
    struct sigaction previousFileSizeAction {};
    std::string message;
};

} // namespace Vextal
