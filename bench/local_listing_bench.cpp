// Local folder listing benchmark (not a test): a folder of many files read into the local list's model, as
// the window shows it. Prints the time to the full list and the memory the list adds.
//
//     build/bench/jvz_local_listing_bench [--files 100000] [--rounds 5] [--folder /tmp/x]
//
// The folder is made once (empty files, names of a few lengths and extensions) unless it holds the count
// already. Each round lists it into a fresh model; times are given as min / median / max, wall and CPU (all
// threads), the memory is what the process holds more after the first round (resident size, the listing's
// temporaries freed) and its peak above the start. The rounds are then repeated through the window's served
// reads (worker thread, event loop waiting). The load average is printed at the start and the end: other
// work on the machine stretches the wall times.
#include "workspace/LocalListModel.h"
#include "workspace/LocalListing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QByteArray loadAverage()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    return load.open(QIODevice::ReadOnly) ? load.readAll().trimmed() : QByteArray("?");
}

// "min / median / max" of the times, in ms.
QByteArray spread(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return QByteArray::number(times.front(), 'f', 0) + " / " + QByteArray::number(times[times.size() / 2], 'f', 0) +
           " / " + QByteArray::number(times.back(), 'f', 0);
}

bool makeFolder(const QString& folder, int files)
{
    QDir().mkpath(folder);
    if (int(QDir(folder).entryList(QDir::Files).size()) == files)
        return true;
    static const char* const kExtensions[] = {"M40", "TXT", "SGN", "BIN", "M23"};
    for (int i = 0; i < files; ++i) {
        const QByteArray name = QStringLiteral("%1/%2_%3.%4")
                                    .arg(folder)
                                    .arg(i % 3 == 0 ? QStringLiteral("APPLICATION_FILE") : QStringLiteral("f"))
                                    .arg(i, 6, 10, QLatin1Char('0'))
                                    .arg(QLatin1String(kExtensions[i % 5]))
                                    .toUtf8();
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int files = 100000;
    int rounds = 5;
    QString folder = QDir::tempPath() + QStringLiteral("/jvz_listing_bench");
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--files"))
            files = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--rounds"))
            rounds = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--folder"))
            folder = args[i + 1];
    }
    if (!makeFolder(folder, files)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }
    const QByteArray startLoad = loadAverage();
    const QByteArray native = QFile::encodeName(folder) + '/';
    jvz::ListingOptions options;
    options.typePattern = QStringLiteral("*.*");
    options.filterItems = {QStringLiteral("*.M40"), QStringLiteral("*.*")};
    {
        // Warms the file system's caches and the allocator, so the rounds compare like with like.
        const jvz::FolderListing warm = jvz::listFolder(native, options);
        (void)warm;
    }
    malloc_trim(0);
    std::vector<double> times, cpuTimes, readTimes;
    qint64 addedKb = 0, peakKb = 0, rows = 0;
    for (int round = 0; round < rounds; ++round) {
        malloc_trim(0);
        const qint64 before = statusKb("VmRSS:");
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = cpuMs();
        auto model = std::make_unique<jvz::LocalListModel>();
        {
            const jvz::FolderListing listing = jvz::listFolder(native, options);
            readTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
            model->showFolder(native, listing.entries);
        }
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpuTimes.push_back(cpuMs() - cpuStart);
        rows = model->rowCount();
        malloc_trim(0);
        if (round == 0) {
            addedKb = statusKb("VmRSS:") - before;
            peakKb = statusKb("VmHWM:") - before;
        }
    }
    std::printf("files %d, rows %lld, load average at the start %s\n", files, rows, startLoad.constData());
    std::printf("time to the full list, ms (min / median / max of %d): wall %s, CPU %s\n", rounds,
                spread(times).constData(), spread(cpuTimes).constData());
    std::printf("of which the folder's read, wall %s (the rest fills the model)\n", spread(readTimes).constData());
    std::printf("memory the list adds: %.1f MiB (peak while listing %.1f MiB)\n", addedKb / 1024.0, peakKb / 1024.0);

    // As the window reads it: on a worker thread while this thread's event loop waits.
    jvz::ServedFolderReads reads;
    times.clear();
    cpuTimes.clear();
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = cpuMs();
        auto model = std::make_unique<jvz::LocalListModel>();
        model->showFolder(native, reads.listFolder(native, options).entries);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpuTimes.push_back(cpuMs() - cpuStart);
    }
    std::printf("served as the window reads it, ms: wall %s, CPU %s\n", spread(times).constData(),
                spread(cpuTimes).constData());
    std::printf("load average at the end %s\n", loadAverage().constData());
    return 0;
}
