// SPDX-License-Identifier: MIT
#include "ui/catalogue_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <mutex>
#include <unordered_map>

#include "common/ascii.h"
#include "common/game_folders.h"
#include "content/file_names.h"
#include "content/formats/picture.h"
#include "content/formats/text_codes.h"
#include "content/lots_report.h"
#include "content/report_words.h"
#include "ui/app_style.h"
#include "ui/message_box.h"
#include "ui/module2.h"
#include "ui/shown_text.h"

namespace brambleton::ui {
namespace {

constexpr int kPictureSide = 32;
// A catalogue picture larger than this is not decoded: the game's are a few dozen pixels.
constexpr std::uint32_t kLargestSide = 1024;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const QImage& placeholder() {
    static const QImage image = [] {
        QImage out(kPictureSide, kPictureSide, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        painter.setPen(QColor(128, 128, 128));
        painter.drawRect(2, 2, kPictureSide - 5, kPictureSide - 5);
        return out;
    }();
    return image;
}

// The picture of `item`, decoded by Qt's image reader and made small; a null image when it
// has none or it does not decode.
QImage readPicture(const content::CatalogueItem& item) {
    const auto bytes = content::catalogueThumbnail(item);
    if (!bytes) return {};
    const auto facts = content::readBmpFacts(*bytes);
    if (!facts || facts->width > kLargestSide || facts->height > kLargestSide) return {};
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                            static_cast<int>(bytes->size()), "BMP")) {
        return {};
    }
    return image.scaled(kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

// Shared with the threads that read pictures: they post what they read only while the model
// lives (the model clears `alive` under the lock as it goes).
struct PictureTicket {
    std::mutex mutex;
    bool alive = true;
};

namespace {

// Tells the threads still reading pictures for `ticket`'s rows that their answers are no
// longer wanted.
void retire(const std::shared_ptr<PictureTicket>& ticket) {
    if (!ticket) return;
    const std::lock_guard lock(ticket->mutex);
    ticket->alive = false;
}

}  // namespace

CatalogueModel::CatalogueModel(QObject* parent)
    : QAbstractTableModel(parent), ticket_(std::make_shared<PictureTicket>()) {}

CatalogueModel::~CatalogueModel() {
    retire(ticket_);
}

void CatalogueModel::setItems(std::vector<content::CatalogueItem> items, QString install) {
    beginResetModel();
    items_ = std::move(items);
    install_ = std::move(install);
    pictures_.clear();
    asked_.clear();
    // Pictures still being read belong to the rows before: they are dropped.
    retire(ticket_);
    ticket_ = std::make_shared<PictureTicket>();
    endResetModel();
}

void CatalogueModel::setLots(std::shared_ptr<const content::LotsReport> report) {
    lots_ = std::move(report);
    usedBy_.assign(lots_ ? items_.size() : 0, {});
    unused_.assign(lots_ ? items_.size() : 0, false);
    if (lots_) {
        std::unordered_map<std::string, std::uint32_t> byPath;
        for (std::uint32_t i = 0; i < lots_->content.size(); ++i) byPath.emplace(lots_->path(i), i);
        std::vector<std::vector<std::uint32_t>> lotsOf(lots_->content.size());
        for (std::uint32_t lot = 0; lot < lots_->lots.size(); ++lot) {
            for (const auto file : lots_->lots[lot].uses) lotsOf[file].push_back(lot);
        }
        std::vector<bool> unusedFile(lots_->content.size(), false);
        for (const auto file : lots_->unused()) unusedFile[file] = true;
        for (std::size_t row = 0; row < items_.size(); ++row) {
            const auto found = byPath.find(items_[row].path);
            if (found == byPath.end()) continue;
            usedBy_[row] = lotsOf[found->second];
            unused_[row] = unusedFile[found->second];
        }
    }
    if (!items_.empty()) emit dataChanged(index(0, kUsedBy), index(rowCount() - 1, kUsedBy));
}

bool CatalogueModel::unused(int row) const {
    return lots_ && unused_[static_cast<std::size_t>(row)];
}

int CatalogueModel::lotsUsing(int row) const {
    return lots_ ? static_cast<int>(usedBy_[static_cast<std::size_t>(row)].size()) : 0;
}

QString CatalogueModel::usedByText(int row, bool lotNames) const {
    if (!lots_) return {};
    if (!lotNames) {
        const int lots = lotsUsing(row);
        if (lots > 0) return lots == 1 ? tr("1 lot") : tr("%1 lots").arg(QLocale().toString(lots));
        return unused(row) ? tr("no lot") : QString();
    }
    QStringList names;
    for (const auto lot : usedBy_[static_cast<std::size_t>(row)]) {
        if (names.size() == 20) {
            names << tr("and more");
            break;
        }
        names << readable(fromUtf8(content::lotLabel(lots_->lots[lot])));
    }
    return names.join(QLatin1Char('\n'));
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int CatalogueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kName:
            return tr("Name");
        case kPrice:
            return tr("Price");
        case kCategory:
            return tr("Category");
        case kArea:
            return tr("Area");
        case kFile:
            return tr("File");
        case kSize:
            return tr("KB");
        case kUsedBy:
            return tr("Used by");
        default:
            return {};
    }
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto& item = items_[static_cast<std::size_t>(index.row())];
    const std::string& file = item.entry.empty() ? item.path : item.entry;
    if (role == Qt::DecorationRole && index.column() == kName) return picture(index.row());
    if (index.column() == kUsedBy && (role == Qt::ToolTipRole || role == Qt::DisplayRole)) {
        return usedByText(index.row(), role == Qt::ToolTipRole);
    }
    if (role == Qt::ToolTipRole) {
        const QString name = readable(fromUtf8(item.name.value_or(content::lastPart(file))));
        return item.description && !item.description->empty()
                   ? name + QLatin1Char('\n') + readableLines(fromUtf8(*item.description))
                   : name;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == kPrice || index.column() == kSize)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    const QLocale locale;
    switch (index.column()) {
        case kName:
            return readable(fromUtf8(item.name ? *item.name : content::lastPart(file)));
        case kPrice:
            return item.price ? QStringLiteral("\u00a7") +
                                    locale.toString(static_cast<qlonglong>(*item.price))
                              : QString();
        case kCategory:
            return text(item.category);
        case kArea:
            return text(kGameFolders[item.folder].label);
        case kFile:
            return readable(QDir::toNativeSeparators(fromUtf8(content::placeText(
                content::pathBelow(item.path, install_.toStdString()), item.entry))));
        case kSize:
            return locale.toString(static_cast<double>(item.size) / 1024.0, 'f', 1);
        default:
            return {};
    }
}

QVariant CatalogueModel::picture(int row) const {
    if (const QImage* cached = pictures_.object(row)) return *cached;
    const auto& item = items_[static_cast<std::size_t>(row)];
    if (!item.thumbnail) return placeholder();
    if (!asked_.contains(row)) {
        asked_.insert(row);
        // Read and decoded off the window's thread; the row shows the placeholder meanwhile.
        auto* self = const_cast<CatalogueModel*>(this);
        QThreadPool::globalInstance()->start([self, row, item, ticket = ticket_] {
            QImage image = readPicture(item);
            // Posted under the lock the model takes to retire the ticket: never to a model
            // that is gone, whose posted calls go with it.
            const std::lock_guard lock(ticket->mutex);
            if (!ticket->alive) return;
            QMetaObject::invokeMethod(
                self,
                [self, row, ticket, image = std::move(image)]() mutable {
                    if (ticket->alive) self->pictureRead(row, std::move(image));
                },
                Qt::QueuedConnection);
        });
    }
    return placeholder();
}

void CatalogueModel::pictureRead(int row, QImage image) {
    asked_.remove(row);
    ++decoded_;
    if (image.isNull()) image = placeholder();
    pictures_.insert(row, new QImage(std::move(image)));
    const QModelIndex cell = index(row, kName);
    emit dataChanged(cell, cell, {Qt::DecorationRole});
}

void CatalogueFilter::setText(const QString& text) {
    text_ = text.trimmed();
    invalidateFilter();
}

void CatalogueFilter::setCategory(const QString& category) {
    category_ = category;
    invalidateFilter();
}

void CatalogueFilter::setArea(const QString& area) {
    area_ = area;
    invalidateFilter();
}

void CatalogueFilter::setUnusedOnly(bool only) {
    unusedOnly_ = only;
    invalidateFilter();
}

bool CatalogueFilter::filterAcceptsRow(int row, const QModelIndex&) const {
    const auto& model = static_cast<const CatalogueModel&>(*sourceModel());
    const auto& item = model.item(row);
    if (!category_.isEmpty() && text(item.category) != category_) return false;
    if (!area_.isEmpty() && text(kGameFolders[item.folder].label) != area_) return false;
    if (unusedOnly_ && !model.unused(row)) return false;
    if (text_.isEmpty()) return true;
    const std::string wanted = ascii::toLower(text_.toStdString());
    const auto has = [&](const std::string& field) {
        return ascii::toLower(field).find(wanted) != std::string::npos;
    };
    return (item.name && has(*item.name)) || (item.description && has(*item.description)) ||
           has(item.path) || has(item.entry);
}

bool CatalogueFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto& model = static_cast<const CatalogueModel&>(*sourceModel());
    const auto& a = model.item(left.row());
    const auto& b = model.item(right.row());
    // Without regard to case, and without a copy of either name.
    const auto name = [](const content::CatalogueItem& item) -> std::string_view {
        if (item.name) return *item.name;
        const std::string& file = item.entry.empty() ? item.path : item.entry;
        const auto cut = file.find_last_of("/\\");
        return cut == std::string::npos ? std::string_view(file)
                                        : std::string_view(file).substr(cut + 1);
    };
    const auto lessNoCase = [](std::string_view x, std::string_view y) {
        return std::lexicographical_compare(
            x.begin(), x.end(), y.begin(), y.end(),
            [](char p, char q) { return ascii::lower(p) < ascii::lower(q); });
    };
    switch (left.column()) {
        case CatalogueModel::kPrice:
            return a.price.value_or(0) < b.price.value_or(0);
        case CatalogueModel::kSize:
            return a.size < b.size;
        case CatalogueModel::kCategory:
            return a.category < b.category;
        case CatalogueModel::kArea:
            return a.folder < b.folder;
        case CatalogueModel::kFile:
            return a.path != b.path ? a.path < b.path : a.entry < b.entry;
        case CatalogueModel::kUsedBy:
            return model.lotsUsing(left.row()) < model.lotsUsing(right.row());
        default:
            return lessNoCase(name(a), name(b));
    }
}

CatalogueWindow::CatalogueWindow(QWidget* owner, std::unique_ptr<FolderSource> source)
    : ScanWindow(owner, std::move(source)) {
    setObjectName(QStringLiteral("catalogue"));
    setWindowTitle(tr("Catalogue"));
    setWindowIcon(applicationIcon());
    usePlatformColours(this);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* filters = new QHBoxLayout;
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(tr("Search names, descriptions and files"));
    search_->setClearButtonEnabled(true);
    categories_ = new QComboBox(this);
    categories_->setObjectName(QStringLiteral("categories"));
    categories_->addItem(tr("Every category"), QString());
    for (const char* category :
         {"seating", "surfaces", "appliances", "electronics", "plumbing", "decorative",
          "miscellaneous", "lighting", "build", "floor", "wall", "skin"}) {
        categories_->addItem(QString::fromLatin1(category), QString::fromLatin1(category));
    }
    areas_ = new QComboBox(this);
    areas_->setObjectName(QStringLiteral("areas"));
    areas_->addItem(tr("Every area"), QString());
    QStringList areaNames;
    for (const auto& folder : kGameFolders) {
        if (!areaNames.contains(text(folder.label))) areaNames << text(folder.label);
    }
    for (const auto& area : areaNames) areas_->addItem(area, area);
    filters->addWidget(search_, 3);
    filters->addWidget(categories_, 1);
    filters->addWidget(areas_, 1);
    unusedOnly_ = new QCheckBox(tr("Used by no lot"), this);
    unusedOnly_->setObjectName(QStringLiteral("unusedOnly"));
    unusedOnly_->setToolTip(
        tr("Only what no saved lot uses. Lots drop what they use for good "
           "when it is gone as they are saved; a Sim may still carry "
           "some of this in an inventory."));
    unusedOnly_->setEnabled(false);
    filters->addWidget(unusedOnly_);
    layout->addLayout(filters);

    model_ = new CatalogueModel(this);
    filter_ = new CatalogueFilter(this);
    filter_->setSourceModel(model_);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("items"));
    table_->setModel(filter_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setIconSize(QSize(kPictureSide, kPictureSide));
    table_->verticalHeader()->hide();
    // Rows of one height: the view never measures 200,000 of them.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(kPictureSide + 4);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->setColumnWidth(CatalogueModel::kName, 280);
    table_->setColumnWidth(CatalogueModel::kFile, 300);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setWordWrap(false);
    layout->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    showInFolder_ = new QPushButton(tr("Show in folder"), this);
    showInFolder_->setObjectName(QStringLiteral("showInFolder"));
    showInFolder_->setEnabled(false);
    auto* close = new QPushButton(tr("Close"), this);
    for (auto* button : {showInFolder_, close}) pressOnEnter(button);
    buttons->addWidget(showInFolder_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_->setText(text);
        updateSummary();
    });
    connect(categories_, &QComboBox::currentIndexChanged, this, [this] {
        filter_->setCategory(categories_->currentData().toString());
        updateSummary();
    });
    connect(areas_, &QComboBox::currentIndexChanged, this, [this] {
        filter_->setArea(areas_->currentData().toString());
        updateSummary();
    });
    connect(unusedOnly_, &QCheckBox::toggled, this, [this](bool only) {
        filter_->setUnusedOnly(only);
        updateSummary();
    });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showInFolder_->setEnabled(current.isValid()); });
    connect(table_, &QTableView::activated, this, &CatalogueWindow::showSelectedInFolder);
    connect(showInFolder_, &QPushButton::clicked, this, &CatalogueWindow::showSelectedInFolder);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(900, 640);
}

