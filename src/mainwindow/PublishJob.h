#pragma once

#include "Publish.h"

#include <functional>
#include <memory>

// One publish as the windows drive it. The program's is PublishRun itself
// (MakeEnginePublishJob); tests put a scripted one in its place, so that the
// windows are tried without a server. The calls mean what PublishRun's mean:
// prepare() and send() block and run on a worker thread, cancel() may come
// from any thread.
class PublishJob
{
public:
    virtual ~PublishJob();
    virtual PublishOutcome prepare(const ProjectDates &p) = 0;
    virtual const PublishPlan &plan() const = 0;
    virtual bool acceptTrust(const TrustQuestion &q, QString *error) = 0;
    virtual PublishOutcome send(bool removeNotWritten, const std::function<void(const PublishProgress &)> &progress) = 0;
    virtual void cancel() = 0;
    // The encoding pages are staged in; the output command's choice.
    virtual void setPageCharset(OutputCharset) {}
};

using PublishJobFactory = std::function<std::shared_ptr<PublishJob>(
    const PublishSettings &settings, const QString &password, const QString &dataFolder)>;

// A job over PublishRun.
std::shared_ptr<PublishJob> MakeEnginePublishJob(const PublishSettings &settings, const QString &password,
                                                 const QString &dataFolder);
