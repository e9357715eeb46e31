// SPDX-License-Identifier: MIT
#include "ui/frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <vector>

#include "common/runtime_error.h"
#include "counting/count_summary.h"
#include "locations/module1.h"
#include "locations/registry.h"
#include "ui/about.h"
#include "ui/app_style.h"
#include "ui/file_system_lists.h"
#include "ui/frm_in_process.h"
#include "ui/install_chooser.h"
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

template <typename W>
W* place(QWidget* container, const char* name, int left, int top, int width, int height) {
    auto* widget = new W(container);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(left, top, width, height));
    return widget;
}

}  // namespace

Sources Sources::fromProcess() {
    return {std::make_shared<Machine>(HostEnvironment::fromProcess()), nullptr, QString()};
}

frmMain::frmMain(Sources sources, Loading loading, QWidget* parent)
    : QWidget(parent),
      machine_(sources.machine ? std::move(sources.machine) : Sources::fromProcess().machine),
      places_(std::make_shared<Places>(machine_->defaultFolderMap())),
      source_(std::move(sources.folders)) {
    const QString programFolder = sources.programFolder.isEmpty()
                                      ? QCoreApplication::applicationDirPath()
                                      : sources.programFolder;
    const auto first = about::firstLink(programFolder);
    const auto second = about::secondLink(programFolder);
    firstAddress_ = first.address;
    secondAddress_ = second.address;
    buildControls();
    Command2_->setText(first.caption);
    Command4_->setText(second.caption);
    findChild<QLabel*>(QStringLiteral("Label9"))->setText(first.label);
    findChild<QLabel*>(QStringLiteral("Label10"))->setText(second.label);
    if (loading == Loading::Now) Form_Load();
}

frmMain::~frmMain() {
    unloadProgressWindow();
}

