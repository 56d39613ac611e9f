#include "PublishJob.h"

PublishJob::~PublishJob() = default;

namespace {

class EngineJob final : public PublishJob
{
public:
    EngineJob(const PublishSettings &settings, const QString &password, const QString &dataFolder)
        : m_run(settings, password, dataFolder)
    {
    }
    PublishOutcome prepare(const ProjectDates &p) override { return m_run.prepare(p, m_charset); }
    void setPageCharset(OutputCharset charset) override { m_charset = charset; }
    const PublishPlan &plan() const override { return m_run.plan(); }
    bool acceptTrust(const TrustQuestion &q, QString *error) override { return m_run.acceptTrust(q, error); }
    PublishOutcome send(bool removeNotWritten, const std::function<void(const PublishProgress &)> &progress) override
    {
        return m_run.send(removeNotWritten, progress);
    }
    void cancel() override { m_run.cancel(); }

private:
    PublishRun m_run;
    OutputCharset m_charset = OutputCharset::AsPage;
};

} // namespace

std::shared_ptr<PublishJob> MakeEnginePublishJob(const PublishSettings &settings, const QString &password,
                                                 const QString &dataFolder)
{
    return std::make_shared<EngineJob>(settings, password, dataFolder);
}
