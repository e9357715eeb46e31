// SPDX-License-Identifier: MIT
#include "ui/frm_main.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

#include "common/runtime_error.h"
#include "common/version.h"
#include "counting/count_summary.h"
#include "locations/module1.h"
#include "locations/registry.h"
#include "locations/save_folders.h"
#include "locations/settings_file.h"
#include "ui/about.h"
#include "ui/app_style.h"
#include "ui/catalogue_window.h"
#include "ui/changes_window.h"
#include "ui/content_check_window.h"
#include "ui/file_system_lists.h"
#include "ui/frm_in_process.h"
#include "ui/install_chooser.h"
#include "ui/lots_window.h"
#include "ui/main_layout.h"
#include "ui/main_window_text.h"
#include "ui/message_box.h"
#include "ui/module2.h"
#include "ui/places.h"
#include "ui/twips.h"

namespace brambleton::ui {

QString SelectedFilePath;

namespace {

// A count shows this many unreadable folders as they happen, each in its own box, and
// gathers the rest into one box at its end, listing the first few of them.
constexpr qsizetype kFailuresShownAtOnce = 3;
constexpr qsizetype kFailuresListed = 5;

// The patterns the filter offers: every category's, then every file. The first is the one
// the window loads with, as Objects needs.
QStringList filterPatterns() {
    QStringList patterns;
    for (const auto& category : kContentCategories) {
        const auto pattern = QString::fromUtf8(category.pattern.data(),
                                               static_cast<qsizetype>(category.pattern.size()));
        if (!patterns.contains(pattern)) patterns << pattern;
    }
    patterns << QStringLiteral("*.*");
    return patterns;
}

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The wait cursor over one window and its controls, and only there: the progress window's
// Cancel and a message box's OK keep the normal pointer. Controls that set a pointer of
// their own (text boxes, lists) take the wait cursor too and get theirs back after.
class WaitCursorOver {
  public:
    explicit WaitCursorOver(QWidget* window) {
        saved_.push_back({window, window->testAttribute(Qt::WA_SetCursor), window->cursor()});
        for (auto* child : window->findChildren<QWidget*>()) {
            if (child->isWindow() || !child->testAttribute(Qt::WA_SetCursor)) continue;
            saved_.push_back({child, true, child->cursor()});
        }
        for (auto& s : saved_) s.widget->setCursor(Qt::WaitCursor);
    }
    ~WaitCursorOver() {
        for (auto& s : saved_) {
            if (!s.widget) continue;
            if (s.hadCursor) {
                s.widget->setCursor(s.cursor);
            } else {
                s.widget->unsetCursor();
            }
        }
    }
    WaitCursorOver(const WaitCursorOver&) = delete;
    WaitCursorOver& operator=(const WaitCursorOver&) = delete;

