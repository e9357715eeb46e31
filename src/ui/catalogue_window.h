// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QImage>
#include <QPointer>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "actions/changes.h"
#include "content/catalogue.h"
#include "content/lots.h"
#include "counting/folder_source.h"
#include "ui/frm_in_process.h"
#include "ui/scan_thread.h"
#include "ui/scan_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace brambleton::ui {

class ContentActions;
struct PictureTicket;

// The items of a catalogue as a table: picture and name, price, category, area, file, size.
// Pictures are read and decoded off the window's thread, only for the rows a view asks for,
// and kept in a bounded cache; a row without one shows a plain placeholder.
class CatalogueModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kName, kPrice, kCategory, kArea, kFile, kSize, kUsedBy, kColumns };
    // The role under which each cell holds what it sorts by.
    static constexpr int kSortRole = Qt::UserRole + 1;

    explicit CatalogueModel(QObject* parent = nullptr);
    ~CatalogueModel() override;

    void setItems(std::vector<content::CatalogueItem> items, QString install);
    const content::CatalogueItem& item(int row) const { return items_[static_cast<size_t>(row)]; }
    QString install() const { return install_; }

    // Which saved lots use each item's file, for the Used by column ("3 lots", the lots in
    // the tooltip; "no lot" only where that can be known). Null clears it.
    void setLots(std::shared_ptr<const content::LotsReport> report);
    bool lotsKnown() const { return lots_ != nullptr; }
    // Whether no saved lot uses the row's file, as far as that can be known.
    bool unused(int row) const;
    int lotsUsing(int row) const;
    // The Used by cell's text ("3 lots", "no lot"), or with `lotNames` the lots, one a line.
    QString usedByText(int row, bool lotNames) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Pictures decoded so far (for tests).
    int picturesDecoded() const { return decoded_; }
    // The row's picture as the details show it, larger than the list's; null until it is
    // read (pictureReady() follows) or when it has none.
    QImage largePicture(int row) const;
    // The row's item described whole, a fact a line: name; category, price (or "not sold")
    // or a skin's words; file; textures; the lots that use it; the description.
    QString details(int row) const;
    // The saved lots that use the row's file, by name.
    QStringList lotNames(int row) const;
    // An object the game does not sell in Buy or Build mode.
    static bool notSold(const content::CatalogueItem& item);

  signals:
    // The row's picture was read.
    void pictureReady(int row);

  private:
    struct Picture {
        QImage icon;   // as the list shows it
        QImage large;  // as the details show it
    };
    bool hasPicture(int row) const;
    static QString toolTip(const content::CatalogueItem& item);
    QVariant picture(int row) const;
    void pictureRead(int row, const QImage& image);

    std::vector<content::CatalogueItem> items_;
    QString install_;
    std::shared_ptr<const content::LotsReport> lots_;
    // Per row: the lots that use its file (indexes into lots_->lots); -1 for a file no lot
    // is known not to use.
    std::vector<std::vector<std::uint32_t>> usedBy_;
    std::vector<bool> unused_;
    // Bounded by the memory the pictures take, in KiB.
    mutable QCache<int, Picture> pictures_{qsizetype{64} * 1024};
    mutable QSet<int> asked_;  // rows whose picture is being read
    std::shared_ptr<PictureTicket> ticket_;
    int decoded_ = 0;
};

// Filters a catalogue by text (in the name, the description or the file), category and area.
class CatalogueFilter final : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setText(const QString& text);
    void setCategory(const QString& category);  // empty: every category
    void setArea(const QString& area);          // empty: every area
    void setUnusedOnly(bool only);              // only what no saved lot uses

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;
    // By the items themselves: names without regard to case, prices and sizes as numbers.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    QString text_;
    QString category_;
    QString area_;
    bool unusedOnly_ = false;
};

// The window of Content > Catalogue...: every object, floor, wall and skin of one install of
// the game, with its picture, name, price, category, area and file; a search box; filters by
// category and area; sorting by any column; the selected item's picture and description
// whole beside the list ("picture", "details"); Show in folder, Move to trash... and Undo
// (ContentActions). The scan runs on a thread of its own with the progress window, as the
// check. Its table is named "items", the search box "search".
class CatalogueWindow : public ScanWindow {
    Q_OBJECT
  public:
    explicit CatalogueWindow(QWidget* owner = nullptr,
                             std::unique_ptr<FolderSource> source = nullptr);
    ~CatalogueWindow() override;

    // Starts reading the catalogue of the install in `hostFolder`, then which lots in the
    // save folders `saves` use each item; false when a scan runs.
    bool scan(const QString& hostFolder, std::vector<std::filesystem::path> saves = {});
    CatalogueModel& model() { return *model_; }
    CatalogueFilter& filter() { return *filter_; }

    void setWritePlaces(actions::WritePlaces places);
    ContentActions& actions() { return *actions_; }

  signals:
    // Which lots use each item is read and shown.
    void lotsRead();
    // The player asked to take back the last change.
    void undoRequested();

  protected:
    void showProgress(const QString& where) override;

  private:
    void finish(std::vector<content::CatalogueItem> items, const QStringList& unreadable,
                bool cancelled, std::int64_t filesUnreadable);
    int currentRow() const;
    void showDetails();
    void selectionChanged();
    void updateSummary();
    void scanLots();

    QString hostFolder_;
    CatalogueModel* model_;
    CatalogueFilter* filter_;
    QLabel* summary_;
    QLineEdit* search_;
    QComboBox* categories_;
    QComboBox* areas_;
    QCheckBox* unusedOnly_;
    std::vector<std::filesystem::path> saves_;
    QTableView* table_;
    QLabel* picture_;
    QLabel* details_;
    std::int64_t leftOut_ = 0;  // files the last reading could not read whole
    ContentActions* actions_;
};

}  // namespace brambleton::ui
