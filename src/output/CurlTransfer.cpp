#include "CurlTransfer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QUrl>

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

constexpr long ConnectSeconds = 20;
constexpr long UploadBufferBytes = 512 * 1024;
constexpr long StalledSeconds = 60; // a transfer that moves no byte for this long has timed out

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Skips count blank-separated fields of line from pos; returns the position
// of the next field (or -1).
qsizetype SkipFields(const QString &line, qsizetype pos, int count)
{
    for (int i = 0; i < count; ++i) {
        while (pos < line.size() && line.at(pos).isSpace())
            ++pos;
        while (pos < line.size() && !line.at(pos).isSpace())
            ++pos;
    }
    while (pos < line.size() && line.at(pos) == u' ')
        ++pos;
    return pos < line.size() ? pos : -1;
}

// Quotes a path for libcurl's SFTP commands.
QString QuotedPath(QString path)
{
    path.replace(u'\\', u"\\\\"_s);
    path.replace(u'"', u"\\\""_s);
    return u'"' + path + u'"';
}

// A remote name as it goes into the URL: percent-encoded UTF-8.
QString UrlPart(const QString &part)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(part));
}

thread_local CurlTransfer::Callbacks *tCurrent = nullptr;

} // namespace

QVector<RemoteEntry> ParseLongListing(const QByteArray &listing)
{
    QVector<RemoteEntry> out;
    for (QByteArray raw : listing.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty())
            continue;
        RemoteEntry e;
        const QStringList f = line.simplified().split(u' ');
        qsizetype namePos = -1;
        if (f.size() >= 9 && f.at(0).size() >= 10 && QStringLiteral("-dlbcps").contains(f.at(0).at(0))) {
            e.folder = f.at(0).at(0) == u'd';
            if (f.at(0).at(0) == u'-')
                e.size = f.at(4).toLongLong();
            namePos = SkipFields(line, 0, 8);
        } else if (f.size() >= 4 && f.at(0).size() >= 8 && f.at(0).at(2) == u'-' && f.at(0).at(0).isDigit()) {
            // MS-DOS style: date, time, <DIR> or size, name
            e.folder = f.at(2) == u"<DIR>";
            if (!e.folder)
                e.size = f.at(2).toLongLong();
            namePos = SkipFields(line, 0, 3);
        }
        if (namePos < 0)
            continue;
        e.name = line.mid(namePos);
        if (f.at(0).startsWith(u'l')) { // "name -> target": a link is no file the project wrote
            e.name = e.name.section(u" -> "_s, 0, 0);
            e.folder = true;
        }
        if (e.name != u"." && e.name != u"..")
            out.append(e);
    }
    return out;
}

bool IsSafeRemoteName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\'))
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

QString PartName(const QString &name)
{
    return u'.' + name + u".qvpart";
}

bool IsPartName(const QString &name)
{
    return name.size() > 8 && name.startsWith(u'.') && name.endsWith(u".qvpart");
}

// The callbacks libcurl calls, with the transfer they serve.
struct CurlTransfer::Callbacks
{
    CurlTransfer *t;

    static size_t write(char *data, size_t size, size_t n, void *p)
    {
        static_cast<CurlTransfer *>(p)->m_body.append(data, qsizetype(size * n));
        return size * n;
    }
    static size_t header(char *data, size_t size, size_t n, void *p)
    {
        static_cast<CurlTransfer *>(p)->m_headers.append(data, qsizetype(size * n));
        return size * n;
    }
    static size_t read(char *buffer, size_t size, size_t n, void *p)
    {
        auto *t = static_cast<CurlTransfer *>(p);
        if (t->m_cancel->load())
            return CURL_READFUNC_ABORT;
        const qint64 got = t->m_upload ? t->m_upload->read(buffer, qint64(size * n)) : 0;
        return got < 0 ? CURL_READFUNC_ABORT : size_t(got);
    }
    static int progress(void *p, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow)
    {
        auto *t = static_cast<CurlTransfer *>(p);
        if (t->m_cancel->load())
            return 1;
        if (t->m_progress)
            t->m_progress(qint64(ulnow));
        return 0;
    }

