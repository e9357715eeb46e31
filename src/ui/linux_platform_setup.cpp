// SPDX-License-Identifier: MIT
// Compiled by the Linux build only (BRAMBLETON_PLATFORM linux).
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <optional>

#include "ui/platform_setup.h"

namespace brambleton::ui {
namespace {

// The desktop portal's colour scheme: 1 prefers dark, 2 prefers light, 0 says nothing; none
// when there is no portal (no session bus, no portal running, a desktop without the key).
std::optional<uint> portalColourScheme() {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    QDBusMessage read = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    read << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    // Briefly: a start must not wait on a bus that does not answer.
    const QDBusMessage answer = bus.call(read, QDBus::Block, 1000);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        return std::nullopt;
    }
    // A variant in a variant, as the portal's Read gives it.
    QVariant value = answer.arguments().front();
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    return ok ? std::optional<uint>(scheme) : std::nullopt;
}

}  // namespace

void choosePlatformOptions() {
    // Qt's defaults serve here.
}

bool followDesktopColourScheme() {
    const QPalette handed = QApplication::palette();
    if (handed.color(QPalette::Window).lightness() < 128) return false;  // dark already
    if (portalColourScheme() != 1u) return false;
    QApplication::setPalette(darkPalette());
    return true;
}

}  // namespace brambleton::ui
