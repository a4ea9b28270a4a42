// Directory search speed: entries per second, names, alternates and statx included.
//
// bench_dir_search            makes 200,000 files (200 folders of 1,000 like-named files) in a
//                             temporary folder and reads them three times
// bench_dir_search N          the same with N files
// bench_dir_search PATH       reads the tree under PATH (staying on its file system)
#include "platform/dir_search.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zek::platform;

namespace {

struct Totals {
    qint64 entries = 0;
    qint64 folders = 0;
    qint64 errors = 0;
    qint64 withAlternate = 0;
};

// Breadth-first, like the walker: every entry examined, subfolders queued, mount points not entered.
Totals walk(const QByteArray& top) {
    Totals totals;
    std::deque<QByteArray> queue{top};
    DirEntry entry;
    while (!queue.empty()) {
        DirectorySearch search(queue.front());
        ++totals.folders;
        if (!search.ok())
            ++totals.errors;
        while (search.next(entry)) {
            ++totals.entries;
            totals.errors += entry.error != 0;
            totals.withAlternate += !entry.shortName.isEmpty();
            if (entry.directory && !entry.isMountPoint)
                queue.push_back(childPath(search.folder(), entry.rawName));
        }
        queue.pop_front();
    }
    return totals;
}

bool makeTree(const QByteArray& top, int files) {
    constexpr int PerFolder = 1000;
    for (int made = 0, folder = 0; made < files; ++folder) {
        const QByteArray dir = childPath(top, "Folder number " + QByteArray::number(folder));
        if (::mkdir(dir.constData(), 0755) != 0)
            return false;
        for (int i = 0; i < PerFolder && made < files; ++i, ++made) {
            const QByteArray name = childPath(dir, "Document number " + QByteArray::number(i) + ".text");
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0)
                return false;
            ::close(fd);
        }
    }
    return true;
}

void report(const char* label, const Totals& totals, qint64 ns) {
    const double seconds = double(ns) / 1e9;
    std::printf("%-22s %9lld entries in %6lld folders  %7.3f s  %10.0f entries/s  (%lld with alternate, "
                "%lld errors)\n",
                label, static_cast<long long>(totals.entries), static_cast<long long>(totals.folders),
                seconds, seconds > 0 ? double(totals.entries) / seconds : 0.0,
                static_cast<long long>(totals.withAlternate), static_cast<long long>(totals.errors));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();

    QTemporaryDir scratch;
    QByteArray top;
    bool isCount = false;
    const int files = args.size() > 1 ? args.at(1).toInt(&isCount) : 200'000;
    if (args.size() > 1 && !isCount) {
        top = QFile::encodeName(QFileInfo(args.at(1)).absoluteFilePath());
    } else {
        if (!scratch.isValid()) {
            std::fprintf(stderr, "cannot make a temporary folder\n");
            return 1;
        }
        top = QFile::encodeName(scratch.path());
        QElapsedTimer timer;
        timer.start();
        if (!makeTree(top, files)) {
            std::perror("making the tree");
            return 1;
        }
        std::printf("made %d files in %.1f s under %s\n", files, double(timer.nsecsElapsed()) / 1e9,
                    top.constData());
    }

    for (const char* label : {"first pass", "second pass", "third pass"}) {
        QElapsedTimer timer;
        timer.start();
        const Totals totals = walk(top);
        report(label, totals, timer.nsecsElapsed());
    }
    return 0;
}
