#include "TestSupport.h"

#include "Cp932.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "UNREADABLE";
    return f.readAll();
}

bool PutBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray Sjis(const QString &text)
{
    QByteArray out;
    if (!Cp932::encode(text, &out))
        return "NOT ENCODABLE";
    return out;
}

bool UseHomeInside(const QString &folder)
{
    const struct
    {
        const char *name;
        QString path;
    } vars[] = {{"HOME", folder},
                {"XDG_DATA_HOME", folder + QStringLiteral("/share")},
                {"XDG_CONFIG_HOME", folder + QStringLiteral("/config")},
                {"XDG_CACHE_HOME", folder + QStringLiteral("/cache")}};
    for (const auto &v : vars) {
        if (!QDir().mkpath(v.path) || !qputenv(v.name, QFile::encodeName(v.path)))
            return false;
    }
    return true;
}

#ifdef Q_OS_UNIX
int InChild(const std::function<bool()> &work, bool asNobody)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(77);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

int LoopbackPort(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, htons(quint16(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    const int r = port ? ::connect(s, reinterpret_cast<sockaddr *>(&a), len) == 0
                       : (::bind(s, reinterpret_cast<sockaddr *>(&a), len), ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len),
                          ntohs(a.sin_port));
    ::close(s);
    return r;
}
