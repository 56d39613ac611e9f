#pragma once

// Small helpers shared by the benchmark programs.

#include "TextFiles.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

// A page of about the given size in bytes as written, made of one body line
// repeated.
inline QString BigPage(qsizetype bytes, const QString &line)
{
    QString body;
    const qsizetype lineBytes = EncodePageFile(line).size() - 2;
    body.reserve(bytes);
    for (qsizetype n = 0; n < bytes; n += lineBytes)
        body += line;
    return QStringLiteral("<html>\r\n<head><title>bench</title></head>\r\n<body>\r\n") + body
           + QStringLiteral("</body>\r\n</html>");
}

// The same with a plain paragraph of Japanese and ASCII text.
inline QString BigPage(qsizetype bytes)
{
    return BigPage(bytes, QStringLiteral(u"<p>ホームページの本文です。The quick brown fox jumps over the lazy dog 0123456789.</p>\r\n"));
}

inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The median time of runs runs of work, in milliseconds.
inline double MedianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return Median(t);
}

inline double Worst(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

} // namespace bench