CatalogueWindow::~CatalogueWindow() = default;

void CatalogueWindow::showProgress(const QString& where) {
    summary_->setText(tr("Reading %1").arg(readable(QDir::toNativeSeparators(where))));
}

bool CatalogueWindow::scan(const QString& hostFolder, std::vector<std::filesystem::path> saves) {
    if (scanning()) return false;
    hostFolder_ = hostFolder;
    saves_ = std::move(saves);
    model_->setLots(nullptr);
    unusedOnly_->setChecked(false);
    unusedOnly_->setEnabled(false);
    const std::filesystem::path install(hostFolder.toStdU16String());
    const auto language = content::desktopLanguage();
    return startScan(
        [this, install, language](std::stop_token stop, const ScanThread::Progress& progress) {
            auto items = std::make_shared<std::vector<content::CatalogueItem>>();
            auto unreadable = std::make_shared<QStringList>();
            content::ScanHooks hooks;
            hooks.progress = progress;
            hooks.cancelled = [&stop] { return stop.stop_requested(); };
            hooks.message = [unreadable](const std::string& m) {
                *unreadable << readable(fromUtf8(m));
            };
            const auto scanned = content::scanCatalogue(
                install, source(), hooks, {language},
                [&items](content::CatalogueItem&& item) { items->push_back(std::move(item)); });
            return std::function<void()>([this, items, unreadable, scanned] {
                finish(std::move(*items), *unreadable, scanned.cancelled, scanned.filesUnreadable);
            });
        });
}

