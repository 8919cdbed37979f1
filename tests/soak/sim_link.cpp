#include "sim_link.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <charconv>
#include <csignal>
#include <sstream>

#include <sys/prctl.h>

SimLink::~SimLink() {
    Stop();
}

bool SimLink::Start(const QString& program, const QString& link, const QStringList& extraArgs,
                    const QString& errorFile, QString& error) {
    process_.setStandardErrorFile(errorFile);
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(program, QStringList{QStringLiteral("--link"), link} + extraArgs);
    if (!process_.waitForStarted(5000)) {
        error = QStringLiteral("cannot start %1: %2").arg(program, process_.errorString());
        return false;
    }
    // The first line is the pty's path; the link follows at once.
    if (!process_.waitForReadyRead(5000) || !process_.readLine().startsWith("/dev/pts/")) {
        error = QStringLiteral("%1 printed no pty path").arg(program);
        return false;
    }
    const QDeadlineTimer deadline(5000);
    while (!QFileInfo(link).isSymLink() && !deadline.hasExpired())
        QThread::msleep(10);
    if (!QFileInfo(link).isSymLink()) {
        error = QStringLiteral("%1 made no link at %2").arg(program, link);
        return false;
    }
    return true;
}

bool SimLink::Command(const std::string& line) {
    if (process_.state() != QProcess::Running)
        return false;
    process_.write(QByteArray::fromStdString(line + "\n"));
    // Written now, not when the event loop next turns: the run notes the time.
    return process_.waitForBytesWritten(2000);
}

std::map<std::string, std::uint64_t> SimLink::Stats() {
    if (!Command("stats"))
        return {};
    const QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        while (process_.canReadLine()) {
            const QByteArray line = process_.readLine().trimmed();
            if (line.startsWith("stats:"))
                return ParseStatsLine(line.toStdString());
        }
        process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return {};
}

void SimLink::Stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    (void)Command("quit");
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

std::map<std::string, std::uint64_t> ParseStatsLine(const std::string& line) {
    std::map<std::string, std::uint64_t> counters;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0)
            continue;
        std::uint64_t value = 0;
        const char* first = word.data() + eq + 1;
        const char* last = word.data() + word.size();
        const auto r = std::from_chars(first, last, value);
        if (r.ec == std::errc() && r.ptr == last && first != last)
            counters[word.substr(0, eq)] = value;
    }
    return counters;
}