  private:
    struct Saved {
        QPointer<QWidget> widget;
        bool hadCursor;
        QCursor cursor;
    };
    std::vector<Saved> saved_;
};

template <typename W>
W* withPlatformColours(W* control) {
    usePlatformColours(control);
    return control;
}

}  // namespace

// One control of the layout table, made in `parent` and set up as its kind needs; its name
// and geometry are the caller's.
QWidget* frmMain::makeControl(const LayoutRow& row, QWidget* parent) {
    const QString caption = row.caption ? QString::fromUtf8(row.caption) : QString();
    switch (row.kind) {
        case ControlKind::Group: {
            auto* group = new QGroupBox(caption, parent);
            return group;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            makeCommandButton(button);
            return button;
        }
        case ControlKind::Label:
        case ControlKind::BoldLabel:
        case ControlKind::ResultLabel: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setText(caption);
            if (row.kind == ControlKind::BoldLabel) {
                QFont bold = font();
                bold.setWeight(QFont::Bold);
                label->setFont(bold);
            }
            if (row.kind == ControlKind::ResultLabel) {
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            return label;
        }
        case ControlKind::ResultBox: {
            auto* box = new QLineEdit(parent);
            usePlatformColours(box);
            box->setReadOnly(true);
            QFont resultFont(QStringLiteral("Courier New"));
            resultFont.setPointSizeF(9.75);
            resultFont.setWeight(QFont::Bold);
            box->setFont(resultFont);
            box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            makeResultColours(box);
            return box;
        }
        case ControlKind::Category: {
            auto* option = new QRadioButton(caption, parent);
            makeVisibleOnNavy(option);
            return option;
        }
        case ControlKind::DriveList:
            return withPlatformColours(new DriveListBox(places_, parent));
        case ControlKind::FolderList:
            return withPlatformColours(new DirListBox(places_, parent));
        case ControlKind::FileList:
            return withPlatformColours(new FileListBox(parent));
        case ControlKind::Filter: {
            auto* filter = new QComboBox(parent);
            filter->setEditable(true);
            // What the player types stands as typed: no completion from the offered patterns.
            filter->setCompleter(nullptr);
            usePlatformColours(filter);
            makeVisibleOnNavy(filter);
            filter->setInsertPolicy(QComboBox::NoInsert);
            filter->addItems(filterPatterns());
            filter->setCurrentIndex(-1);
            filter->setEditText(QString());
            return filter;
        }
    }
    return new QWidget(parent);
}

namespace {}  // namespace

Sources Sources::fromProcess() {
    return {std::make_shared<Machine>(HostEnvironment::fromProcess()), nullptr, QString()};
}

frmMain::frmMain(Sources sources, Loading loading, QWidget* parent)
    : QMainWindow(parent),
      machine_(sources.machine ? std::move(sources.machine) : Sources::fromProcess().machine),
      places_(std::make_shared<Places>(machine_->defaultFolderMap())),
      settings_(
          std::make_unique<QSettings>(qtPath(machine_->settingsFile()), QSettings::IniFormat)),
      source_(std::move(sources.folders)) {
    programFolder_ = sources.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : sources.programFolder;
    changePlaces_ = writePlacesOf(machine_->environment());
    const auto first = about::firstLink(programFolder_);
    const auto second = about::secondLink(programFolder_);
    firstAddress_ = first.address;
    secondAddress_ = second.address;
    firstName_ = first.label;
    secondName_ = second.label;
    buildControls();
    buildMenus();
    setAcceptDrops(true);
    Command2_->setText(first.caption);
    Command4_->setText(second.caption);
    findChild<QLabel*>(QStringLiteral("Label9"))->setText(first.label);
    findChild<QLabel*>(QStringLiteral("Label10"))->setText(second.label);
    inUse_ = settings_->value(settingKey(settings::kInUse)).toString();
    if (loading == Loading::Now) {
        Form_Load();
    } else {
        searchInBackground_ = true;
    }
}

frmMain::~frmMain() {
    unloadProgressWindow();
}

void frmMain::buildControls() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("The Sims Brambleton"));
    setWindowIcon(applicationIcon());
    applyWindowLook(this);
    // The layout's client area, below the menu bar, keeps the designed size; the window
    // takes that and the menu bar's height, and neither the player nor Windows' frame can
    // resize it.
    clientArea_ = new QWidget(this);
    clientArea_->setObjectName(QStringLiteral("clientArea"));
    applyWindowLook(clientArea_);
    clientArea_->setFixedSize(fromTwips(kClientWidth), fromTwips(kClientHeight));
    setCentralWidget(clientArea_);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    std::map<std::string_view, QWidget*> made{{"clientArea", clientArea_}};
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const auto& row : kMainLayout) {
        QWidget* widget = makeControl(row, made.at(row.parent));
        widget->setObjectName(QString::fromLatin1(row.name));
        widget->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        made[row.name] = widget;
        if (row.tabIndex >= 0) tabOrder.emplace_back(row.tabIndex, widget);
    }
    const auto get = [&made]<typename W>(W*& member, const char* name) {
        member = qobject_cast<W*>(made.at(name));
    };
    get(Frame1_, "Frame1");
    get(Frame2_, "Frame2");
    get(Frame4_, "Frame4");
    get(Command2_, "Command2");
    get(Command4_, "Command4");
    get(cmdContar_, "cmdContar");
    get(txtFiles_, "txtFiles");
    get(txtDirs_, "txtDirs");
    get(txtTotalBytes_, "txtTotalBytes");
    get(txtTotalKBytes_, "txtTotalKBytes");
    get(txtTotalMBytes_, "txtTotalMBytes");
    get(Drive1_, "Drive1");
    get(Dir1_, "Dir1");
    get(File1_, "File1");
    get(cboFiltro_, "cboFiltro");
    for (int row = 0; row < 5; ++row) {
        const auto& category = kContentCategories[static_cast<std::size_t>(row)];
        get(options_[row], kCategoryOptions[row]);
        options_[row]->setText(text(category.caption));
        connect(options_[row], &QRadioButton::clicked, this, [this, row] { Option_Click(row); });
    }

    // The controls that take the focus, by their designed tab index.
    std::sort(tabOrder.begin(), tabOrder.end());
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    }
    tabOrder.front().second->setFocus();

    connect(Drive1_, &DriveListBox::Change, this, &frmMain::Drive1_Change);
    connect(Dir1_, &DirListBox::Change, this, &frmMain::Dir1_Change);
    connect(File1_, &FileListBox::Click, this, &frmMain::File1_Click);
    // The layout lays the pattern box over the lower part of the file list: the list's rows
    // end above it, so that none lies hidden behind it, and the box's tip shows the whole
    // pattern, which its width cuts ("*.skn;*.bmp;*.cmx").
    if (File1_->geometry().intersects(cboFiltro_->geometry())) {
        File1_->setBottomClearance(File1_->geometry().bottom() - cboFiltro_->geometry().top() + 1);
    }
    connect(cboFiltro_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { cboFiltro_->setToolTip(text); });
    connect(cboFiltro_, &QComboBox::editTextChanged, this, &frmMain::cboFiltro_Change);
    connect(cboFiltro_, qOverload<int>(&QComboBox::activated), this, &frmMain::cboFiltro_Click);
    connect(cmdContar_, &QPushButton::clicked, this, &frmMain::cmdContar_Click);
    connect(Command2_, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(Command4_, &QPushButton::clicked, this, &frmMain::Command4_Click);
}

