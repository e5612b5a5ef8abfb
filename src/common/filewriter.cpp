#include "common/filewriter.h"

#include "common/errors.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace corvane {

QString FileWriteFailure::Text() const {
    if (!message.isEmpty())
        return message;
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

FileWriter::FileWriter() = default;
FileWriter::~FileWriter() = default;

bool FileWriter::Fail(const QSaveFile& file, int err, const FailureText& describe) {
    failure_.path = file.fileName();
    failure_.error = err;
    if (err != 0)
        failure_.reason = QString::fromLocal8Bit(std::strerror(err));
    else if (!file.errorString().isEmpty() && file.error() != QFileDevice::NoError)
        failure_.reason = file.errorString();
    else
        failure_.reason = QStringLiteral("the file was not written whole");
    failure_.message = describe ? describe(failure_) : QString();
    staged_.clear(); // each temporary file goes with its QSaveFile
    return false;
}

bool FileWriter::Stage(const QString& path, const QByteArray& bytes, FailureText describe) {
    auto file = std::make_unique<QSaveFile>(path);
    errno = 0;
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(*file, errno, describe);
    errno = 0;
    if (file->write(bytes) != bytes.size())
        return Fail(*file, errno ? errno : EIO, describe);
    staged_.push_back({std::move(file), std::move(describe)});
    return true;
}

bool FileWriter::Commit() {
    for (auto& staged : staged_) {
        errno = 0;
        if (!staged.file->commit()) {
            const FailureText describe = std::move(staged.describe);
            return Fail(*staged.file, errno, describe);
        }
    }
    staged_.clear();
    return true;
}

void FileWriter::CommitOrThrow() {
    if (!Commit())
        throw AppError(failure_.Text());
}

void WriteFileWhole(const QString& path, const QByteArray& bytes) {
    FileWriter writer;
    if (!writer.Stage(path, bytes) || !writer.Commit())
        throw AppError(writer.Failure().Text());
}

} // namespace corvane
