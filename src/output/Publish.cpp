#include "Publish.h"

#include "CurlTransfer.h"
#include "PublishStore.h"
#include "SyuturyokuMod.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <openssl/evp.h>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

int DefaultPublishPort(PublishProtocol protocol)
{
    return protocol == PublishProtocol::Sftp ? 22 : 21;
}

QString PublishServerName(const PublishSettings &s)
{
    static const QString schemes[] = {u"sftp"_s, u"ftps"_s, u"ftp"_s};
    QString name = schemes[int(s.protocol)] + u"://";
    if (!s.user.isEmpty())
        name += s.user + u'@';
    name += (s.host.contains(u':') ? u'[' + s.host + u']' : s.host) + u':'
            + QString::number(s.port > 0 ? s.port : DefaultPublishPort(s.protocol));
    const QStringList parts = s.remoteFolder.split(u'/', Qt::SkipEmptyParts);
    return name + (s.remoteFolder.startsWith(u'/') ? u"/"_s : u"/~/"_s) + parts.join(u'/');
}

namespace {

// Every message a transfer can end with: %1 names the server, %2 holds the
// library's or the server's own words.
struct FaultText
{
    PublishFault fault;
    const char16_t *text;
};
const FaultText FaultTexts[] = {
    {PublishFault::Cancelled, u"%1 への転送を中止しました。もう一度転送すると、続きから送ります。"},
    {PublishFault::LoginDenied,
     u"%1 にログインできませんでした。ユーザー名とパスワード（秘密鍵を使う場合はその鍵とパスフレーズ）が正しいか確かめてください。（%2）"},
    {PublishFault::HostNotFound,
     u"サーバー %1 が見つかりませんでした。ホスト名が正しいか、インターネットにつながっているか確かめてください。（%2）"},
    {PublishFault::Refused,
     u"%1 に接続できませんでした（接続を拒否されました）。ホスト名、ポート番号、プロトコルが正しいか確かめてください。（%2）"},
    {PublishFault::TimedOut,
     u"%1 から応答がありません（時間切れ）。ネットワークとサーバーの状態を確かめて、しばらくしてからもう一度転送してください。（%2）"},
    {PublishFault::Certificate,
     u"%1 の証明書またはホスト鍵を確かめられなかったため、接続をやめました。ホスト名が正しいか確かめ、サーバーの管理者に問い合わせてください。（%2）"},
    {PublishFault::NoTls,
     u"%1 は暗号化した接続（FTPS）に対応していません。サーバーの案内でFTPSまたはSFTPが使えるか確かめてください。（%2）"},
    {PublishFault::Permission,
     u"%1 の転送先フォルダーに書き込む権限がありません。転送先フォルダーの指定が正しいか、サーバーの設定を確かめてください。（%2）"},
    {PublishFault::Quota,
     u"%1 の容量がいっぱいで、ファイルを書き込めませんでした。サーバー上の不要なファイルを消すか容量を増やしてから、もう一度転送してください。送り終えたファイルは送り直しません。（%2）"},
    {PublishFault::Lost,
     u"%1 との接続が切れました。ネットワークの状態を確かめて、もう一度転送してください。続きから送ります。（%2）"},
    // A changed host key; %2 is the new key's type and fingerprint.
    {PublishFault::TrustQuestion,
     u"警告: %1 のホスト鍵が、前回接続したときと違います。別のサーバーになりすまされているおそれがあるため、転送をやめました。"
     u"サーバーの管理者に、ホスト鍵を変えたかどうか確かめてください。（新しい鍵 %2）"},
    {PublishFault::Other, u"%1 への転送に失敗しました。（%2）"},
};


QString FaultMessage(PublishFault fault, const QString &server, const QString &detail)
{
    const char16_t *text = FaultTexts[std::size(FaultTexts) - 1].text;
    for (const FaultText &t : FaultTexts)
        if (t.fault == fault)
            text = t.text;
    const QString message = QString::fromUtf16(text);
    return message.contains(u"%2") ? message.arg(server, detail) : message.arg(server);
}

constexpr qint64 ManifestEveryMs = 500;

// OpenSSL's SHA-256 rather than QCryptographicHash: it uses the processor's
// SHA instructions, several times faster on the megabytes of a large site,
// which every publish hashes before it can say what is unchanged.
QByteArray FileSha256(const QString &path, qint64 *size)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX *)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        return QByteArray();
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (qint64 got; (got = f.read(buffer.data(), buffer.size())) != 0; total += got)
        if (got < 0 || EVP_DigestUpdate(ctx.get(), buffer.constData(), size_t(got)) != 1)
            return QByteArray();
    QByteArray digest(32, Qt::Uninitialized);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), reinterpret_cast<unsigned char *>(digest.data()), &length) != 1 || length != 32)
        return QByteArray();
    *size = total;
    return digest;
}

} // namespace

