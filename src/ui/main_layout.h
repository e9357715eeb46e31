// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string_view>

#include "ui/about.h"

// The main window's controls as data: what each is, where it sits and where it comes in the
// tab order. frmMain makes its client area from this table alone, and the layout tests check
// their rules against it and the widgets made from it.
namespace brambleton::ui {

enum class ControlKind {
    Group,        // QGroupBox with a title
    Button,       // QPushButton
    Label,        // QLabel, plain text
    BoldLabel,    // QLabel, plain text in bold
    ResultLabel,  // QLabel beside a result box, right-aligned
    ResultBox,    // read-only QLineEdit for a total, in the result font and colours
    Category,     // QRadioButton choosing a content category; its caption is the category's
    DriveList,    // DriveListBox
    FolderList,   // DirListBox
    FileList,     // FileListBox
    Filter,       // editable QComboBox of patterns
};

struct LayoutRow {
    const char* name;  // the objectName: testers and error messages know it by this
    ControlKind kind;
    const char* parent;            // "clientArea" or a group's name, made earlier in the table
    const char* caption;           // the text it is made with; nullptr where it is set later
    int left, top, width, height;  // in twips, within the parent
    int tabIndex;                  // its place in the tab order; -1 for a control without focus
};

// The client area's size, in twips.
inline constexpr int kClientWidth = 9495;
inline constexpr int kClientHeight = 5670;

// Every control, in the order the window makes them: each group before what it holds.
inline constexpr LayoutRow kMainLayout[] = {
    {"Frame4", ControlKind::Group, "clientArea", "About:", 5760, 3480, 3615, 2055, -1},
    {"Command2", ControlKind::Button, "Frame4", nullptr, 120, 240, 1575, 255, 16},
    {"Command4", ControlKind::Button, "Frame4", nullptr, 1920, 240, 1575, 255, 15},
    {"Label10", ControlKind::Label, "Frame4", nullptr, 120, 1680, 1815, 255, -1},
    {"Label9", ControlKind::Label, "Frame4", nullptr, 120, 1440, 1455, 255, -1},
    {"Label1", ControlKind::BoldLabel, "Frame4", about::kRights, 120, 1200, 1815, 255, -1},
    {"Label7", ControlKind::Label, "Frame4", about::kAuthor, 120, 840, 1815, 255, -1},
    {"Label8", ControlKind::BoldLabel, "Frame4", about::kLeadIn, 120, 600, 1455, 255, -1},

    {"Frame2", ControlKind::Group, "clientArea", "Details:", 5760, 120, 3600, 3255, -1},
    {"cmdContar", ControlKind::Button, "Frame2", "Count", 120, 2880, 3360, 255, 8},
    {"txtFiles", ControlKind::ResultBox, "Frame2", "", 1470, 840, 2025, 330, 7},
    {"txtDirs", ControlKind::ResultBox, "Frame2", "", 1470, 315, 2025, 330, 6},
    {"txtTotalBytes", ControlKind::ResultBox, "Frame2", "", 1470, 1365, 2025, 330, 5},
    {"txtTotalKBytes", ControlKind::ResultBox, "Frame2", "", 1470, 1890, 2025, 330, 4},
    {"txtTotalMBytes", ControlKind::ResultBox, "Frame2", "", 1470, 2415, 2025, 330, 3},
    {"Label2", ControlKind::ResultLabel, "Frame2", "Folders", 600, 315, 690, 330, -1},
    {"Label3", ControlKind::ResultLabel, "Frame2", "Files", 840, 840, 450, 330, -1},
    {"Label4", ControlKind::ResultLabel, "Frame2", "Total Bytes", 120, 1365, 1170, 330, -1},
    {"Label5", ControlKind::ResultLabel, "Frame2", "Total KBytes", 120, 1890, 1170, 330, -1},
    {"Label6", ControlKind::ResultLabel, "Frame2", "Total MBytes", 120, 2415, 1170, 330, -1},

    {"Frame1", ControlKind::Group, "clientArea", "Select a File:", 120, 120, 5510, 5415, -1},
    {"Option5", ControlKind::Category, "Frame1", nullptr, 4680, 240, 735, 255, 13},
    {"Option4", ControlKind::Category, "Frame1", nullptr, 3480, 240, 855, 255, 12},
    {"Option3", ControlKind::Category, "Frame1", nullptr, 2280, 240, 855, 255, 11},
    {"Option2", ControlKind::Category, "Frame1", nullptr, 1200, 240, 855, 255, 10},
    {"Option1", ControlKind::Category, "Frame1", nullptr, 120, 240, 855, 255, 9},
    {"File1", ControlKind::FileList, "Frame1", nullptr, 2760, 960, 2655, 4380, 2},
    {"Drive1", ControlKind::DriveList, "Frame1", nullptr, 120, 600, 5265, 315, 1},
    {"Dir1", ControlKind::FolderList, "Frame1", nullptr, 120, 960, 2625, 4365, 0},
    {"cboFiltro", ControlKind::Filter, "Frame1", "", 2760, 4200, 1065, 315, 14},
};

// The option buttons of the five content categories, in the categories' order.
inline constexpr const char* kCategoryOptions[] = {"Option1", "Option2", "Option3", "Option4",
                                                   "Option5"};

}  // namespace brambleton::ui
