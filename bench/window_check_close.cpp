// SPDX-License-Identifier: MIT
// Closing the main window while Content > Check my content... reads a player's 200,000 files
// (Downloads in folders of 100): how long close() takes to return, and `find` listing the same
// tree in the same run, for scale. The check runs on a thread of its own; closing stops it at
// its next folder or read and waits for it.
// Usage: window_check_close [FILES]   (run with QT_QPA_PLATFORM=offscreen)
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "locations/machine.h"
#include "ui/app_style.h"
#include "ui/content_check_window.h"
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

    const fs::path home =
        fs::temp_directory_path() / ("brambleton-bench-" + std::to_string(::getpid()));
    const fs::path steamapps = home / ".local/share/Steam/steamapps";
    const fs::path game = steamapps / "common/The Sims Legacy Collection";
    fs::create_directories(game / "GameData");
    std::ofstream(game / "GameData/Behavior.iff") << "x";
    std::ofstream(steamapps / "appmanifest_3314060.acf")
        << "\"AppState\"\n{\n\t\"appid\"\t\t\"3314060\"\n\t\"installdir\"\t\t\"The Sims Legacy "
           "Collection\"\n}\n";
    for (int i = 0; i < files; ++i) {
        const fs::path set = game / "Downloads" / ("Set " + std::to_string(i / 100));
        if (i % 100 == 0) fs::create_directories(set);
        std::ofstream(set / ("Object " + std::to_string(i) + ".iff")) << "IFF";
    }

    QElapsedTimer find;
    find.start();
    QProcess listing;
    listing.start("find", {QString::fromStdString(game.string())});
    listing.waitForFinished(-1);
    const double findSeconds = find.nsecsElapsed() / 1e9;

    HostEnvironment environment;
    environment.home = home;
    environment.winePrefix = home / ".wine";
    ui::frmMain window(ui::Sources{std::make_shared<Machine>(environment), nullptr, {}},
                       ui::Loading::Later);
    window.Form_Load();
    QEventLoop wait;
    QObject::connect(&window, &ui::frmMain::searched, &wait, &QEventLoop::quit);
    if (window.searching()) wait.exec();
    window.show();

    // The check, half a second in, then the close.
    window.findChild<QAction*>("checkContent")->trigger();
    QTimer::singleShot(500, &wait, &QEventLoop::quit);
    wait.exec();
    auto* check = window.findChild<ui::ContentCheckWindow*>("contentCheck");
    const bool running = check && check->scanning();
    QElapsedTimer clock;
    clock.start();
    window.close();
    const double closed = clock.nsecsElapsed() / 1e9;

    std::printf("files in the tree          %d\n", files);
    std::printf("check running at close     %s\n", running ? "yes" : "no (it had ended)");
    std::printf("close() returned after     %.3f s (goal: within 1 s)\n", closed);
    std::printf("find over the same tree    %.3f s\n", findSeconds);
    std::printf("ratio close / find         %.2f\n", closed / findSeconds);
    fs::remove_all(home);
    return running && closed < 1.0 ? 0 : 1;
}
