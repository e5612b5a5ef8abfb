#pragma once
// The one way the program replaces a file. Each file is written whole into a
// temporary file beside it (unbuffered, so that a short write shows in the
// byte count: a buffered QSaveFile can report a commit as done after its
// flush failed), and only then renamed over the old one. Several files staged
// in one FileWriter are renamed one after the other only once every one of
// them is written, so a failure leaves every old file as it was, and a kill
// in between leaves at most the pair half renamed, each file whole.
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QSaveFile;

namespace corvane {

// Why a write failed: the file and the system's reason.
struct FileWriteFailure {
    QString path;
    int error = 0;   // errno of the failing call, 0 when the system gave none
    QString reason;  // the system's words for it
    QString message; // the caller's own words for it, when it has them
    // The message, else "Cannot write <path>: <reason>"
    QString Text() const;
};

// A caller's own words for a failure of one of its files.
using FailureText = std::function<QString(const FileWriteFailure&)>;

class FileWriter {
public:
    FileWriter();
    ~FileWriter(); // discards what was staged and not committed
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Writes the whole new contents of `path` into its temporary file. On a
    // failure everything staged so far is discarded and the failure returned.
    // describe, when given, words a failure of this file (here or at the
    // commit) as the caller tells it.
    bool Stage(const QString& path, const QByteArray& bytes, FailureText describe = {});
    // Renames every staged file over its old one, in the order staged.
    bool Commit();
    // The same; throws AppError with the failure's text.
    void CommitOrThrow();

    const FileWriteFailure& Failure() const { return failure_; }

private:
    struct Staged {
        std::unique_ptr<QSaveFile> file;
        FailureText describe;
    };
    bool Fail(const QSaveFile& file, int err, const FailureText& describe);
    std::vector<Staged> staged_;
    FileWriteFailure failure_;
};

// One file, whole or not at all; throws AppError with the failure's text.
void WriteFileWhole(const QString& path, const QByteArray& bytes);

} // namespace corvane