void frmMain::buildMenus() {
    auto* bar = menuBar();
    // The desktop's own colours, not the navy of the layout below.
    usePlatformColours(bar);
    gameMenu_ = bar->addMenu(tr("&Game"));
    gameMenu_->setToolTipsVisible(true);  // each copy's whole path
    gameMenu_->setObjectName(QStringLiteral("gameMenu"));
    connect(gameMenu_, &QMenu::aboutToShow, this, &frmMain::fillGameMenu);
    fillGameMenu();
    auto* contentMenu = bar->addMenu(tr("&Content"));
    contentMenu->setObjectName(QStringLiteral("contentMenu"));
    auto* checkContent =
        contentMenu->addAction(tr("&Check my content..."), this, &frmMain::checkContent);
    checkContent->setObjectName(QStringLiteral("checkContent"));
    auto* catalogue = contentMenu->addAction(tr("C&atalogue..."), this, &frmMain::showCatalogue);
    catalogue->setObjectName(QStringLiteral("catalogue"));
    auto* myLots = contentMenu->addAction(tr("My &lots..."), this, &frmMain::showLots);
    myLots->setObjectName(QStringLiteral("myLots"));
    auto* install =
        contentMenu->addAction(tr("&Install a download..."), this, &frmMain::installDownload);
    install->setObjectName(QStringLiteral("installDownload"));
    contentMenu->addSeparator();
    auto* undo = contentMenu->addAction(tr("&Undo last change"), this, &frmMain::undoLastChange);
    undo->setObjectName(QStringLiteral("undoLastChange"));
    auto* changes = contentMenu->addAction(tr("C&hanges..."), this, &frmMain::showChanges);
    changes->setObjectName(QStringLiteral("changes"));
    // Shown greyed while another walk runs, as each command refuses then; Undo names what it
    // takes back, and is greyed when nothing is left to take back.
    connect(contentMenu, &QMenu::aboutToShow, this, [this, contentMenu, undo] {
        for (auto* action : contentMenu->actions()) action->setEnabled(!busy());
        const auto last = lastUndoableChange(changePlaces_);
        undo->setText(last ? tr("&Undo %1")
                                 .arg(QString::fromStdString(last->label)
                                          .replace(QLatin1Char('&'), QStringLiteral("&&")))
                           : tr("&Undo last change"));
        undo->setEnabled(!busy() && last.has_value());
    });
    auto* help = bar->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    // The pages installed with the program, whatever the About buttons were set to open.
    const auto installedPage = [this](const char* file) {
        const QString name = QString::fromLatin1(file);
        const QString page = about::installedPage(programFolder_, name);
        openPage(page.isEmpty() ? QString() : QUrl::fromLocalFile(page).toString(), name);
    };
    auto* guide = help->addAction(tr("&User guide"), this,
                                  [installedPage] { installedPage(about::kUserGuideFile); });
    guide->setObjectName(QStringLiteral("userGuide"));
    auto* licence = help->addAction(tr("&Licence"), this,
                                    [installedPage] { installedPage(about::kLicenceFile); });
    licence->setObjectName(QStringLiteral("licence"));
    help->addSeparator();
    // Which build this is, for a player asked by a forum or a bug report.
    auto* version = help->addAction(tr("Brambleton %1").arg(QString::fromLatin1(kVersion)));
    version->setObjectName(QStringLiteral("version"));
    version->setEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
}