void frmMain::buildControls() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("The Sims Brambleton"));
    setWindowIcon(applicationIcon());
    applyWindowLook(this);
    setFixedSize(fromTwips(9495), fromTwips(5670));
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    QFont resultFont(QStringLiteral("Courier New"));
    resultFont.setPointSizeF(9.75);
    resultFont.setWeight(QFont::Bold);
    QFont boldFont = font();
    boldFont.setWeight(QFont::Bold);

    auto button = [](QWidget* in, const char* name, const QString& caption, int l, int t, int w,
                     int h) {
        auto* b = place<QPushButton>(in, name, l, t, w, h);
        b->setText(caption);
        makeCommandButton(b);
        return b;
    };
    auto label = [](QWidget* in, const char* name, const QString& caption, int l, int t, int w,
                    int h) {
        auto* b = place<QLabel>(in, name, l, t, w, h);
        b->setTextFormat(Qt::PlainText);
        b->setText(caption);
        return b;
    };
    auto group = [](QWidget* in, const char* name, const QString& caption, int l, int t, int w,
                    int h) {
        auto* g = place<QGroupBox>(in, name, l, t, w, h);
        g->setTitle(caption);
        return g;
    };
    auto resultBox = [&](const char* name, int top) {
        auto* box = place<QLineEdit>(Frame2_, name, 1470, top, 2025, 330);
        usePlatformColours(box);
        box->setReadOnly(true);
        box->setFont(resultFont);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        makeResultColours(box);
        return box;
    };
    auto resultLabel = [&](const char* name, const char* caption, int left, int top, int width) {
        auto* l = label(Frame2_, name, QString::fromLatin1(caption), left, top, width, 330);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    };

    // The About group first, then Details, then the selector, as the window holds them.
    Frame4_ = group(this, "Frame4", QStringLiteral("About:"), 5760, 3480, 3615, 2055);
    Command2_ = button(Frame4_, "Command2", QString(), 120, 240, 1575, 255);
    Command4_ = button(Frame4_, "Command4", QString(), 1920, 240, 1575, 255);
    label(Frame4_, "Label10", QString(), 120, 1680, 1815, 255);
    label(Frame4_, "Label9", QString(), 120, 1440, 1455, 255);
    label(Frame4_, "Label1", QString::fromUtf8(about::kRights), 120, 1200, 1815, 255)
        ->setFont(boldFont);
    label(Frame4_, "Label7", QString::fromUtf8(about::kAuthor), 120, 840, 1815, 255);
    label(Frame4_, "Label8", QString::fromUtf8(about::kLeadIn), 120, 600, 1455, 255)
        ->setFont(boldFont);

    Frame2_ = group(this, "Frame2", QStringLiteral("Details:"), 5760, 120, 3600, 3255);
    cmdContar_ = button(Frame2_, "cmdContar", QStringLiteral("Count"), 120, 2880, 3360, 255);
    txtFiles_ = resultBox("txtFiles", 840);
    txtDirs_ = resultBox("txtDirs", 315);
    txtTotalBytes_ = resultBox("txtTotalBytes", 1365);
    txtTotalKBytes_ = resultBox("txtTotalKBytes", 1890);
    txtTotalMBytes_ = resultBox("txtTotalMBytes", 2415);
    resultLabel("Label2", "Folders", 600, 315, 690);
    resultLabel("Label3", "Files", 840, 840, 450);
    resultLabel("Label4", "Total Bytes", 120, 1365, 1170);
    resultLabel("Label5", "Total KBytes", 120, 1890, 1170);
    resultLabel("Label6", "Total MBytes", 120, 2415, 1170);

    Frame1_ = group(this, "Frame1", QStringLiteral("Select a File:"), 120, 120, 5510, 5415);
    const int optionLeft[5] = {120, 1200, 2280, 3480, 4680};
    const int optionWidth[5] = {855, 855, 855, 855, 735};
    for (int row = 4; row >= 0; --row) {
        const auto& category = kContentCategories[static_cast<std::size_t>(row)];
        const std::string name(category.option);
        auto* option =
            place<QRadioButton>(Frame1_, name.c_str(), optionLeft[row], 240, optionWidth[row], 255);
        option->setText(text(category.caption));
        options_[row] = option;
        connect(option, &QRadioButton::clicked, this, [this, row] { Option_Click(row); });
    }
    File1_ = place<FileListBox>(Frame1_, "File1", 2760, 960, 2655, 4380);
    Drive1_ = place<DriveListBox>(Frame1_, "Drive1", 120, 600, 5265, 315);
    Dir1_ = place<DirListBox>(Frame1_, "Dir1", 120, 960, 2625, 4365);
    Drive1_->setPlaces(places_);
    Dir1_->setPlaces(places_);
    cboFiltro_ = place<QComboBox>(Frame1_, "cboFiltro", 2760, 4200, 1065, 315);
    cboFiltro_->setEditable(true);
    // What the player types stands as typed: no completion from the offered patterns.
    cboFiltro_->setCompleter(nullptr);
    for (QWidget* control : std::initializer_list<QWidget*>{Drive1_, Dir1_, File1_, cboFiltro_}) {
        usePlatformColours(control);
    }
    cboFiltro_->setInsertPolicy(QComboBox::NoInsert);
    cboFiltro_->addItems(filterPatterns());
    cboFiltro_->setCurrentIndex(-1);
    cboFiltro_->setEditText(QString());

    // Tab order among the controls that take the focus, by their designed tab index.
    const std::vector<QWidget*> tabOrder = {
        Dir1_,       Drive1_,     File1_,     txtTotalMBytes_, txtTotalKBytes_, txtTotalBytes_,
        txtDirs_,    txtFiles_,   cmdContar_, options_[0],     options_[1],     options_[2],
        options_[3], options_[4], cboFiltro_, Command4_,       Command2_};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    Dir1_->setFocus();  // the first control in the tab order

    connect(Drive1_, &DriveListBox::Change, this, &frmMain::Drive1_Change);
    connect(Dir1_, &DirListBox::Change, this, &frmMain::Dir1_Change);
    connect(File1_, &FileListBox::Click, this, &frmMain::File1_Click);
    connect(cboFiltro_, &QComboBox::editTextChanged, this, &frmMain::cboFiltro_Change);
    connect(cboFiltro_, qOverload<int>(&QComboBox::activated), this, &frmMain::cboFiltro_Click);
    connect(cmdContar_, &QPushButton::clicked, this, &frmMain::cmdContar_Click);
    connect(Command2_, &QPushButton::clicked, this, &frmMain::Command2_Click);
    connect(Command4_, &QPushButton::clicked, this, &frmMain::Command4_Click);
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

    chooseAmongInstalls();
    if (!options_[0]->isChecked()) {
        selectOption(0);
        if (options_[0]->isChecked()) showCategory(0);  // the load runs Objects' steps again
    } else {
        showCategory(0);
    }

    trapped("Error en frmMain.Form_Load ; ", [this] {
        CounterHooks hooks;
        hooks.yield = [] { QCoreApplication::processEvents(); };
        hooks.message = [this](const std::string& m) { countFailed(m); };
        counter_ = std::make_unique<CFileCounter>(
            std::move(hooks), source_ ? std::move(source_) : makePlatformFolderSource());
        cboFiltro_->setEditText(cboFiltro_->itemText(0));
        File1_->setPattern(cboFiltro_->currentText());
    });
}