    // SSH host key: only a key found in the program's known hosts passes;
    // any other stops the connection with a question.
    static int hostKey(CURL *, const curl_khkey *, const curl_khkey *found, curl_khmatch match, void *p)
    {
        auto *t = static_cast<CurlTransfer *>(p);
        if (match == CURLKHMATCH_OK)
            return CURLKHSTAT_FINE;
        const QByteArray blob = found->len ? QByteArray(found->key, qsizetype(found->len))
                                           : QByteArray::fromBase64(QByteArray(found->key));
        // The key's type is the first string of its blob ("ssh-ed25519").
        QString type;
        if (blob.size() > 4) {
            const quint32 len = (quint32(quint8(blob[0])) << 24) | (quint32(quint8(blob[1])) << 16)
                                | (quint32(quint8(blob[2])) << 8) | quint32(quint8(blob[3]));
            if (len < 64 && qsizetype(len) + 4 <= blob.size())
                type = QString::fromLatin1(blob.mid(4, len));
        }
        t->m_question.kind = match == CURLKHMATCH_MISMATCH ? TrustQuestion::ChangedHostKey : TrustQuestion::NewHostKey;
        t->m_question.server = PublishServerName(t->m_s);
        t->m_question.keyType = type;
        t->m_question.fingerprint = SshFingerprint(blob);
        t->m_questionKey = blob;
        return CURLKHSTAT_REJECT;
    }

    // TLS: keep the server's certificate so that one the authorities do not
    // vouch for can be shown. Pinned: every chain passes here; libcurl then
    // compares the public key with the accepted one before anything is sent.
    static int verify(int preverifyOk, X509_STORE_CTX *ctx)
    {
        if (!tCurrent)
            return preverifyOk;
        CurlTransfer *t = tCurrent->t;
        if (X509 *cert = X509_STORE_CTX_get0_cert(ctx)) {
            unsigned char *der = nullptr;
            const int n = i2d_X509(cert, &der);
            if (n > 0)
                t->m_certDer = QByteArray(reinterpret_cast<const char *>(der), n);
            OPENSSL_free(der);
            der = nullptr;
            const int k = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &der);
            if (k > 0)
                t->m_certSpki = QByteArray(reinterpret_cast<const char *>(der), k);
            OPENSSL_free(der);
            if (EVP_PKEY *key = X509_get0_pubkey(cert))
                t->m_certType = QString::fromLatin1(EVP_PKEY_get0_type_name(key));
        }
        return t->m_pin.isEmpty() ? preverifyOk : 1;
    }
    static CURLcode sslContext(CURL *, void *sslCtx, void *)
    {
        SSL_CTX_set_verify(static_cast<SSL_CTX *>(sslCtx), SSL_VERIFY_PEER, verify);
        return CURLE_OK;
    }
};

CurlTransfer::CurlTransfer(const PublishSettings &settings, const QString &password, const PublishStore &store,
                           const std::atomic<bool> *cancel)
    : m_s(settings), m_password(password), m_store(store), m_cancel(cancel)
{
    InitCurlOnce();
    m_curl = curl_easy_init();
    m_multi = curl_multi_init();
    if (m_s.port <= 0)
        m_s.port = DefaultPublishPort(m_s.protocol);
    m_absolute = m_s.remoteFolder.startsWith(u'/');
    for (const QString &part : m_s.remoteFolder.split(u'/', Qt::SkipEmptyParts))
        if (part != u".")
            m_folderParts.append(part);
    if (m_s.protocol == PublishProtocol::Ftps)
        m_pin = m_store.pinnedKey(m_s.host, m_s.port);
}

CurlTransfer::~CurlTransfer()
{
    curl_multi_cleanup(static_cast<CURLM *>(m_multi));
    curl_easy_cleanup(static_cast<CURL *>(m_curl));
    curl_slist_free_all(static_cast<curl_slist *>(m_quoteList));
}

QString CurlTransfer::sftpPath(const QString &name) const
{
    QString path = m_absolute ? QString() : u"/~"_s;
    for (const QString &part : m_folderParts)
        path += u'/' + part;
    return path + u'/' + name;
}

QString CurlTransfer::fileUrl(const QString &name) const
{
    const bool sftp = m_s.protocol == PublishProtocol::Sftp;
    const QString host = m_s.host.contains(u':') ? u'[' + m_s.host + u']' : m_s.host;
    QString url = (sftp ? u"sftp://"_s : u"ftp://"_s) + host + u':' + QString::number(m_s.port);
    if (!m_absolute)
        url += sftp ? u"/~"_s : QString();
    else if (!sftp)
        url += u"/%2F"_s; // FTP paths are relative to the login folder unless they start at the root
    for (const QString &part : m_folderParts)
        url += u'/' + UrlPart(part);
    return url + u'/' + UrlPart(name);
}

