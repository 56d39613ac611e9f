#include "TextFiles.h"

#include "AppPaths.h"
#include "Cp932.h"
#include "PageEncoding.h"
#include "SystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

#ifndef Q_OS_UNIX
#error "The file writer is written for POSIX systems."
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// "U+XXXX" (or more digits) for the character at text[i], surrogate pairs combined.
QString CodePointName(const QString &text, qsizetype i)
{
    char32_t cp = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
    return u"U+"_s + QString::number(uint(cp), 16).toUpper().rightJustified(4, u'0');
}

QString CharacterShown(const QString &text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return text.mid(i, 2);
    if (text[i].isSurrogate())
        return QString();
    return QString(text[i]);
}

} // namespace

std::optional<QByteArray> ReadFileBytes(const QString &path)
{
    QFile file;
    if (!OpenRegularFile(file, path))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::optional<QString> ReadCp932File(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return Cp932::decode(*bytes);
}

QString DecodeHtmlBytes(const QByteArray &bytes)
{
    return DecodeHtmlFile(bytes).text;
}

namespace {

QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

// A free name for the temporary file beside target: the target's name, the
// mark ".qvtmp" and a random base-36 suffix, or a fixed short stem when the
// name is already long. The mark tells the writer's leftovers apart from a
// user's own "WizList.dat.backup", so cleaning up never removes those.
QString tempNameBeside(const QString &target)
{
    const QFileInfo fi(target);
    QString stem = fi.fileName();
    if (nativeName(stem).size() > 200)
        stem = u"quorvel"_s;
    const quint64 r = QRandomGenerator::global()->generate64();
    return fi.path() + u'/' + stem + TempNameMark + QString::number(r & 0xFFFFFFFFFFull, 36);
}

} // namespace

bool OpenRegularFile(QFile &file, const QString &path, QString *reason)
{
    const auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty())
        return fail(SystemErrorText(ENOENT));
    if (path.contains(QChar(0)))
        return fail(u"ファイル名にNUL文字が含まれています"_s);
    // O_NONBLOCK: opening a FIFO must not wait for a writer. A regular file
    // reads the same either way.
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(LastSystemErrorText());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        return fail(folder ? u"フォルダです"_s : u"通常のファイルではありません（FIFOやデバイスなど）"_s);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const QString why = LastSystemErrorText();
        ::close(fd);
        return fail(why);
    }
    return true;
}

namespace {
QString &privateFolder()
{
    static QString folder;
    return folder;
}
} // namespace

