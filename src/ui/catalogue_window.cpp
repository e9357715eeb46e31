// SPDX-License-Identifier: MIT
#include "ui/catalogue_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QSplitter>
#include <QTableView>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
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
#include "ui/content_actions.h"
#include "ui/message_box.h"
#include "ui/module2.h"
#include "ui/shown_text.h"

namespace brambleton::ui {
namespace {

// The game's catalogue pictures are 74 by 37 (two views side by side): the list shows them
// at that size at least, the details beside it twice as large.
constexpr QSize kIconSize(74, 37);
constexpr QSize kLargeSize(160, 160);
// A picture larger than this is not decoded: the game's are a few dozen pixels, a skin's
// texture a few hundred.
constexpr std::uint32_t kLargestSide = 1024;
// A skin's texture read for its picture is at most this long.
constexpr std::int64_t kLargestTexture = 4 << 20;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QImage framed(QSize size) {
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setPen(QColor(128, 128, 128));
    const int side = std::min(size.width(), size.height()) - 5;
    painter.drawRect((size.width() - side) / 2, 2, side, side);
    return out;
}

const QImage& placeholder() {
    static const QImage image = framed(kIconSize);
    return image;
}

// `image` made to fit `box`, keeping its shape; a small picture is enlarged only by whole
// steps, so its pixels stay sharp.
QImage fitted(const QImage& image, QSize box) {
    if (image.isNull()) return {};
    const QSize size = image.size();
    if (size.width() <= box.width() && size.height() <= box.height()) {
        const int times =
            std::max(1, std::min(box.width() / size.width(), box.height() / size.height()));
        return times == 1 ? image
                          : image.scaled(size * times, Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// `image` in the middle of a transparent canvas of `size`, so that every row's name starts at
// one place whatever the shape of its picture.
QImage centred(const QImage& image, QSize size) {
    if (image.size() == size) return image;
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.drawImage((size.width() - image.width()) / 2, (size.height() - image.height()) / 2,
                      image);
    return out;
}

// BMP bytes decoded by Qt's image reader, when their header says they are of a sane size.
QImage decodeBmp(const std::string& bytes) {
    const auto facts = content::readBmpFacts(bytes);
    if (!facts || facts->width > kLargestSide || facts->height > kLargestSide) return {};
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                            static_cast<int>(bytes.size()), "BMP")) {
        return {};
    }
    return image;
}

// A skin's first texture, from the folder of its mesh list.
QImage readTexture(const content::CatalogueItem& item) {
    if (item.textures.empty() || !item.entry.empty()) return {};
    const QFileInfo mesh(fromUtf8(item.path));
    QFile file(mesh.dir().filePath(fromUtf8(item.textures.front())));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestTexture) return {};
    return decodeBmp(file.readAll().toStdString());
}

// The picture of `item`: an object's catalogue picture, a skin's texture; a null image when
// it has none or it does not decode.
QImage readPicture(const content::CatalogueItem& item) {
    if (item.kind == content::ItemKind::Skin) return readTexture(item);
    const auto bytes = content::catalogueThumbnail(item);
    return bytes ? decodeBmp(*bytes) : QImage();
}

// A skin's words from its file name: "body, male, adult, fit".
QString skinWords(const content::CatalogueItem& item) {
    QStringList words;
    for (const auto word : {item.part, item.gender, item.age, item.build}) {
        if (!word.empty()) words << text(word);
    }
    return words.join(QStringLiteral(", "));
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

bool CatalogueModel::notSold(const content::CatalogueItem& item) {
    return item.kind == content::ItemKind::Object && !item.inCatalog;
}

QString CatalogueModel::details(int row) const {
    const auto& item = items_[static_cast<std::size_t>(row)];
    const std::string& file = item.entry.empty() ? item.path : item.entry;
    QStringList lines;
    lines << readable(fromUtf8(item.name.value_or(content::lastPart(file))));
    QStringList what;
    if (item.kind == content::ItemKind::Skin) {
        what << tr("skin: %1").arg(skinWords(item));
    } else {
        const QString price = data(index(row, kPrice), Qt::DisplayRole).toString();
        what << data(index(row, kCategory), Qt::DisplayRole).toString();
        if (!price.isEmpty()) what << price;
    }
    if (item.gameOwn) what << tr("the game's own");
    what.removeAll(QString());
    lines << what.join(QStringLiteral(", "));
    lines << data(index(row, kFile), Qt::DisplayRole).toString();
    if (item.kind == content::ItemKind::Skin && !item.textures.empty()) {
        QStringList textures;
        for (const auto& texture : item.textures) textures << readable(fromUtf8(texture));
        lines << tr("Textures: %1").arg(textures.join(QStringLiteral(", ")));
    }
    if (lots_) {
        const QStringList lots = lotNames(row);
        lines << (!lots.isEmpty() ? tr("Used by: %1").arg(lots.join(QStringLiteral(", ")))
                  : unused(row)   ? tr("Used by no saved lot")
                                  : tr("Used by: not known"));
    }
    if (item.description && !item.description->empty()) {
        lines << QString() << readableLines(fromUtf8(*item.description));
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList CatalogueModel::lotNames(int row) const {
    QStringList names;
    if (!lots_) return names;
    for (const auto lot : usedBy_[static_cast<std::size_t>(row)]) {
        names << readable(fromUtf8(content::lotLabel(lots_->lots[lot])));
    }
    return names;
}

QString CatalogueModel::toolTip(const content::CatalogueItem& item) {
    const std::string& file = item.entry.empty() ? item.path : item.entry;
    QString tip = readable(fromUtf8(item.name.value_or(content::lastPart(file))));
    if (item.kind == content::ItemKind::Skin) tip += QLatin1Char('\n') + skinWords(item);
    if (item.description && !item.description->empty()) {
        tip += QLatin1Char('\n') + readableLines(fromUtf8(*item.description));
    }
    return tip;
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto& item = items_[static_cast<std::size_t>(index.row())];
    const std::string& file = item.entry.empty() ? item.path : item.entry;
    if (role == Qt::DecorationRole && index.column() == kName) return picture(index.row());
    if (index.column() == kUsedBy && (role == Qt::ToolTipRole || role == Qt::DisplayRole)) {
        return usedByText(index.row(), role == Qt::ToolTipRole);
    }
    if (role == Qt::ToolTipRole) return toolTip(item);
    if (role == Qt::TextAlignmentRole && (index.column() == kPrice || index.column() == kSize)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    const QLocale locale;
    switch (index.column()) {
        case kName:
            return readable(fromUtf8(item.name ? *item.name : content::lastPart(file)));
        case kPrice:
            return item.price && !notSold(item)
                       ? QStringLiteral("\u00a7") +
                             locale.toString(static_cast<qlonglong>(*item.price))
                       : QString();
        case kCategory:
            return notSold(item) ? tr("not sold") : text(item.category);
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

bool CatalogueModel::hasPicture(int row) const {
    const auto& item = items_[static_cast<std::size_t>(row)];
    return item.kind == content::ItemKind::Skin ? !item.textures.empty() && item.entry.empty()
                                                : item.thumbnail.has_value();
}

QImage CatalogueModel::largePicture(int row) const {
    if (const Picture* cached = pictures_.object(row)) return cached->large;
    (void)picture(row);  // asks for it: pictureRead() follows
    return {};
}

QVariant CatalogueModel::picture(int row) const {
    if (const Picture* cached = pictures_.object(row)) return cached->icon;
    if (!hasPicture(row)) return placeholder();
    const auto& item = items_[static_cast<std::size_t>(row)];
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
                [self, row, ticket, image = std::move(image)]() {
                    if (ticket->alive) self->pictureRead(row, image);
                },
                Qt::QueuedConnection);
        });
    }
    return placeholder();
}

void CatalogueModel::pictureRead(int row, const QImage& image) {
    asked_.remove(row);
    ++decoded_;
    auto* picture = new Picture;
    picture->icon = image.isNull() ? placeholder() : centred(fitted(image, kIconSize), kIconSize);
    picture->large = fitted(image, kLargeSize);
    const auto cost =
        static_cast<int>((picture->icon.sizeInBytes() + picture->large.sizeInBytes()) / 1024 + 1);
    pictures_.insert(row, picture, cost);
    const QModelIndex cell = index(row, kName);
    emit dataChanged(cell, cell, {Qt::DecorationRole});
    emit pictureReady(row);
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
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setIconSize(kIconSize);
    table_->setTextElideMode(Qt::ElideMiddle);
    table_->verticalHeader()->hide();
    // Rows of one height: the view never measures 200,000 of them.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(kIconSize.height() + 4);
    auto* header = table_->horizontalHeader();
    header->setStretchLastSection(false);
    // Every column in view at the window's first size; the file's takes what the window
    // gains when it grows, and gives back when it shrinks.
    const QFontMetrics metrics(font());
    const auto widthOf = [&metrics](const QString& sample) {
        return metrics.horizontalAdvance(sample) + 24;
    };
    table_->setColumnWidth(CatalogueModel::kName,
                           kIconSize.width() + widthOf(QStringLiteral("A chair of some name")));
    table_->setColumnWidth(CatalogueModel::kPrice, widthOf(QStringLiteral("\u00a799,999")));
    table_->setColumnWidth(CatalogueModel::kCategory, widthOf(QStringLiteral("miscellaneous")));
    table_->setColumnWidth(CatalogueModel::kArea, widthOf(QStringLiteral("Downloads")));
    table_->setColumnWidth(CatalogueModel::kSize, widthOf(QStringLiteral("9,999.9")));
    table_->setColumnWidth(CatalogueModel::kUsedBy, widthOf(QStringLiteral("999 lots")));
    header->setSectionResizeMode(CatalogueModel::kFile, QHeaderView::Stretch);
    header->setMinimumSectionSize(40);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setWordWrap(false);

    // The selected item beside the list: its picture larger, and its description whole.
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("detailsPane"));
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(8, 0, 0, 0);
    picture_ = new QLabel(pane);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setMinimumSize(kLargeSize);
    details_ = new QLabel(pane);
    details_->setObjectName(QStringLiteral("details"));
    details_->setTextFormat(Qt::PlainText);
    details_->setWordWrap(true);
    details_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* scroll = new QScrollArea(pane);
    scroll->setWidget(details_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    paneLayout->addWidget(picture_);
    paneLayout->addWidget(scroll, 1);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(table_);
    split->addWidget(pane);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setCollapsible(0, false);
    const int paneWidth = kLargeSize.width() + 100;
    split->setSizes({1, paneWidth});
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    actions_ = new ContentActions(this);
    auto* close = new QPushButton(tr("Close"), this);
    pressOnEnter(close);
    buttons->addWidget(actions_->showInFolder());
    buttons->addWidget(actions_->moveToTrash());
    buttons->addWidget(actions_->undo());
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(actions_, &ContentActions::changed, this, [this] { scan(hostFolder_, saves_); });
    connect(actions_, &ContentActions::undoRequested, this, &CatalogueWindow::undoRequested);
    connect(model_, &CatalogueModel::pictureReady, this, [this](int row) {
        if (row == currentRow()) showDetails();
    });

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
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CatalogueWindow::selectionChanged);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CatalogueWindow::showDetails);
    connect(table_, &QTableView::activated, actions_->showInFolder(), &QPushButton::click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Wide enough for every column and the details beside them, on a screen of 1280 or more.
    int width = paneWidth + 60 + table_->verticalScrollBar()->sizeHint().width() +
                widthOf(QStringLiteral("Downloads/Some Maker/Some Object.iff"));
    for (int column = 0; column < CatalogueModel::kColumns; ++column) {
        if (column != CatalogueModel::kFile) width += table_->columnWidth(column);
    }
    QSize size(width, 680);
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 95 / 100);
    }
    resize(size);
}

CatalogueWindow::~CatalogueWindow() = default;

void CatalogueWindow::setWritePlaces(actions::WritePlaces places) {
    actions_->setWritePlaces(std::move(places));
}

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
    // Read again after a change, the window says in its summary what it could not read,
    // rather than in the same box again.
    const bool readAgain = isVisible();
    leftOut_ = filesUnreadable;
    model_->setItems(std::move(items), hostFolder_);
    selectionChanged();
    showDetails();
    updateSummary();
    show();
    raise();
    activateWindow();
    // Which lots use each item follows, once the catalogue is on screen.
    if (!saves_.empty()) QTimer::singleShot(0, this, &CatalogueWindow::scanLots);
    if (!unreadable.isEmpty() && !readAgain) {
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
            selectionChanged();
            showDetails();
            unusedOnly_->setEnabled(report->unusedKnown);
            updateSummary();
            emit lotsRead();
            emit scanEnded(true);
        });
    });
}

