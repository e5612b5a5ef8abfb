#include "common/filewriter.h"

#include "common/errors.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace corvane {

QString FileWriteFailure::Text() const {
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

FileWriter::FileWriter() = default;
FileWriter::~FileWriter() = default;

bool FileWriter::Fail(const QSaveFile& file, int err) {
    failure_.path = file.fileName();
    failure_.error = err;
    if (err != 0)
        failure_.reason = QString::fromLocal8Bit(std::strerror(err));
    else if (!file.errorString().isEmpty() && file.error() != QFileDevice::NoError)
        failure_.reason = file.errorString();
    else
        failure_.reason = QStringLiteral("the file was not written whole");
    staged_.clear(); // each temporary file goes with its QSaveFile
    return false;
}

bool FileWriter::Stage(const QString& path, const QByteArray& bytes) {
    auto file = std::make_unique<QSaveFile>(path);
    errno = 0;
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(*file, errno);
    errno = 0;
    if (file->write(bytes) != bytes.size())
        return Fail(*file, errno ? errno : EIO);
    staged_.push_back(std::move(file));
    return true;
}

bool FileWriter::Commit() {
    for (auto& file : staged_) {
        errno = 0;
        if (!file->commit())
            return Fail(*file, errno);
    }
    staged_.clear();
    return true;
}

void WriteFileWhole(const QString& path, const QByteArray& bytes) {
    FileWriter writer;
    if (!writer.Stage(path, bytes) || !writer.Commit())
        throw AppError(writer.Failure().Text());
}

} // namespace corvane