void frmMain::showAgain() {
    if (busy()) return;
    const int row = shownRow_ >= 0 ? shownRow_ : 0;
    options_[row]->setChecked(true);
    if (!showCategory(row) && shownRow_ >= 0) options_[shownRow_]->setChecked(true);
}

void frmMain::rememberInUse(const std::vector<GameInstall>& installs) {
    const QStringList copies = copiesOf(installs);
    settings_->setValue(settingKey(settings::kCopies), copies);
    settings_->setValue(settingKey(settings::kInUse), inUse_);
    settings_->sync();
}

const GameInstall* frmMain::installInUse(const std::vector<GameInstall>& installs) const {
    for (const auto& candidate : installs) {
        if (!inUse_.isEmpty() && QString::fromStdString(candidate.hostFolder) == inUse_) {
            return &candidate;
        }
    }
    return installs.empty() ? nullptr : &installs.front();
}

std::vector<GameInstall> frmMain::currentInstalls() {
    if (!search_) search_ = machine_->findGames();
    return withFreshRegistry(machine_->findRegisteredGames(), *search_).installs;
}

void frmMain::startSearch(bool atStart) {
    searching_ = true;
    fillGameMenu();
    if (!searchInBackground_) {
        searchEnded(machine_->findGames(), atStart);
        return;
    }
    // The busy pointer (an arrow with an hourglass): the window answers while it looks.
    setCursor(Qt::BusyCursor);
    // The search gets a machine of its own: the window reads the registry meanwhile.
    searchWork_.start([this, environment = machine_->environment(), atStart] {
        auto search = std::make_shared<GameSearch>(Machine(environment).findGames());
        return std::function<void()>([this, search, atStart] {
            unsetCursor();
            searchEnded(std::move(*search), atStart);
        });
    });
}

void frmMain::searchEnded(GameSearch search, bool atStart) {
    searching_ = false;
    search_ = std::move(search);
    fillGameMenu();
    // A question or a box stands over the window it is about: while the program has not
    // shown the window yet, they wait for it.
    const auto installs = currentInstalls();
    const bool asks =
        installs.empty() || (atStart && installs.size() >= 2 && !choiceRemembered(installs));
    if (asks && searchInBackground_ && !isVisible()) {
        presentWhenShown_ = [this, atStart] { presentSearch(atStart); };
    } else {
        presentSearch(atStart);
    }
    emit searched();
}

void frmMain::presentSearch(bool atStart) {
    const auto installs = currentInstalls();
    if (installs.empty()) {
        installPath_ = QLatin1String(Module1::kNotFound);
        // Said once, in full; the lists stay in the home folder.
        SearchPlaces places = machine_->searchPlaces();
        const bool choose = showMessageOffering(
            tr("The Sims was not found. Brambleton looked at:\n%1\nIf the game is installed, "
               "choose its folder, or a folder that holds it (a Steam library, a Wine prefix, "
               "a folder of games).")
                .arg(
                    QString::fromStdString(describeSearch(machine_->registry(), places, *search_))),
            tr("&Choose the game folder..."), isVisible() ? this : nullptr);
        for (auto* option : options_) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
        shownRow_ = -1;
        if (choose) QTimer::singleShot(0, this, &frmMain::askForGameFolder);
    } else if (atStart) {
        chooseAmongInstalls();
        const int row = pendingRow_;
        if (!options_[row]->isChecked()) {
            selectOption(row);
            if (options_[row]->isChecked()) showCategory(row);  // the load runs its steps again
        } else {
            showCategory(row);
        }
    } else {
        showAgain();
    }
    fillGameMenu();
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!presentWhenShown_) return;
    // After the window's first paint, so the box or the question stands over it.
    QTimer::singleShot(0, this, [this] {
        const auto present = std::move(presentWhenShown_);
        presentWhenShown_ = nullptr;
        if (present) present();
    });
}