void CatalogueWindow::finish(std::vector<content::CatalogueItem> items,
                             const QStringList& unreadable, bool cancelled,
                             std::int64_t filesUnreadable) {
    if (cancelled) {
        if (!isVisible()) {
            showMessage(QStringLiteral("Action Canceled by User"), QStringLiteral("Cancel Action"));
        } else {
            summary_->setText(tr("Reading the catalogue was cancelled."));
        }
        emit scanEnded(false);
        return;
    }
    model_->setItems(std::move(items), hostFolder_);
    updateSummary();
    show();
    raise();
    activateWindow();
    // Which lots use each item follows, once the catalogue is on screen.
    if (!saves_.empty()) QTimer::singleShot(0, this, &CatalogueWindow::scanLots);
    if (!unreadable.isEmpty()) {
        showMessage(tr("%1 files could not be read whole and were left out:\n")
                            .arg(QLocale().toString(static_cast<qlonglong>(filesUnreadable))) +
                        unreadable.mid(0, 5).join(QLatin1Char('\n')),
                    {}, this);
    }
    emit scanEnded(true);
}

void CatalogueWindow::scanLots() {
    const std::filesystem::path install(hostFolder_.toStdU16String());
    const auto language = content::desktopLanguage();
    const auto saves = saves_;
    // Without the progress window: the catalogue is on screen, and closing it stops this.
    startScan([this, install, saves, language](std::stop_token stop,
                                               const ScanThread::Progress& progress) {
        content::ScanHooks hooks;
        hooks.progress = progress;
        hooks.cancelled = [&stop] { return stop.stop_requested(); };
        auto report = std::make_shared<const content::LotsReport>(
            content::scanLots(install, saves, source(), hooks, {language}));
        return std::function<void()>([this, report] {
            if (report->cancelled) {
                emit scanEnded(false);
                return;
            }
            model_->setLots(report);
            unusedOnly_->setEnabled(report->unusedKnown);
            updateSummary();
            emit lotsRead();
            emit scanEnded(true);
        });
    });
}

void CatalogueWindow::updateSummary() {
    const QLocale locale;
    summary_->setText(tr("%1 of %2 items of the game in %3. Nothing is changed: this only reads.")
                          .arg(locale.toString(filter_->rowCount()),
                               locale.toString(model_->rowCount()),
                               readable(QDir::toNativeSeparators(hostFolder_))));
}

void CatalogueWindow::showSelectedInFolder() {
    const QModelIndex current = filter_->mapToSource(table_->currentIndex());
    if (!current.isValid()) return;
    const QString path = fromUtf8(model_->item(current.row()).path);
    QPointer<CatalogueWindow> self(this);
    Module2::ShowInFolder(path.toStdString(), [self, path](const std::string& why) {
        showMessage(tr("%1 could not be shown in its folder: %2.")
                        .arg(QDir::toNativeSeparators(path), QString::fromStdString(why)),
                    {}, self);
    });
}

}  // namespace brambleton::ui
