// Loading a long bookmark file at start-up (not a test): a 100,000-line file in a scratch folder, read,
// repaired against a volume list and written back, as the local explorer does when the window opens.
//
//     build/bench/jvz_bookmark_bench [lines] [rounds]
//
// Prints each round's time and the best; exits 1 when the best of a 100,000-line file is 0.5 s or more.
#include "BookmarkCorpus.h"
#include "core/MBLanguages.h"
#include "platform/Notifier.h"
#include "workspace/FavouritePaths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

class SilentNotifier final : public jvz::Notifier {
public:
    jvz::MessageAnswer message(const QString& text, const QString&, jvz::MessageIcon, jvz::MessageButtons,
                               QObject*) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return jvz::MessageAnswer::Ok;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "no scratch folder\n");
        return 2;
    }
    const QString root = scratch.path();
    const QString bookmark = root + QStringLiteral("/JVZ.bmk");
    const QString absent = root + QStringLiteral("/backup/");
    const QString volume = root + QStringLiteral("/vol/");
    const QByteArray content = jvztest::BookmarkCorpus::make(lines, absent, volume);

    jvz::BookmarkVolumes volumes;
    jvz::VolumeInfo mounted;
    mounted.path = volume;
    volumes.mounted = {mounted};
    volumes.absentMountPoints = {absent};
    SilentNotifier notifier;
    jvz::MBLanguages language;

    qint64 best = -1;
    qsizetype entries = 0;
    for (int r = 0; r < rounds; ++r) {
        QFile file(bookmark);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(bookmark));
            return 2;
        }
        file.close();
        // The parts on their own, to tell where the time goes.
        QElapsedTimer part;
        part.start();
        const jvz::BookmarkRead read = jvz::BookmarkFile::read(bookmark);
        const qint64 readMs = part.restart();
        const jvz::BookmarkRepair repair(volumes);
        qsizetype kept = 0;
        for (const QString& line : read.lines)
            kept += repair.repair(line).has_value() ? 1 : 0;
        const qint64 repairMs = part.elapsed();
        std::printf("round %d: read %lld ms, repair of %lld lines %lld ms\n", r + 1, static_cast<long long>(readMs),
                    static_cast<long long>(read.lines.size()), static_cast<long long>(repairMs));

        jvz::FavouritePaths favourites({bookmark, true, false}, notifier, language);
        favourites.setVolumes([&] { return volumes; });
        QElapsedTimer clock;
        clock.start();
        favourites.LoadPathHistory();
        const qint64 ms = clock.elapsed();
        entries = favourites.entries().size();
        std::printf("round %d: %d lines loaded in %lld ms (%lld entries kept)\n", r + 1, lines,
                    static_cast<long long>(ms), static_cast<long long>(entries));
        best = best < 0 ? ms : std::min(best, ms);
    }
    std::printf("bookmark file of %d lines: best %lld ms over %d rounds (goal for 100,000 lines: under 500 ms)\n",
                lines, static_cast<long long>(best), rounds);
    return lines >= 100000 && best >= 500 ? 1 : 0;
}