void frmMain::selectOption(int row) {
    if (!options_[row]->isChecked()) options_[row]->click();
}

void frmMain::Option_Click(int row) {
    options_[row]->setChecked(true);
    if (!showCategory(row)) {
        // The lists stay where they were, so the selection goes back to what they show.
        if (shownRow_ >= 0) {
            options_[shownRow_]->setChecked(true);
            return;
        }
        options_[row]->setAutoExclusive(false);
        options_[row]->setChecked(false);
        options_[row]->setAutoExclusive(true);
    }
}

void frmMain::chooseAmongInstalls() {
    const auto installs = machine_->findGames().installs;
    if (installs.size() < 2) return;
    chosenFolder_ = installs[static_cast<std::size_t>(chooseInstall(this, installs))].hostFolder;
}

bool frmMain::showCategory(int row) {
    const auto& category = kContentCategories[static_cast<std::size_t>(row)];
    const QString caption = text(category.caption);
    // Looked up afresh on every choice: the player may have installed or moved the game.
    const auto search = machine_->findGames();
    if (search.installs.empty()) {
        installPath_ = QLatin1String(Module1::kNotFound);
        showMessage(QStringLiteral("The Sims was not found, so the %1 folder cannot be shown. "
                                   "Brambleton looked at:\n%2You can browse to the game's folder "
                                   "with the lists%3.")
                        .arg(caption,
                             QString::fromStdString(describeSearch(
                                 machine_->registry(), machine_->searchPlaces(), search)),
                             machine_->environment().winePrefix.empty()
                                 ? QString()
                                 : QStringLiteral(", or start Brambleton with WINEPREFIX set to "
                                                  "the game's Wine prefix")));
        return false;
    }
    const GameInstall* install = &search.installs.front();
    for (const auto& candidate : search.installs) {
        if (!chosenFolder_.empty() && candidate.hostFolder == chosenFolder_) install = &candidate;
    }
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
        }
        Drive1_->setDrive(QString::fromStdString(location.drive));
        Dir1_->setPath(folder);
    } catch (const RuntimeError& e) {
        showMessage(QStringLiteral("The %1 folder %2 could not be found: %3")
                        .arg(caption, folder, QString::fromStdString(e.description())));
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
    if (counting_ || !counter_) return;
    counting_ = true;
    countFailures_.clear();
    // The selector takes no input while the count runs, so the totals belong to the folder
    // the lists show.
    Frame1_->setEnabled(false);
    bool hourglass = false;
    try {
        for (auto* box : {txtFiles_, txtDirs_, txtTotalBytes_, txtTotalKBytes_, txtTotalMBytes_}) {
            box->setText(QString());
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass = true;
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
        QApplication::restoreOverrideCursor();
        hourglass = false;
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
        if (hourglass) QApplication::restoreOverrideCursor();
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
    if (!firstAddress_.isEmpty()) Module2::OpenWebPage(firstAddress_.toStdString());
}

void frmMain::Command4_Click() {
    if (!secondAddress_.isEmpty()) Module2::OpenWebPage(secondAddress_.toStdString());
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (counting_) {
        // The walk is running inside this window's handler: stop it, and close once it has
        // returned.
        closeWhenCounted_ = true;
        counter_->Cancel(true);
        event->ignore();
        return;
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
