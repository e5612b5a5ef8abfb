#include "support/filelimits.h"

#include <QDir>
#include <QFile>
#include <sys/mount.h>
#include <unistd.h>

namespace corvane::test {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
}

TinyFilesystem::TinyFilesystem(const QString& folder, int kib) : folder_(folder) {
    QDir().mkpath(folder);
    options_ = "size=" + QByteArray::number(kib) + "k,mode=0700";
    mounted_ = geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs",
                                         MS_NOSUID | MS_NODEV, options_.constData()) == 0;
}

bool TinyFilesystem::SetReadOnly(bool readOnly) {
    const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    return mounted_ && ::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs", flags,
                               options_.constData()) == 0;
}

TinyFilesystem::~TinyFilesystem() {
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

void TinyFilesystem::Fill() {
    QFile filler(QDir(folder_).filePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::Append | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'f');
    for (int i = 0; i < 100000 && filler.write(block) == block.size(); ++i) {
    }
    for (int i = 0; i < 4096 && filler.write("f", 1) == 1; ++i) {
    }
}

} // namespace corvane::test
