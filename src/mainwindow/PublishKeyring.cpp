#include "PublishKeyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

PasswordKeyring::~PasswordKeyring() = default;

namespace {

const QString Service = u"quorvel-publish"_s;
constexpr int AnswerWithinMs = 15000; // time to unlock it, when it asks

// Runs a job and waits for its end without taking the user's input
// meanwhile; atEnd runs when it ended in time. A job that did not is left to
// end (and delete itself) on its own: nothing of this call is reached then.
// False with *reason when it failed or did not end in time.
bool runJob(QKeychain::Job *job, QString *reason, bool missingIsFine,
            const std::function<void(QKeychain::Job *)> &atEnd = {})
{
    QEventLoop loop;
    bool ended = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *j) {
        ended = true;
        if (atEnd)
            atEnd(j);
        loop.quit();
    });
    QTimer::singleShot(AnswerWithinMs, &loop, &QEventLoop::quit);
    job->start();
    if (!ended)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!ended) {
        *reason = u"鍵束が応答しません"_s;
        return false;
    }
    if (job->error() == QKeychain::NoError || (missingIsFine && job->error() == QKeychain::EntryNotFound))
        return true;
    *reason = job->errorString().isEmpty() ? u"鍵束を使えません"_s : job->errorString();
    return false;
}

class Keyring final : public PasswordKeyring
{
public:
    bool read(const QString &key, QString *password, QString *reason) override
    {
        auto *job = new QKeychain::ReadPasswordJob(Service);
        job->setKey(key);
        password->clear();
        return runJob(job, reason, true, [password](QKeychain::Job *j) {
            if (j->error() == QKeychain::NoError)
                *password = static_cast<QKeychain::ReadPasswordJob *>(j)->textData();
        });
    }

    bool write(const QString &key, const QString &password, QString *reason) override
    {
        QKeychain::Job *job = nullptr;
        if (password.isEmpty()) {
            job = new QKeychain::DeletePasswordJob(Service);
        } else {
            auto *w = new QKeychain::WritePasswordJob(Service);
            w->setTextData(password);
            job = w;
        }
        job->setKey(key);
        return runJob(job, reason, password.isEmpty());
    }
};

} // namespace

PasswordKeyring &DesktopKeyring()
{
    static Keyring keyring;
    return keyring;
}