void frmMain::trapped(const char* prefix, const std::function<void()>& step) {
    try {
        step();
    } catch (const RuntimeError& e) {
        showMessage(handlerErrorText(QString::fromLatin1(prefix), e.number(),
                                     QString::fromStdString(e.description())));
    } catch (const std::exception& e) {
        showMessage(handlerErrorText(QString::fromLatin1(prefix), kInvalidProcedureCall,
                                     QString::fromUtf8(e.what())));
    }
}

void frmMain::Form_Load() {
    // Until a category shows its folder, the lists stand in the player's home folder, on
    // the drive that holds it: "/" on Linux, the profile's drive (C:) on Windows.
    trapped("Error en frmMain.Form_Load ; ", [this] {
        const QString home = QString::fromStdString(machine_->environment().home.string());
        Drive1_->setDrive(places_->driveOf(QDir::cleanPath(home)));
        Dir1_->setPath(home);
    });

    trapped("Error en frmMain.Form_Load ; ", [this] {
        CounterHooks hooks;
        hooks.yield = [] { QCoreApplication::processEvents(); };
        hooks.message = [this](const std::string& m) { countFailed(m); };
        counter_ = std::make_unique<CFileCounter>(
            std::move(hooks), source_ ? std::move(source_) : makePlatformFolderSource());
        cboFiltro_->setEditText(cboFiltro_->itemText(0));
        File1_->setPattern(cboFiltro_->currentText());
    });

    // Objects, once the game is found.
    pendingRow_ = 0;
    startSearch(true);
}

void frmMain::selectOption(int row) {
    if (!options_[row]->isChecked()) options_[row]->click();
}

void frmMain::Option_Click(int row) {
    options_[row]->setChecked(true);
    if (searching_) {
        // The lists move there when the search has found the game.
        pendingRow_ = row;
        return;
    }
    if (!showCategory(row)) keepChoiceOfLists(row);
}

void frmMain::keepChoiceOfLists(int row) {
    // The lists stay where they were, so the selection goes back to what they show.
    if (shownRow_ >= 0) {
        options_[shownRow_]->setChecked(true);
        return;
    }
    options_[row]->setAutoExclusive(false);
    options_[row]->setChecked(false);
    options_[row]->setAutoExclusive(true);
}

bool frmMain::choiceRemembered(const std::vector<GameInstall>& installs) const {
    const QStringList copies = copiesOf(installs);
    return settings_->value(settingKey(settings::kCopies)).toStringList() == copies &&
           copies.contains(settings_->value(settingKey(settings::kInUse)).toString());
}

void frmMain::chooseAmongInstalls() {
    const auto installs = currentInstalls();
    if (installs.size() < 2) return;
    // Asked again only when the copies are not those the player chose among last time.
    if (choiceRemembered(installs)) {
        inUse_ = settings_->value(settingKey(settings::kInUse)).toString();
        return;
    }
    inUse_ = QString::fromStdString(
        installs[static_cast<std::size_t>(chooseInstall(this, installs))].hostFolder);
    rememberInUse(installs);
}

namespace {

// What a failure to show `folder` adds to "could not be found": its reason without the path
// the sentence names already (": no folder "Roofs" in C:\Games\GameData"), or a full stop.
QString whyNotFound(const QString& description, const QString& folder) {
    QString why = description;
    for (const QString& prefix : {QStringLiteral("Path not found: "), folder}) {
        if (why.startsWith(prefix)) why = why.mid(prefix.size()).trimmed();
    }
    if (why.startsWith(QLatin1Char('(')) && why.endsWith(QLatin1Char(')'))) {
        why = why.mid(1, why.size() - 2);
    }
    return why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why;
}

}  // namespace