QString CurlTransfer::folderUrl() const
{
    return fileUrl(QString());
}

void CurlTransfer::setQuote(int option, const QStringList &commands)
{
    curl_slist *list = nullptr;
    for (const QString &c : commands)
        list = curl_slist_append(list, c.toUtf8().constData());
    curl_slist_free_all(static_cast<curl_slist *>(m_quoteList));
    m_quoteList = list;
    curl_easy_setopt(static_cast<CURL *>(m_curl), CURLoption(option), list);
}

void CurlTransfer::setCommon(const QString &url)
{
    CURL *c = static_cast<CURL *>(m_curl);
    curl_easy_reset(c);
    curl_slist_free_all(static_cast<curl_slist *>(m_quoteList));
    m_quoteList = nullptr;
    m_body.clear();
    m_headers.clear();
    m_errorBuffer[0] = 0;
    curl_easy_setopt(c, CURLOPT_URL, url.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, ConnectSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, StalledSeconds);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Callbacks::progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Callbacks::write);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Callbacks::header);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(c, CURLOPT_USERNAME, m_s.user.toUtf8().constData());
    curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_RETRY));
    if (m_s.protocol == PublishProtocol::Sftp) {
        long auth = CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
        if (!m_s.privateKeyFile.isEmpty()) {
            auth = CURLSSH_AUTH_PUBLICKEY;
            curl_easy_setopt(c, CURLOPT_SSH_PRIVATE_KEYFILE, QFile::encodeName(m_s.privateKeyFile).constData());
            const QString pub = m_s.privateKeyFile + u".pub";
            // Empty: libssh2 derives the public key from the private one.
            curl_easy_setopt(c, CURLOPT_SSH_PUBLIC_KEYFILE, QFile::exists(pub) ? QFile::encodeName(pub).constData() : "");
            if (!m_password.isEmpty())
                curl_easy_setopt(c, CURLOPT_KEYPASSWD, m_password.toUtf8().constData());
        } else {
            curl_easy_setopt(c, CURLOPT_PASSWORD, m_password.toUtf8().constData());
        }
        if (m_s.useAgent && qEnvironmentVariableIsSet("SSH_AUTH_SOCK"))
            auth |= CURLSSH_AUTH_AGENT;
        curl_easy_setopt(c, CURLOPT_SSH_AUTH_TYPES, auth);
        curl_easy_setopt(c, CURLOPT_SSH_KNOWNHOSTS, QFile::encodeName(m_store.knownHostsPath()).constData());
        curl_easy_setopt(c, CURLOPT_SSH_KEYFUNCTION, &Callbacks::hostKey);
        curl_easy_setopt(c, CURLOPT_SSH_KEYDATA, this);
        return;
    }
    curl_easy_setopt(c, CURLOPT_PASSWORD, m_password.toUtf8().constData());
    if (!m_s.passive)
        curl_easy_setopt(c, CURLOPT_FTPPORT, "-");
    if (m_s.protocol == PublishProtocol::Ftps) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        // TLS 1.2: under TLS 1.3 the server sends session tickets on each data
        // connection after the handshake; libcurl never reads them on an
        // upload, so closing the connection resets it and the server may lose
        // the end of the file (the size check after each upload catches that, but every
        // large file would fail).
        curl_easy_setopt(c, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2 | CURL_SSLVERSION_MAX_TLSv1_2));
        curl_easy_setopt(c, CURLOPT_SSL_CTX_FUNCTION, &Callbacks::sslContext);
        if (!m_pin.isEmpty()) {
            // The user accepted this server's key: the authorities are not
            // asked, the key must be the same.
            curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(c, CURLOPT_PINNEDPUBLICKEY, m_pin.toLatin1().constData());
        }
    }
}

