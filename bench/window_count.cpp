// SPDX-License-Identifier: MIT
// Times a count through the window's Count button against the same engine without a window,
// on one tree in one run, and reports how long a Cancel click can wait in a large folder.
// Usage: window_count TREE [RUNS]   (run with QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "counting/file_counter.h"
#include "ui/app_style.h"
#include "ui/file_system_lists.h"
#include "ui/frm_main.h"
#include "ui/message_box.h"

using namespace brambleton;

namespace {

double headlessSeconds(const std::string& tree) {
    CFileCounter counter;
    std::string path = tree;
    std::int32_t folders = 0;
    double bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    counter.ContarArchivos(path, "*.IFF", folders, bytes);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The longest wait between two folder entries while counting `tree`: the longest a Cancel
// click made at the worst moment waits before the walk sees it.
double longestCancelWait(const std::string& tree) {
    using clock = std::chrono::steady_clock;
    auto last = clock::now();
    double longest = 0;
    CFileCounter counter({[&] {
                              QCoreApplication::processEvents();
                              const auto now = clock::now();
                              longest = std::max(longest,
                                                 std::chrono::duration<double>(now - last).count());
                              last = now;
                          },
                          nullptr});
    std::string path = tree;
    std::int32_t folders = 0;
    double bytes = 0;
    counter.ContarArchivos(path, "*.IFF", folders, bytes);
    return std::max(longest, std::chrono::duration<double>(clock::now() - last).count());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::setUpApplication();
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_count TREE [RUNS]\n");
        return 2;
    }
    const std::string tree = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    ui::setMessageHook([](const QString& text, const QString&) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });

    ui::frmMain window(ui::Sources::fromProcess());
    window.show();
    window.findChild<ui::DirListBox*>("Dir1")->setPath(QString::fromStdString(tree));
    window.findChild<ui::FileListBox*>("File1")->setPattern(QStringLiteral("*.IFF"));

    headlessSeconds(tree);  // warm the cache
    double bestWindow = 1e9;
    double bestHeadless = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.cmdContar_Click();
        bestWindow = std::min(bestWindow, timer.nsecsElapsed() / 1e9);
        bestHeadless = std::min(bestHeadless, headlessSeconds(tree));
    }
    std::printf("files %s, folders %s\n",
                window.findChild<QLineEdit*>("txtFiles")->text().toUtf8().constData(),
                window.findChild<QLineEdit*>("txtDirs")->text().toUtf8().constData());
    std::printf("window count: %.1f ms   headless: %.1f ms   ratio: %.3f (target <= 1.15)\n",
                bestWindow * 1000, bestHeadless * 1000, bestWindow / bestHeadless);

    // A folder of 20,000 files: the longest a Cancel click can wait.
    const auto big = std::filesystem::temp_directory_path() / "brambleton-bench-cancel";
    if (!std::filesystem::exists(big / "big" / "f19999.iff")) {
        std::filesystem::create_directories(big / "big");
        std::filesystem::create_directories(big / "after");
        for (int i = 0; i < 20000; ++i) {
            std::ofstream(big / "big" / ("f" + std::to_string(i) + ".iff")).put('x');
        }
    }
    longestCancelWait(big.string());
    std::printf("longest wait for a Cancel in a folder of 20,000 files: %.1f ms\n",
                longestCancelWait(big.string()) * 1000);
    return 0;
}