bool frmMain::showCategory(int row) {
    const auto& category = kContentCategories[static_cast<std::size_t>(row)];
    const QString caption = text(category.caption);
    // The chosen folder and the registry are read afresh at every choice (the player may
    // have installed or moved the game); the launchers' search is kept until Look again.
    const auto installs = currentInstalls();
    if (installs.empty()) {
        installPath_ = QLatin1String(Module1::kNotFound);
        // Before the box, so that beside it the choice names what the lists show.
        keepChoiceOfLists(row);
        showMessage(tr("The Sims was not found, so the %1 folder cannot be shown. Choose the "
                       "game's folder with Game > Choose the game folder...")
                        .arg(caption));
        return false;
    }
    const GameInstall* install = installInUse(installs);
    installPath_ = QString::fromStdString(install->installPath);
    const auto location = locateCategory(category, install->installPath);
    const QString folder = QString::fromStdString(location.folderPath);
    const auto folderMap = machine_->folderMapFor(*install);
    try {
        // Checked before anything moves, so a folder that cannot be shown leaves the lists
        // as they were.
        Places(folderMap).resolveFolder(folder);
        places_->setFolderMap(folderMap);
        File1_->setPattern(QString::fromStdString(location.pattern));
        {
            const QSignalBlocker quiet(cboFiltro_);
            cboFiltro_->setEditText(File1_->Pattern());
            // The box is narrower than Skins' pattern: its start ("*.skn;...") shows.
            cboFiltro_->lineEdit()->setCursorPosition(0);
        }
        Drive1_->setDrive(QString::fromStdString(location.drive));
        Dir1_->setPath(folder);
    } catch (const RuntimeError& e) {
        keepChoiceOfLists(row);
        showMessage(QStringLiteral("The %1 folder %2 could not be found%3")
                        .arg(caption, QDir::toNativeSeparators(folder),
                             whyNotFound(QString::fromStdString(e.description()), folder)));
        return false;
    }
    shownRow_ = row;
    return true;
}

void frmMain::Drive1_Change() {
    trapped("Error en frmMain.Drive1_Change ; ", [this] {
        try {
            Dir1_->setPath(Drive1_->Drive());
        } catch (const RuntimeError&) {
            // The list goes back to the drive of the folder still shown.
            const QSignalBlocker quiet(Drive1_);
            try {
                Drive1_->setDrive(places_->driveOf(Dir1_->Path()));
            } catch (const RuntimeError&) {
            }
            throw;
        }
    });
}

void frmMain::Dir1_Change() {
    trapped("Error en frmMain.Dir1_Change ; ", [this] { File1_->setPath(Dir1_->Path()); });
}

void frmMain::cboFiltro_Change() {
    trapped("Error en frmMain.cboFiltro_Change ; ", [this] {
        File1_->setPattern(cboFiltro_->currentText());
        File1_->Refresh();
    });
}

void frmMain::cboFiltro_Click() {
    trapped("Error en frmMain.cboFiltro_Click ; ", [this] {
        File1_->setPattern(cboFiltro_->currentText());
        File1_->Refresh();
    });
}

void frmMain::File1_Click() {
    // In the platform's own form: C:\Games\The Sims\Downloads\chair.iff on Windows.
    SelectedFilePath =
        QDir::toNativeSeparators(Dir1_->Path() + QLatin1Char('/') + File1_->FileName());
}