bool CurlTransfer::perform()
{
    m_fault = PublishFault::None;
    m_detail.clear();
    m_certDer.clear();
    m_certSpki.clear();
    m_questionKey.clear();
    Callbacks cb{this};
    tCurrent = &cb;
    CURL *easy = static_cast<CURL *>(m_curl);
    CURLcode code = CURLE_OK;
    if (m_s.protocol == PublishProtocol::Sftp) {
        code = curl_easy_perform(easy);
    } else {
        // FTP is driven through a multi handle with a short wait: libcurl 7.88
        // misses that a data connection is made and would sit out a second
        // on each file.
        CURLM *multi = static_cast<CURLM *>(m_multi);
        curl_multi_add_handle(multi, easy);
        for (int running = 1; running;) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                code = CURLE_OUT_OF_MEMORY;
                break;
            }
            if (running)
                curl_multi_poll(multi, nullptr, 0, 1, nullptr);
        }
        int left = 0;
        while (CURLMsg *msg = curl_multi_info_read(multi, &left))
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy)
                code = msg->data.result;
        curl_multi_remove_handle(multi, easy);
    }
    tCurrent = nullptr;
    if (code == CURLE_OK)
        return true;
    m_detail = QString::fromUtf8(m_errorBuffer[0] ? m_errorBuffer : curl_easy_strerror(code)).trimmed();
    // The FTP server's last reply says more than the code ("426 ... No space left on device").
    const QList<QByteArray> replies = m_headers.trimmed().split('\n');
    const QString reply = QString::fromUtf8(replies.last()).trimmed();
    if (m_s.protocol != PublishProtocol::Sftp && reply.size() > 4 && reply.at(0).isDigit() && !reply.startsWith(u'2'))
        m_detail += u": "_s + reply;
    m_fault = classify(code);
    return false;
}

PublishFault CurlTransfer::classify(int code)
{
    long response = 0;
    curl_easy_getinfo(static_cast<CURL *>(m_curl), CURLINFO_RESPONSE_CODE, &response);
    if (m_cancel->load())
        return PublishFault::Cancelled;
    if (!m_questionKey.isEmpty())
        return PublishFault::TrustQuestion;
    const bool sftp = m_s.protocol == PublishProtocol::Sftp;
    // FTP: 452 and 552 are "no room", whatever the code libcurl chose; SFTP names the reason.
    if (response == 452 || response == 552 || m_detail.contains(u"No space left"_s)
        || m_detail.contains(u"quota"_s, Qt::CaseInsensitive))
        return PublishFault::Quota;
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        return PublishFault::Cancelled;
    case CURLE_COULDNT_RESOLVE_HOST:
        return PublishFault::HostNotFound;
    case CURLE_COULDNT_CONNECT:
        return PublishFault::Refused;
    case CURLE_OPERATION_TIMEDOUT:
        return PublishFault::TimedOut;
    case CURLE_LOGIN_DENIED:
        return PublishFault::LoginDenied;
    case CURLE_USE_SSL_FAILED:
        return PublishFault::NoTls;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        if (!sftp && !m_certDer.isEmpty()) {
            m_question.kind = TrustQuestion::UnverifiedCertificate;
            m_question.server = PublishServerName(m_s);
            m_question.keyType = m_certType;
            m_question.fingerprint = CertificateFingerprint(m_certDer);
            m_questionKey = "sha256//" + QCryptographicHash::hash(m_certSpki, QCryptographicHash::Sha256).toBase64();
            return PublishFault::TrustQuestion;
        }
        return PublishFault::Certificate;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return PublishFault::Certificate;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND: // the folder could not be made
        return PublishFault::Permission;
    case CURLE_REMOTE_DISK_FULL:
        return PublishFault::Quota;
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
        // FTP: 550 and 553 are a refusal.
        if (response == 550 || response == 553 || response == 532 || m_detail.contains(u"ermission denied"_s))
            return PublishFault::Permission;
        return sftp && code == CURLE_UPLOAD_FAILED ? PublishFault::Lost : PublishFault::Other;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_SSH:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
        return PublishFault::Lost;
    default:
        return PublishFault::Other;
    }
}

