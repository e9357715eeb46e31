// SPDX-License-Identifier: MIT
// The catalogue window with 200,000 items (objects of a few real files, each with its
// picture, as the scan hands them back): how long until the window shows them after the
// scan's end, the longest the window goes without answering while it is scrolled from top to
// bottom a page at a time (pictures read and decoded for the rows on screen meanwhile), and,
// for scale, the time to copy the items' names into a list of strings.
// Usage: window_catalogue [ITEMS]   (run with QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sims_files.h"
#include "ui/app_style.h"
#include "ui/catalogue_window.h"

using namespace brambleton;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::setUpApplication();
    const int count = argc > 1 ? std::stoi(argv[1]) : 200000;
    const fs::path folder =
        fs::temp_directory_path() / ("brambleton-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (int i = 0; i < 64; ++i) {
        files.push_back((folder / ("object" + std::to_string(i) + ".iff")).string());
        std::ofstream(files.back(), std::ios::binary) << testing::catalogueObject(
            0x1000 + i, "Object " + std::to_string(i), "A description", 100, 1, 32);
    }
    std::vector<content::CatalogueItem> items(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto& item = items[static_cast<std::size_t>(i)];
        item.path = files[static_cast<std::size_t>(i) % files.size()];
        item.guid = 0x1000 + static_cast<std::uint32_t>(i % 64);
        item.name = "Object number " + std::to_string(i);
        item.description = "A description of the object";
        item.price = static_cast<std::uint32_t>(i % 5000);
        item.category = "seating";
        item.tiles = 1;
        item.size = 4096 + i % 1000;
        item.thumbnail = std::make_pair(32u, 32u);
    }

    QElapsedTimer names;
    names.start();
    QStringList copied;
    copied.reserve(count);
    for (const auto& item : items) copied << QString::fromStdString(*item.name);
    const double namesSeconds = names.nsecsElapsed() / 1e9;

    ui::CatalogueWindow window;
    window.show();
    QElapsedTimer clock;
    clock.start();
    window.model().setItems(std::move(items), QString::fromStdString(folder.string()));
    QApplication::processEvents();
    auto* table = window.findChild<QTableView*>("items");
    table->viewport()->repaint();
    const double shown = clock.nsecsElapsed() / 1e9;

    qint64 lastTick = clock.elapsed();
    qint64 longestPause = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    tick.start(5);
    QScrollBar* bar = table->verticalScrollBar();
    const qint64 scrollStart = clock.elapsed();
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        if (bar->value() >= bar->maximum()) {
            step.stop();
            app.quit();
            return;
        }
        bar->setValue(bar->value() + bar->pageStep());
    });
    step.start(0);
    app.exec();
    const double scrolled = (clock.elapsed() - scrollStart) / 1000.0;

    std::printf("items                          %d\n", count);
    std::printf("shown after the scan's end     %.3f s (goal: within 1 s)\n", shown);
    std::printf("scrolled top to bottom in      %.2f s, pictures decoded %d\n", scrolled,
                window.model().picturesDecoded());
    std::printf("longest pause meanwhile        %lld ms (goal: at most 50)\n",
                static_cast<long long>(longestPause));
    std::printf("copying the names, for scale   %.3f s\n", namesSeconds);
    std::printf("ratio shown / copying names    %.1f\n", shown / namesSeconds);
    fs::remove_all(folder);
    return 0;
}
