// SPDX-License-Identifier: MIT
// A player's Downloads folder of 200,000 files, opened the way the program opens at start
// (load, search in the background, show): how long until the file list shows them and a
// Count's totals show, the longest the window went without answering meanwhile, and `ls`
// listing the same folder in the same run.
// Usage: window_big_folder [FILES]   (run with QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "locations/machine.h"
#include "ui/app_style.h"
#include "ui/file_system_lists.h"
#include "ui/frm_main.h"
#include "ui/message_box.h"

using namespace brambleton;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::setUpApplication();
    ui::setMessageHook([](const QString& text, const QString&) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    const int files = argc > 1 ? std::stoi(argv[1]) : 200000;

    // A Steam home with the Legacy Collection, its Downloads holding `files` objects.
    const fs::path home =
        fs::temp_directory_path() / ("brambleton-bench-" + std::to_string(::getpid()));
    const fs::path steamapps = home / ".local/share/Steam/steamapps";
    const fs::path game = steamapps / "common/The Sims Legacy Collection";
    fs::create_directories(game / "GameData");
    fs::create_directories(game / "Downloads");
    std::ofstream(game / "GameData/Behavior.iff") << "x";
    std::ofstream(steamapps / "appmanifest_3314060.acf")
        << "\"AppState\"\n{\n\t\"appid\"\t\t\"3314060\"\n\t\"installdir\"\t\t\"The Sims Legacy "
           "Collection\"\n}\n";
    for (int i = 0; i < files; ++i) {
        std::ofstream(game / "Downloads" / ("Object " + std::to_string(i) + ".iff")) << "iff";
    }

    QElapsedTimer ls;
    ls.start();
    QProcess listing;
    listing.start("ls", {"-f", QString::fromStdString((game / "Downloads").string())});
    listing.waitForFinished(-1);
    const double lsSeconds = ls.nsecsElapsed() / 1e9;

    HostEnvironment environment;
    environment.home = home;
    environment.winePrefix = home / ".wine";
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longestPause = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    tick.start(5);

    ui::frmMain window(ui::Sources{std::make_shared<Machine>(environment), nullptr, {}},
                       ui::Loading::Later);
    window.Form_Load();
    QEventLoop wait;
    QObject::connect(&window, &ui::frmMain::searched, &wait, &QEventLoop::quit);
    if (window.searching()) wait.exec();
    window.show();
    auto* list = window.findChild<ui::FileListBox*>("File1");
    if (list->reading()) {
        QObject::connect(list, &ui::FileListBox::Listed, &wait, &QEventLoop::quit);
        wait.exec();
    }
    const double listed = clock.elapsed() / 1000.0;
    const qint64 pauseWhileListing = longestPause;
    window.cmdContar_Click();
    const double counted = clock.elapsed() / 1000.0;
    const QString total = window.findChild<QLineEdit*>("txtFiles")->text();

    std::printf("files in the folder        %d (the window counted %s)\n", files,
                qPrintable(total));
    std::printf("file list shown after      %.2f s (%d entries)\n", listed, list->count());
    std::printf("longest pause meanwhile    %lld ms\n", static_cast<long long>(pauseWhileListing));
    std::printf("totals shown after         %.2f s from the start\n", counted);
    std::printf("ls -f of the same folder   %.3f s\n", lsSeconds);
    std::printf("ratio list / ls            %.1f\n", listed / lsSeconds);
    fs::remove_all(home);
    return 0;
}
