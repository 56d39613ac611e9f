#include "FileSystemLimits.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

SmallDisk::SmallDisk(int kilobytes)
{
    if (!m_dir.isValid()) {
        m_reason = QStringLiteral("no temporary folder");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_reason = QStringLiteral("cannot mount a tmpfs here: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool SmallDisk::fill(qint64 freeBytes)
{
    if (!m_mounted)
        return false;
    QFile filler(filePath(QStringLiteral(".filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'f');
    bool full = false;
    for (int i = 0; i < 1 << 20; ++i) {
        if (filler.write(block) != block.size()) {
            full = true;
            break;
        }
    }
    if (!full)
        return false;
    // Whatever part of the last block went in stays; then give back what was asked.
    if (freeBytes > 0)
        full = filler.resize(std::max<qint64>(0, filler.size() - freeBytes));
    return full;
}

bool SmallDisk::makeReadOnly()
{
    return m_mounted
           && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit saved {};
    if (::getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return;
    m_savedCur = saved.rlim_cur;
    m_savedMax = saved.rlim_max;
    m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(bytes);
    m_active = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit saved {};
    saved.rlim_cur = rlim_t(m_savedCur);
    saved.rlim_max = rlim_t(m_savedMax);
    if (m_active)
        ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, m_savedHandler);
}

QStringList AllEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