QString PublishFaultMessage(PublishFault fault, const QString &server, const QString &detail)
{
    return FaultMessage(fault, server, detail);
}

struct PublishRun::Private
{
    PublishSettings settings;
    QString password;
    PublishStore store;
    QString server;
    std::atomic<bool> cancel{false};
    std::unique_ptr<QTemporaryDir> staging;
    std::unique_ptr<CurlTransfer> curl;
    PublishPlan plan;
    bool prepared = false;
    QHash<QString, RemoteEntry> remote; // files of the remote folder by name
    QStringList leftovers;              // temporary names a stopped run left behind
    TrustQuestion pending;
    QByteArray pendingKey;

    Private(const PublishSettings &s, const QString &pw, const QString &dataFolder)
        : settings(s), password(pw), store(dataFolder), server(PublishServerName(s))
    {
        if (settings.port <= 0)
            settings.port = DefaultPublishPort(settings.protocol);
    }

    PublishOutcome fail(PublishFault fault, const QString &detail)
    {
        PublishOutcome o;
        o.cancelled = fault == PublishFault::Cancelled;
        o.message = FaultMessage(fault, server, detail);
        return o;
    }

    PublishOutcome failFromCurl()
    {
        if (curl->fault() != PublishFault::TrustQuestion)
            return fail(curl->fault(), curl->detail());
        PublishOutcome o;
        o.trustAsked = true;
        o.question = curl->question();
        pending = o.question;
        pendingKey = curl->questionKey();
        if (o.question.kind == TrustQuestion::ChangedHostKey)
            o.message = FaultMessage(PublishFault::TrustQuestion, server, o.question.keyType + u' ' + o.question.fingerprint);
        return o;
    }
};

PublishRun::PublishRun(const PublishSettings &settings, const QString &password, const QString &dataFolder)
    : d(std::make_unique<Private>(settings, password, dataFolder))
{
}

PublishRun::~PublishRun() = default;

const PublishPlan &PublishRun::plan() const
{
    return d->plan;
}

void PublishRun::cancel()
{
    d->cancel.store(true);
}

PublishOutcome PublishRun::prepare(const ProjectDates &p, OutputCharset charset)
{
    d->prepared = false;
    d->plan = PublishPlan();
    d->remote.clear();
    d->leftovers.clear();
    QString why;
    if (!d->store.ensureFolder(&why))
        return d->fail(PublishFault::Other, why);

    // A fresh staging folder, written by the output command's own writer.
    d->staging = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/quorvel-publish-XXXXXX");
    if (!d->staging->isValid())
        return d->fail(PublishFault::Other, d->staging->errorString());
    SyuturyokuOptions output;
    output.writeMode = WriteMode::Throwaway;
    output.charset = charset;
    const SyuturyokuReport report = SyuturyokuAllInto(p, d->staging->path(), output);
    if (!report.ok()) {
        PublishOutcome o;
        o.message = SyuturyokuFailMessage(report);
        return o;
    }
    QVector<StagedFile> staged;
    const QStringList names = QDir(d->staging->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        StagedFile f;
        f.name = name;
        f.localPath = d->staging->filePath(name);
        f.sha256 = FileSha256(f.localPath, &f.size);
        if (f.sha256.isEmpty())
            return d->fail(PublishFault::Other, f.localPath);
        if (IsSafeRemoteName(f.name))
            staged.append(f);
    }
    if (d->cancel.load())
        return d->fail(PublishFault::Cancelled, QString());

    d->curl = std::make_unique<CurlTransfer>(d->settings, d->password, d->store, &d->cancel);
    QVector<RemoteEntry> listing;
    if (!d->curl->list(&listing))
        return d->failFromCurl();

    // Compare with what was sent last time; a file missing on the server, or
    // of another size there, goes again whatever the manifest says.
    const QHash<QString, ManifestEntry> manifest = d->store.readManifest(d->server);
    QSet<QString> stagedNames;
    for (const StagedFile &f : staged)
        stagedNames.insert(f.name);
    for (const RemoteEntry &e : listing) {
        if (e.folder)
            continue; // the output writes no folders; the server's own stay out of sight
        if (IsPartName(e.name)) {
            d->leftovers.append(e.name);
            continue;
        }
        d->remote.insert(e.name, e);
        if (!stagedNames.contains(e.name)) {
            d->plan.notWritten.append(e.name);
            if (manifest.contains(e.name))
                d->plan.notWrittenSentEarlier.append(e.name);
        }
    }
    for (const StagedFile &f : staged) {
        const auto m = manifest.constFind(f.name);
        const auto r = d->remote.constFind(f.name);
        const bool same = m != manifest.constEnd() && m->size == f.size && m->sha256 == f.sha256
                          && r != d->remote.constEnd() && (r->size < 0 || r->size == f.size);
        if (same) {
            d->plan.unchanged.append(f);
        } else {
            d->plan.toSend.append(f);
            d->plan.bytesToSend += f.size;
        }
    }
    d->prepared = true;
    PublishOutcome o;
    o.ok = true;
    o.message = SyuturyokuSkipMessage(report);
    return o;
}

