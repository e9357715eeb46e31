// SPDX-License-Identifier: MIT
#include "ui/app_style.h"

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "common/version.h"
#include "ui/platform_setup.h"

// The icons are compiled into the ui library; a static library's resources are kept only when
// something refers to them, so they are registered by name here.
static void registerResources() {
    Q_INIT_RESOURCE(brambleton);
}

namespace brambleton::ui {
namespace {

// Fusion with a focus mark that shows on every background: a dotted rectangle in the text
// colour of the control it surrounds (white on the navy window, black on a white button face
// or list), drawn whether the focus came from the keyboard or the mouse.
class FocusMarkStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QPalette::ColorRole role = widget ? widget->foregroundRole() : QPalette::WindowText;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(option->palette.color(role), 1, Qt::DotLine));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    // Fusion marks a focused button by its frame's tint alone, which the white face hides.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButton || !(option->state & State_HasFocus)) return;
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(*option);
        focus.rect = subElementRect(SE_PushButtonFocusRect, option, widget);
        drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
    }
};

// Enter and Return press a focused button, as Space does.
class EnterPresses final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || key->isAutoRepeat() || key->modifiers() & ~Qt::KeypadModifier ||
            (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) {
            return false;
        }
        button->click();
        return true;
    }
};

}  // namespace

void setUpApplication() {
    // No display name: the platform would append it to every window's title.
    QCoreApplication::setApplicationName(QStringLiteral("brambleton"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    // Numbers grouped as the count's totals are, with the desktop's separators, on every
    // system: a C locale would otherwise print prices and sizes ungrouped on Linux only.
    QLocale numbers = QLocale::system();
    numbers.setNumberOptions(QLocale::DefaultNumberOptions);
    QLocale::setDefault(numbers);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brambleton.Brambleton"));
    // The layout was designed around these fonts; Liberation's have the same metrics, so
    // text fits its boxes as designed on desktops that lack MS Sans Serif and Courier New.
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                              QStringLiteral("Arial")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    // Windows' interface fonts, which menus, boxes and the other windows take from the
    // desktop. A Wine without its own fonts has none of them, and the font chosen in their
    // place was a serif one: the desktop's sans stands in, here only where they are missing.
    for (const char* family : {"MS Shell Dlg 2", "MS Shell Dlg", "Tahoma", "Segoe UI"}) {
        QFont::insertSubstitutions(QString::fromLatin1(family), sans);
    }
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    if (auto* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(new FocusMarkStyle(fusion));
    }
    QApplication::setWindowIcon(applicationIcon());
}

QIcon applicationIcon() {
    static const bool registered = (registerResources(), true);
    (void)registered;
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/brambleton.png").arg(size), QSize(size, size));
    }
    return icon;
}

void applyWindowLook(QWidget* window) {
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 128));
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255));
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    window->setFont(font);
}

void usePlatformColours(QWidget* control) {
    // Every role set explicitly: a palette with nothing set would still inherit the window's.
    const QPalette platform = QApplication::palette(control);
    QPalette palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(g, r, platform.brush(g, r));
        }
    }
    control->setPalette(palette);
}

double contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

constexpr double kReadable = 4.5;
// What a control's shape needs against what lies around it (WCAG's non-text contrast).
constexpr double kVisible = 3.0;

// A dark desktop's button text, which vanishes on the white face, becomes black as on a
// light desktop; a disabled button's grey as light desktops draw it.
void takeLightButtonText(QPalette& palette) {
    palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(0, 0, 0));
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(0, 0, 0));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
}

}  // namespace

void makeCommandButton(QPushButton* button) {
    const QColor white(255, 255, 255);
    QPalette palette = QApplication::palette(button);
    palette.setColor(QPalette::Button, white);
    if (contrastRatio(palette.color(QPalette::Active, QPalette::ButtonText), white) < kReadable) {
        takeLightButtonText(palette);
    }
    button->setPalette(palette);
    pressOnEnter(button);
}

void pressOnEnter(QPushButton* button) {
    static auto* const presses = new EnterPresses(qApp);
    button->installEventFilter(presses);
}

QPalette darkPalette() {
    const QColor window(53, 53, 53);
    const QColor base(42, 42, 42);
    const QColor text(235, 235, 235);
    const QColor disabled(127, 127, 127);
    const QColor highlight(42, 130, 218);
    QPalette dark;
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    dark.setColor(QPalette::ToolTipBase, QColor(25, 25, 25));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, disabled);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, QColor(255, 80, 80));
    dark.setColor(QPalette::Link, highlight.lighter(130));
    dark.setColor(QPalette::Highlight, highlight);
    dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    dark.setColor(QPalette::Light, QColor(90, 90, 90));
    dark.setColor(QPalette::Midlight, QColor(70, 70, 70));
    dark.setColor(QPalette::Mid, QColor(45, 45, 45));
    dark.setColor(QPalette::Dark, QColor(30, 30, 30));
    dark.setColor(QPalette::Shadow, QColor(10, 10, 10));
    for (const auto role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
        dark.setColor(QPalette::Disabled, role, disabled);
    }
    return dark;
}

void makeVisibleOnNavy(QWidget* control) {
    // A dark desktop's field colour is nearly as dark as the navy window: the radio buttons'
    // circles and the pattern box vanish into it. They take a light desktop's white field
    // and black marks instead; a light desktop keeps its own.
    const QColor navy(0, 0, 128);
    QPalette palette = control->palette();
    if (contrastRatio(palette.color(QPalette::Active, QPalette::Base), navy) >= kVisible) return;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, QColor(255, 255, 255));
        palette.setColor(group, QPalette::Text, QColor(0, 0, 0));
        palette.setColor(group, QPalette::Button, QColor(255, 255, 255));
        palette.setColor(group, QPalette::ButtonText, QColor(0, 0, 0));
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, QColor(235, 235, 235));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    control->setPalette(palette);
}

void makeResultColours(QWidget* box) {
    const QColor blue(0, 0, 192);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, blue);
    if (contrastRatio(palette.color(QPalette::Active, QPalette::Base), blue) < kReadable) {
        palette.setColor(QPalette::Base, QColor(255, 255, 255));
    }
    box->setPalette(palette);
}

}  // namespace brambleton::ui