void CatalogueWindow::updateSummary() {
    const QLocale locale;
    QString text =
        tr("%1 of %2 items of the game in %3.")
            .arg(locale.toString(filter_->rowCount()), locale.toString(model_->rowCount()),
                 readable(QDir::toNativeSeparators(hostFolder_)));
    if (leftOut_ > 0) {
        text += tr(" %1 files could not be read whole and were left out.")
                    .arg(locale.toString(static_cast<qlonglong>(leftOut_)));
    }
    summary_->setText(text);
}

int CatalogueWindow::currentRow() const {
    const QModelIndex current = filter_->mapToSource(table_->currentIndex());
    return current.isValid() ? current.row() : -1;
}

void CatalogueWindow::showDetails() {
    const int row = currentRow();
    if (row < 0) {
        picture_->clear();
        picture_->hide();
        details_->clear();
        return;
    }
    const QImage large = model_->largePicture(row);
    picture_->setPixmap(large.isNull() ? QPixmap() : QPixmap::fromImage(large));
    // The words stand at the top when there is no picture.
    picture_->setVisible(!large.isNull());
    details_->setText(model_->details(row));
}

void CatalogueWindow::selectionChanged() {
    std::vector<std::string> files;
    QStringList lots;
    for (const QModelIndex& selected : table_->selectionModel()->selectedRows()) {
        const int row = filter_->mapToSource(selected).row();
        const auto& item = model_->item(row);
        // An object in an archive goes only with the whole archive, and never from here.
        if (item.gameOwn || !item.entry.empty()) continue;
        if (std::find(files.begin(), files.end(), item.path) == files.end()) {
            files.push_back(item.path);
        }
        for (const auto& lot : model_->lotNames(row)) {
            if (!lots.contains(lot)) lots << lot;
        }
    }
    actions_->select(hostFolder_.toStdString(), std::move(files), lots, model_->lotsKnown());
}

}  // namespace brambleton::ui