bool PublishRun::acceptTrust(const TrustQuestion &q, QString *error)
{
    if (q.kind == TrustQuestion::ChangedHostKey) {
        if (error)
            *error = FaultMessage(PublishFault::TrustQuestion, d->server, q.keyType + u' ' + q.fingerprint);
        return false;
    }
    if (d->pendingKey.isEmpty() || q.kind != d->pending.kind || q.fingerprint != d->pending.fingerprint) {
        if (error)
            *error = u"この鍵または証明書について、接続の際に尋ねていません。もう一度接続してください。"_s;
        return false;
    }
    const bool ok = q.kind == TrustQuestion::NewHostKey
                        ? d->store.addHostKey(d->settings.host, d->settings.port, q.keyType, d->pendingKey, error)
                        : d->store.pinKey(d->settings.host, d->settings.port, QString::fromLatin1(d->pendingKey), error);
    if (ok)
        d->pendingKey.clear();
    return ok;
}

PublishOutcome PublishRun::send(bool removeNotWritten, const std::function<void(const PublishProgress &)> &progress)
{
    if (!d->prepared || !d->curl)
        return d->fail(PublishFault::Other, u"not prepared"_s);
    d->prepared = false; // one plan, one send: the server may differ afterwards
    // The manifest keeps only what the server still has.
    QHash<QString, ManifestEntry> manifest = d->store.readManifest(d->server);
    for (auto it = manifest.begin(); it != manifest.end();)
        it = d->remote.contains(it.key()) ? std::next(it) : manifest.erase(it);

    PublishOutcome o;
    // What a stopped run left under temporary names goes first.
    if (!d->leftovers.isEmpty() && !d->curl->remove(d->leftovers, true))
        return d->failFromCurl();

    // The manifest is rewritten whole, so not after every file of a large
    // site: at most every ManifestEveryMs, and always before send returns. A
    // run that dies in between only sends those files again next time.
    QElapsedTimer sinceRecorded;
    sinceRecorded.start();
    bool unrecorded = false;
    const auto record = [&](QString *why) {
        unrecorded = false;
        sinceRecorded.restart();
        return d->store.writeManifest(d->server, manifest, why, false);
    };
    PublishProgress pr;
    pr.fileCount = int(d->plan.toSend.size());
    pr.bytesTotal = d->plan.bytesToSend;
    for (int i = 0; i < d->plan.toSend.size(); ++i) {
        const StagedFile &f = d->plan.toSend.at(i);
        pr.currentFile = f.name;
        pr.fileIndex = i;
        pr.bytesDone = o.bytesSent;
        if (progress)
            progress(pr);
        const qint64 before = o.bytesSent;
        const bool sent = d->curl->upload(f.localPath, f.name, d->remote.contains(f.name), [&](qint64 done) {
            pr.bytesDone = before + done;
            if (progress)
                progress(pr);
        });
        if (!sent) {
            PublishOutcome failed = d->failFromCurl();
            QString ignored; // the transfer's own failure is the one to tell
            if (unrecorded)
                record(&ignored);
            failed.filesSent = o.filesSent;
            failed.bytesSent = o.bytesSent;
            return failed;
        }
        // The server has confirmed the file under its real name: record it.
        d->remote.insert(f.name, RemoteEntry{f.name, false, f.size});
        manifest.insert(f.name, ManifestEntry{f.name, f.size, f.sha256});
        unrecorded = true;
        QString why;
        if (sinceRecorded.elapsed() >= ManifestEveryMs && !record(&why)) {
            PublishOutcome failed = d->fail(PublishFault::Other, why);
            failed.filesSent = o.filesSent + 1;
            return failed;
        }
        ++o.filesSent;
        o.bytesSent += f.size;
    }
    if (QString why; unrecorded && !record(&why)) {
        PublishOutcome failed = d->fail(PublishFault::Other, why);
        failed.filesSent = o.filesSent;
        failed.bytesSent = o.bytesSent;
        return failed;
    }
    if (removeNotWritten && !d->plan.notWritten.isEmpty()) {
        if (!d->curl->remove(d->plan.notWritten, false)) {
            PublishOutcome failed = d->failFromCurl();
            failed.filesSent = o.filesSent;
            failed.bytesSent = o.bytesSent;
            return failed;
        }
        for (const QString &name : std::as_const(d->plan.notWritten)) {
            manifest.remove(name);
            d->remote.remove(name);
        }
    }
    QString why;
    if (!d->store.writeManifest(d->server, manifest, &why))
        return d->fail(PublishFault::Other, why);
    pr.bytesDone = o.bytesSent;
    if (progress && pr.fileCount > 0)
        progress(pr);
    o.ok = true;
    return o;
}
