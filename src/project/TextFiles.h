#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

struct CharChanges;

// Reading and writing whole text files.

// Reads a file whole. std::nullopt when it cannot be opened or read.
std::optional<QByteArray> ReadFileBytes(const QString &path);

// Reads a file whole and decodes it as code page 932. std::nullopt when the
// file cannot be opened or read.
std::optional<QString> ReadCp932File(const QString &path);

// Decodes bytes of an HTML or template file as DecodeHtmlFile (PageEncoding.h)
// reads them: byte-order mark, the page's own declaration, UTF-8, then code
// page 932 or EUC-JP.
QString DecodeHtmlBytes(const QByteArray &bytes);

// Opens path for reading when it is a regular file (a symbolic link to one is
// followed). A FIFO, a device or a folder is refused without waiting on it.
// On failure *reason (if given) holds the reason in Japanese.
bool OpenRegularFile(QFile &file, const QString &path, QString *reason = nullptr);

// Makes the folder at path and every missing folder above it. True when it
// stands as a folder afterwards; on failure *reason (if given) says why in
// Japanese.
bool MakeFolderPath(const QString &path, QString *reason = nullptr);

// Replaces the file at path with bytes, only once they are completely written
// beside it (write to a temporary file in the same folder, then rename). On
// failure the older file stays whole, false is returned and *error (if given)
// holds a readable reason.
//
// Durable also syncs the new file to disk before the rename, so that a crash
// right after a save never leaves an empty file. Throwaway copies (the preview's
// temporary files, rewritten on every keystroke) skip the sync.
enum class WriteMode { Durable, Throwaway };

// What happens when path is a symbolic link. Follow writes the file it points
// to (a file the user chose by its link); Replace puts the new file in place
// of the link and leaves what it pointed to alone (files written into a folder
// that may hold links put there by others).
enum class LinkMode { Follow, Replace };

// What the writer puts between a file's name and the random suffix of its
// temporary file ("Recovery1.hpf.qvtmp1x9k0a"): cleanup code recognises the
// leftovers of a killed write by it.
inline constexpr QStringView TempNameMark = u".qvtmp";

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                         WriteMode mode = WriteMode::Durable, LinkMode links = LinkMode::Follow);

// Files inside AppDir (the program folder or the per-user folder) are the
// program's own: the writer never follows a link there, whatever the caller
// asked, and replaces the link instead.
//
// The per-user folder is private: a file the writer creates in it is readable
// by its owner only, and one it replaces loses the permissions it gave the
// group and others. Empty (the default) for a program folder, which may be
// shared.
void SetPrivateFolder(const QString &folder);
QString PrivateFolder();

// True when path lies inside folder (folder itself excluded); both are taken
// as written, without resolving links.
bool PathIsInside(const QString &path, const QString &folder);

// Makes path stand as a real folder (not a link), the folders above it
// included: a link standing at path itself, which the program never makes, is
// removed and a folder made in its place; what it pointed to is left alone.
// False with *reason when that cannot be done.
bool MakeOwnFolder(const QString &path, QString *reason = nullptr);

// Removes the entry name from folder without leaving folder: the folder is
// opened without following a link, and a link standing at name is removed
// itself. A missing entry is no error.
bool RemoveInsideFolder(const QString &folder, const QString &name);

// Writes a file in pieces with the same promise as WriteFileAtomically: the
// target is replaced only by commit(), once every byte is on the disk; a
// writer destroyed without commit() leaves the target as it was. Every write
// is checked as it happens, so a full disk or a size limit is reported, never
// left as a short file. A target that exists keeps its permissions; a target
// that is not a regular file (a folder, FIFO or device) is refused.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(const QString &path, WriteMode mode = WriteMode::Durable,
                              LinkMode links = LinkMode::Follow);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    bool open();
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    bool commit();
    // Like commit, but only when nothing stands at the target yet: a file
    // another process put there in the meantime is never replaced. Fails
    // with existed() true in that case.
    bool commitNew();
    bool existed() const { return m_existed; }
    // Drops what was written; the target stays as it was.
    void cancel();

    // Why the last step failed, in Japanese (without the file's name).
    QString reason() const { return m_reason; }
    // "ファイル「path」を書き込めませんでした: reason".
    QString errorMessage() const;

private:
    bool fail(const QString &reason);
    bool finish(bool replace);

    QString m_path;
    QString m_target;
    QString m_temp;
    WriteMode m_mode;
    LinkMode m_links;
    int m_fd = -1;
    bool m_keepMode = false;
    bool m_private = false;
    bool m_existed = false;
    unsigned m_fileMode = 0;
    unsigned m_owner = 0;
    unsigned m_group = 0;
    QString m_reason;
};

// Encodes text as code page 932 and writes it atomically. Refuses (returns false,
// with a reason naming the first character that has no code) instead of
// writing a changed text.
bool WriteCp932File(const QString &path, const QString &text, QString *error = nullptr);

// True when the page declares UTF-8 as its charset: <meta charset="utf-8"> or an
// http-equiv Content-Type whose content names charset=utf-8 (case-insensitive).
bool PageDeclaresUtf8(const QString &html);

// The bytes of a page file: the page text followed by CR LF, in the encoding
// the page declares when it is UTF-8, EUC-JP or a Western one, otherwise in
// code page 932; characters that have no code are written as numeric
// character references. *changes (if given) counts those and the
// characters written as a look-alike.
QByteArray EncodePageFile(const QString &html, CharChanges *changes = nullptr);

// Writes a page file (EncodePageFile) atomically; *changes (if given) counts
// as EncodePageFile does, also when the write then fails.
bool WritePageFile(const QString &path, const QString &html, QString *error = nullptr,
                   WriteMode mode = WriteMode::Durable, LinkMode links = LinkMode::Follow,
                   CharChanges *changes = nullptr);