void SetPrivateFolder(const QString &folder)
{
    privateFolder() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

QString PrivateFolder()
{
    return privateFolder();
}

bool PathIsInside(const QString &path, const QString &folder)
{
    if (folder.isEmpty() || path.isEmpty())
        return false;
    const QString f = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (f == u"/")
        return p.size() > 1;
    return p.size() > f.size() + 1 && p.startsWith(f) && p.at(f.size()) == u'/';
}

bool MakeOwnFolder(const QString &path, QString *reason)
{
    struct stat st {};
    if (::lstat(nativeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (::unlink(nativeName(path).constData()) != 0 && errno != ENOENT) {
            if (reason)
                *reason = LastSystemErrorText();
            return false;
        }
    }
    if (!MakeFolderPath(path, reason))
        return false;
    // Made by someone else between the two steps.
    if (::lstat(nativeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (reason)
            *reason = u"「%1」はフォルダではありません"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

bool RemoveInsideFolder(const QString &folder, const QString &name)
{
    if (name.isEmpty() || name.contains(u'/') || name == u"." || name == u"..")
        return false;
    const int dir = ::open(nativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0)
        return errno == ENOENT;
    const bool ok = ::unlinkat(dir, nativeName(name).constData(), 0) == 0 || errno == ENOENT;
    ::close(dir);
    return ok;
}

bool MakeFolderPath(const QString &path, QString *reason)
{
    const auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.isEmpty())
        return fail(SystemErrorText(ENOENT));
    if (path.contains(QChar(0)))
        return fail(u"ファイル名にNUL文字が含まれています"_s);
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // From the top down: each missing part is made; one that stands must be a folder.
    qsizetype from = clean.startsWith(u'/') ? 1 : 0;
    for (;;) {
        const qsizetype slash = clean.indexOf(u'/', from);
        const QString part = slash < 0 ? clean : clean.left(slash);
        if (!part.isEmpty()) {
            if (::mkdir(nativeName(part).constData(), 0777) != 0 && errno != EEXIST)
                return fail(LastSystemErrorText());
            struct stat st {};
            if (::stat(nativeName(part).constData(), &st) != 0)
                return fail(LastSystemErrorText());
            if (!S_ISDIR(st.st_mode))
                return fail(u"「%1」はフォルダではありません"_s.arg(QDir::toNativeSeparators(part)));
        }
        if (slash < 0)
            return true;
        from = slash + 1;
    }
}

AtomicFileWriter::AtomicFileWriter(const QString &path, WriteMode mode, LinkMode links)
    : m_path(path)
    , m_mode(mode)
    , m_links(links)
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    cancel();
}

bool AtomicFileWriter::fail(const QString &reason)
{
    m_reason = reason;
    return false;
}

QString AtomicFileWriter::errorMessage() const
{
    return u"ファイル「%1」を書き込めませんでした: %2"_s.arg(VisibleText(QDir::toNativeSeparators(m_path)), m_reason);
}

bool AtomicFileWriter::open()
{
    cancel();
    m_reason.clear();
    m_keepMode = false;
    if (m_path.isEmpty())
        return fail(SystemErrorText(ENOENT));
    if (m_path.contains(QChar(0)))
        return fail(u"ファイル名にNUL文字が含まれています"_s);
    m_target = m_path;
    m_existed = false;
    // Nothing in the program's own folders is written through a link.
    if (PathIsInside(m_path, AppDir()))
        m_links = LinkMode::Replace;
    m_private = PathIsInside(m_path, PrivateFolder());
    struct stat st {};
    if (m_links == LinkMode::Follow && ::lstat(nativeName(m_path).constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // The file the link names is replaced and the link stays; a link
        // that names nothing is replaced itself.
        const QString resolved = QFileInfo(m_path).canonicalFilePath();
        if (!resolved.isEmpty())
            m_target = resolved;
    }
    if (::lstat(nativeName(m_target).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(SystemErrorText(EISDIR));
        if (S_ISREG(st.st_mode)) {
            // A file the user may not write stays as it is, even though its
            // folder would let a new file take its place.
            if (::access(nativeName(m_target).constData(), W_OK) != 0)
                return fail(errno == EACCES ? u"書き込みが許可されていないファイルです"_s : LastSystemErrorText());
            m_keepMode = true;
            m_fileMode = st.st_mode & (m_private ? 07700 : 07777);
            m_owner = st.st_uid;
            m_group = st.st_gid;
        } else if (!S_ISLNK(st.st_mode)) {
            return fail(u"同じ名前の、通常のファイルではないもの（FIFOやデバイスなど）があります"_s);
        }
    } else if (errno != ENOENT) {
        return fail(LastSystemErrorText());
    }

    // A new file gets the permissions any new file gets (the umask applies);
    // one that replaces a file gets that file's permissions at commit.
    // A file of the private folder is the user's alone from the start.
    const mode_t createMode = m_keepMode || m_private ? 0600 : 0666;
    int err = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString temp = tempNameBeside(m_target);
        m_fd = ::open(nativeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, createMode);
        if (m_fd >= 0) {
            m_temp = temp;
            return true;
        }
        err = errno;
        if (err != EEXIST)
            break;
    }
    return fail(SystemErrorText(err));
}

bool AtomicFileWriter::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        return fail(m_reason.isEmpty() ? SystemErrorText(EBADF) : m_reason);
    // Unbuffered: every failure (a full disk, a size limit) shows here.
    while (size > 0) {
        const size_t chunk = size_t(std::min<qint64>(size, qint64(1) << 30));
        const ssize_t n = ::write(m_fd, data, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            cancel();
            return fail(SystemErrorText(err));
        }
        data += n;
        size -= n;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    return finish(true);
}

bool AtomicFileWriter::commitNew()
{
    return finish(false);
}

bool AtomicFileWriter::finish(bool replace)
{
    if (!replace && m_keepMode) {
        cancel();
        m_existed = true;
        return fail(SystemErrorText(EEXIST));
    }
    if (m_fd < 0)
        return fail(m_reason.isEmpty() ? SystemErrorText(EBADF) : m_reason);
    if (m_keepMode) {
        // Owner and group first: changing them can clear the mode's special bits.
        struct stat st {};
        if (::fstat(m_fd, &st) == 0 && (st.st_uid != m_owner || st.st_gid != m_group)) {
            // Only root may give the file away; anyone else keeps their own.
            [[maybe_unused]] const int ignored = ::fchown(m_fd, m_owner, m_group);
        }
        ::fchmod(m_fd, mode_t(m_fileMode));
    }
    if (m_mode == WriteMode::Durable && ::fsync(m_fd) != 0) {
        const int err = errno;
        cancel();
        return fail(SystemErrorText(err));
    }
    const int fd = m_fd;
    m_fd = -1;
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0 && errno != EINTR) {
        const int err = errno;
        cancel();
        return fail(SystemErrorText(err));
    }
    if (replace) {
        if (::rename(nativeName(m_temp).constData(), nativeName(m_target).constData()) != 0) {
            const int err = errno;
            cancel();
            return fail(SystemErrorText(err));
        }
    } else {
        // A hard link is made only where no name stands: of two processes,
        // exactly one gets the name.
        if (::link(nativeName(m_temp).constData(), nativeName(m_target).constData()) != 0) {
            int err = errno;
            struct stat st {};
            if (err != EEXIST && ::lstat(nativeName(m_target).constData(), &st) != 0) {
                // A file system without hard links: the name was free a
                // moment ago.
                err = ::rename(nativeName(m_temp).constData(), nativeName(m_target).constData()) == 0 ? 0 : errno;
            } else if (err != EEXIST) {
                err = EEXIST;
            }
            if (err != 0) {
                m_existed = err == EEXIST;
                cancel();
                return fail(SystemErrorText(err));
            }
        } else {
            ::unlink(nativeName(m_temp).constData());
        }
    }
    m_temp.clear();
    if (m_mode == WriteMode::Durable) {
        // The rename itself reaches the disk with the folder.
        const int dir = ::open(nativeName(QFileInfo(m_target).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return true;
}

void AtomicFileWriter::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(nativeName(m_temp).constData());
        m_temp.clear();
    }
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error, WriteMode mode,
                         LinkMode links)
{
    AtomicFileWriter writer(path, mode, links);
    if (writer.open() && writer.write(bytes) && writer.commit())
        return true;
    if (error)
        *error = writer.errorMessage();
    return false;
}

bool WriteCp932File(const QString &path, const QString &text, QString *error)
{
    QByteArray bytes;
    qsizetype bad = -1;
    if (!Cp932::encode(text, &bytes, &bad)) {
        if (error) {
            const qsizetype line = QStringView(text).left(bad).count(u'\n') + 1;
            *error = u"ファイル「%1」を保存できません: %2 行目の文字「%3」(%4) はシフトJISにない文字です。"_s.arg(
                QDir::toNativeSeparators(path), QString::number(line), CharacterShown(text, bad),
                CodePointName(text, bad));
        }
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}

bool PageDeclaresUtf8(const QString &html)
{
    return PageFileEncodingOf(html) == PageFileEncoding::Utf8;
}

QByteArray EncodePageFile(const QString &html, CharChanges *changes)
{
    QByteArray bytes = EncodePageText(html, PageFileEncodingOf(html), changes);
    bytes += "\r\n"; // in place: the encoder leaves room
    return bytes;
}

bool WritePageFile(const QString &path, const QString &html, QString *error, WriteMode mode, LinkMode links,
                   CharChanges *changes)
{
    return WriteFileAtomically(path, EncodePageFile(html, changes), error, mode, links);
}
