// Stands in for the transfer engine until it is part of the build: every
// publish stops at once with a message, so the windows around it can be built
// and tried. Removed when the engine's own implementation of Publish.h comes.
#include "Publish.h"

using namespace Qt::StringLiterals;

struct PublishRun::Private
{
    PublishPlan plan;
};

int DefaultPublishPort(PublishProtocol protocol)
{
    return protocol == PublishProtocol::Sftp ? 22 : 21;
}

QString PublishServerName(const PublishSettings &s)
{
    const QString scheme = s.protocol == PublishProtocol::Sftp ? u"sftp"_s
                           : s.protocol == PublishProtocol::Ftps ? u"ftps"_s : u"ftp"_s;
    return scheme + u"://"_s + (s.user.isEmpty() ? QString() : s.user + u'@') + s.host + u':'
           + QString::number(s.port ? s.port : DefaultPublishPort(s.protocol)) + s.remoteFolder;
}

PublishRun::PublishRun(const PublishSettings &, const QString &, const QString &)
    : d(std::make_unique<Private>())
{
}

PublishRun::~PublishRun() = default;

PublishOutcome PublishRun::prepare(const ProjectDates &)
{
    PublishOutcome o;
    o.message = u"このビルドにはサーバーへの転送機能が入っていません。"_s;
    return o;
}

const PublishPlan &PublishRun::plan() const
{
    return d->plan;
}

bool PublishRun::acceptTrust(const TrustQuestion &, QString *)
{
    return false;
}

PublishOutcome PublishRun::send(bool, const std::function<void(const PublishProgress &)> &)
{
    return prepare(ProjectDates());
}

void PublishRun::cancel() {}