void frmMain::cmdContar_Click() {
    // The walk lets events run; a second Count arriving then would share the counter.
    if (busy() || !counter_) return;
    counting_ = true;
    countFailures_.clear();
    // The selector takes no input while the count runs, so the totals belong to the folder
    // the lists show.
    Frame1_->setEnabled(false);
    std::optional<WaitCursorOver> waitCursor;
    try {
        for (auto* box : {txtFiles_, txtDirs_, txtTotalBytes_, txtTotalKBytes_, txtTotalMBytes_}) {
            box->setText(QString());
        }
        waitCursor.emplace(this);
        if (!inProcess_) inProcess_ = new frmInProcess(this);
        inProcess_->mFC = counter_.get();
        inProcess_->show();

        std::string folder = File1_->Path().toStdString();
        const std::string pattern = File1_->Pattern().toStdString();
        CountResult totals;
        totals.files = counter_->ContarArchivos(folder, pattern, totals.folders, totals.bytes);

        if (counter_->Cancel()) {
            counter_->Cancel(false);
            if (!closeWhenCounted_) {
                showMessage(QStringLiteral("Action Canceled by User"),
                            QStringLiteral("Cancel Action"));
            }
            totals = CountResult{};
        }
        repaint();
        waitCursor.reset();
        unloadProgressWindow();

        const QLocale locale;
        const NumberSeparators separators{locale.groupSeparator().toStdString(),
                                          locale.decimalPoint().toStdString()};
        const auto shown = Summarise(totals, false, separators);
        txtFiles_->setText(QString::fromStdString(shown.files));
        txtDirs_->setText(QString::fromStdString(shown.folders));
        txtTotalBytes_->setText(QString::fromStdString(shown.bytes));
        txtTotalKBytes_->setText(QString::fromStdString(shown.kilobytes));
        txtTotalMBytes_->setText(QString::fromStdString(shown.megabytes));
    } catch (...) {
        // The player gets the window back as it was before the count: the pointer and the
        // progress window are restored too.
        waitCursor.reset();
        unloadProgressWindow();
        showMessage(QStringLiteral("Holy Crap, you found an Error!"));
    }
    Frame1_->setEnabled(true);
    counting_ = false;
    if (closeWhenCounted_) {
        close();
        return;
    }
    showGatheredFailures();
}

void frmMain::countFailed(const std::string& message) {
    countFailures_ << QString::fromStdString(message);
    // Over this window only: the progress window's Cancel stays within reach.
    if (countFailures_.size() <= kFailuresShownAtOnce) showMessage(countFailures_.back(), {}, this);
}

void frmMain::showGatheredFailures() {
    const qsizetype gathered = countFailures_.size() - kFailuresShownAtOnce;
    if (gathered <= 0) return;
    QString text = gathered == 1 ? QStringLiteral(
                                       "1 more folder could not be read and was left out of "
                                       "the count:")
                                 : QStringLiteral(
                                       "%1 more folders could not be read and were left out of "
                                       "the count:")
                                       .arg(gathered);
    const QString prefix = QString::fromLatin1(CFileCounter::kMessagePrefix);
    const qsizetype listed = std::min(gathered, kFailuresListed);
    for (qsizetype i = kFailuresShownAtOnce; i < kFailuresShownAtOnce + listed; ++i) {
        QString line = countFailures_[i];
        if (line.startsWith(prefix)) line.remove(0, prefix.size());
        text += QLatin1Char('\n') + line;
    }
    if (gathered > listed) text += QStringLiteral("\nand %1 more.").arg(gathered - listed);
    countFailures_.clear();
    showMessage(text, {}, this);
}

void frmMain::Command2_Click() {
    if (!firstAddress_.isEmpty()) openPage(firstAddress_, firstName_);
}

void frmMain::Command4_Click() {
    if (!secondAddress_.isEmpty()) openPage(secondAddress_, secondName_);
}

void frmMain::openPage(const QString& address, const QString& name) {
    if (address.isEmpty()) {
        showMessage(tr("The page %1 is not installed beside Brambleton.").arg(name), {}, this);
        return;
    }
    QPointer<frmMain> window(this);
    Module2::OpenWebPage(address.toStdString(), [window, name, address](const std::string& why) {
        showMessage(tr("The page %1 (%2) could not be opened: %3.")
                        .arg(name,
                             QUrl(address).isLocalFile()
                                 ? QDir::toNativeSeparators(QUrl(address).toLocalFile())
                                 : address,
                             QString::fromStdString(why)),
                    {}, window);
    });
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (counting_) {
        // The count is running inside this window's handler: stop it, and close once it has
        // returned.
        closeWhenCounted_ = true;
        counter_->Cancel(true);
        event->ignore();
        return;
    }
    // The scans run on threads of their own: each stops at its next folder or read.
    for (ScanWindow* window : {static_cast<ScanWindow*>(contentWindow_.data()),
                               static_cast<ScanWindow*>(catalogueWindow_.data()),
                               static_cast<ScanWindow*>(lotsWindow_.data())}) {
        if (window) window->stopScanning();
    }
    unloadProgressWindow();
    event->accept();
}

void frmMain::unloadProgressWindow() {
    if (inProcess_) {
        inProcess_->mFC = nullptr;
        delete inProcess_;
    }
}

}  // namespace brambleton::ui
