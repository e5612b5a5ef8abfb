#pragma once
// The ways a save can fail on a real system, made for one scope.
#include <QString>
#include <csignal>
#include <sys/resource.h>

namespace corvane::test {

// Lowers the process's file-size limit; the signal it raises is ignored, so
// a write beyond it comes back short, for root as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

// A tmpfs of a few KiB mounted on an empty folder, unmounted at the end;
// only root on a machine that allows mounts gets one.
class TinyFilesystem {
public:
    TinyFilesystem(const QString& folder, int kib);
    ~TinyFilesystem();
    TinyFilesystem(const TinyFilesystem&) = delete;
    TinyFilesystem& operator=(const TinyFilesystem&) = delete;
    bool Mounted() const { return mounted_; }
    // Fills what is left with a file of its own.
    void Fill();
    // Remounts it read-only (or writable again); false when it cannot.
    bool SetReadOnly(bool readOnly);

private:
    QString folder_;
    QByteArray options_;
    bool mounted_ = false;
};

} // namespace corvane::test
