// SPDX-License-Identifier: MIT
// The desktop's colour preference, as the desktop portal gives it over a session bus of the
// test's own (started by dbus-run-session). The portal is this test's: no desktop runs here.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QTest>

#include "ui/app_style.h"
#include "ui/platform_setup.h"

using namespace brambleton::ui;

// org.freedesktop.portal.Settings, answering Read for the colour scheme as the portal does: a
// variant in a variant.
class Portal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
  public:
    uint scheme = 0;
    bool knowsTheKey = true;

  public slots:
    QDBusVariant Read(const QString& space, const QString& key) {
        if (!knowsTheKey || space != "org.freedesktop.appearance" || key != "color-scheme") {
            // As the portal answers a key it does not have.
            sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                           QStringLiteral("Requested setting not found"));
            return QDBusVariant(QVariant(0u));
        }
        return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme)));
    }
};

class ColourSchemeTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (!QDBusConnection::sessionBus().isConnected()) QSKIP("no session bus here");
        setUpApplication();
        light_ = QApplication::palette();
        QVERIFY(light_.color(QPalette::Window).lightness() > 128);
    }

    void followsThePortal_data() {
        QTest::addColumn<bool>("portal");
        QTest::addColumn<bool>("knowsTheKey");
        QTest::addColumn<uint>("scheme");
        QTest::addColumn<bool>("handedDark");
        QTest::addColumn<bool>("changed");
        QTest::newRow("prefers dark") << true << true << 1u << false << true;
        QTest::newRow("prefers light") << true << true << 2u << false << false;
        QTest::newRow("says nothing") << true << true << 0u << false << false;
        QTest::newRow("a desktop without the key") << true << false << 1u << false << false;
        QTest::newRow("no portal") << false << true << 1u << false << false;
        QTest::newRow("a theme that is dark already") << true << true << 1u << true << false;
    }

    void followsThePortal() {
        QFETCH(bool, portal);
        QFETCH(bool, knowsTheKey);
        QFETCH(uint, scheme);
        QFETCH(bool, handedDark);
        QFETCH(bool, changed);
        auto bus = QDBusConnection::sessionBus();
        Portal settings;
        settings.scheme = scheme;
        settings.knowsTheKey = knowsTheKey;
        if (portal) {
            QVERIFY(bus.registerService("org.freedesktop.portal.Desktop"));
            QVERIFY(bus.registerObject("/org/freedesktop/portal/desktop", &settings,
                                       QDBusConnection::ExportAllSlots));
        }
        const QPalette handed = handedDark ? darkPalette() : light_;
        QApplication::setPalette(handed);
        QCOMPARE(followDesktopColourScheme(), changed);
        const bool dark = QApplication::palette().color(QPalette::Window).lightness() < 128;
        QCOMPARE(dark, changed || handedDark);
        if (portal) {
            bus.unregisterObject("/org/freedesktop/portal/desktop");
            bus.unregisterService("org.freedesktop.portal.Desktop");
        }
        QApplication::setPalette(light_);
    }

  private:
    QPalette light_;
};

QTEST_MAIN(ColourSchemeTest)
#include "colour_scheme_test.moc"