bool CurlTransfer::list(QVector<RemoteEntry> *out)
{
    out->clear();
    setCommon(folderUrl());
    curl_easy_setopt(static_cast<CURL *>(m_curl), CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    if (perform()) {
        *out = ParseLongListing(m_body);
        return true;
    }
    // A folder that does not exist yet is made by the first upload.
    if (m_fault == PublishFault::Permission || m_detail.contains(u"No such file"_s)) {
        m_fault = PublishFault::None;
        return true;
    }
    return false;
}

bool CurlTransfer::upload(const QString &localPath, const QString &name, bool existsRemotely,
                          const std::function<void(qint64)> &progress)
{
    if (!IsSafeRemoteName(name)) {
        m_fault = PublishFault::Other;
        m_detail = u"unsafe name: "_s + name;
        return false;
    }
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_fault = PublishFault::Other;
        m_detail = file.errorString();
        return false;
    }
    const QString part = PartName(name);
    setCommon(fileUrl(part));
    CURL *c = static_cast<CURL *>(m_curl);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &Callbacks::read);
    curl_easy_setopt(c, CURLOPT_READDATA, this);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(file.size()));
    curl_easy_setopt(c, CURLOPT_UPLOAD_BUFFERSIZE, UploadBufferBytes);
    const bool sftp = m_s.protocol == PublishProtocol::Sftp;
    if (sftp) {
        // Every SFTP write is acknowledged, so the rename can follow at once.
        // OpenSSH's server renames only onto a free name.
        QStringList after;
        if (existsRemotely)
            after << u"*rm "_s + QuotedPath(sftpPath(name));
        after << u"rename "_s + QuotedPath(sftpPath(part)) + u' ' + QuotedPath(sftpPath(name));
        setQuote(CURLOPT_POSTQUOTE, after);
    }
    m_upload = &file;
    m_progress = progress;
    bool ok = perform();
    m_upload = nullptr;
    m_progress = nullptr;
    if (ok && !sftp) {
        // An FTP server may take a data connection that broke off as a
        // finished file: its size is checked before the file gets its name.
        setCommon(fileUrl(part));
        curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
        curl_off_t size = -1;
        ok = perform() && curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK;
        if (ok && size != curl_off_t(file.size())) {
            ok = false;
            m_fault = PublishFault::Lost;
            m_detail = QStringLiteral("%1: %2 / %3 bytes").arg(name).arg(qint64(size)).arg(file.size());
        }
        if (ok) {
            setCommon(folderUrl());
            curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
            setQuote(CURLOPT_POSTQUOTE, {u"RNFR "_s + part, u"RNTO "_s + name});
            ok = perform();
        }
    }
    if (!ok && m_fault != PublishFault::Cancelled)
        cleanUpAfterFailure(part);
    return ok;
}

// After a failed upload: asks an SFTP server how much room is left (OpenSSH
// reports a full disk only as a failure), and removes the partial file.
void CurlTransfer::cleanUpAfterFailure(const QString &part)
{
    const PublishFault fault = m_fault;
    const QString detail = m_detail;
    const bool sftp = m_s.protocol == PublishProtocol::Sftp;
    setCommon(folderUrl());
    CURL *c = static_cast<CURL *>(m_curl);
    curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 15L);
    if (sftp) {
        setQuote(CURLOPT_QUOTE, {u"*statvfs "_s + QuotedPath(sftpPath(QString())), u"*rm "_s + QuotedPath(sftpPath(part))});
    } else {
        curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
        setQuote(CURLOPT_POSTQUOTE, {u"*DELE "_s + part});
    }
    const bool reached = perform();
    m_fault = fault;
    m_detail = detail;
    if (sftp && reached && (fault == PublishFault::Lost || fault == PublishFault::Other)) {
        qint64 frsize = 0, bavail = -1, flag = 0;
        for (const QByteArray &line : m_headers.split('\n')) {
            if (line.startsWith("f_frsize: "))
                frsize = line.mid(10).trimmed().toLongLong();
            else if (line.startsWith("f_bavail: "))
                bavail = line.mid(10).trimmed().toLongLong();
            else if (line.startsWith("f_flag: "))
                flag = line.mid(8).trimmed().toLongLong();
        }
        // The connection held, yet the write failed: a read-only disk, or
        // (almost) no room left, which is the quota.
        if (flag & 1)
            m_fault = PublishFault::Permission;
        else if (bavail >= 0 && frsize > 0 && bavail * frsize < 64 * 1024)
            m_fault = PublishFault::Quota;
        else if (fault == PublishFault::Lost && reached)
            m_fault = PublishFault::Other;
    }
}

bool CurlTransfer::remove(const QStringList &names, bool ignoreFailures)
{
    if (names.isEmpty())
        return true;
    QStringList commands;
    const QString star = ignoreFailures ? u"*"_s : QString();
    for (const QString &name : names) {
        if (!IsSafeRemoteName(name))
            continue;
        commands << (m_s.protocol == PublishProtocol::Sftp ? star + u"rm "_s + QuotedPath(sftpPath(name))
                                                           : star + u"DELE "_s + name);
    }
    setCommon(folderUrl());
    curl_easy_setopt(static_cast<CURL *>(m_curl), CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    setQuote(CURLOPT_POSTQUOTE, commands);
    return perform();
}
