// The desktop's motion setting against a settings portal of the test's own on the session bus,
// and, when no portal runs, against GNOME's GSettings and KDE's kdeglobals in a configuration
// folder of the test's own.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMetaType>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "platform/linux/DesktopMotion.h"

namespace qb {
namespace {

using Settings = QMap<QString, QVariantMap>;

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kGnome = QStringLiteral("org.gnome.desktop.interface");
const QString kKde = QStringLiteral("org.kde.kdeglobals.KDE");

// The portal's Settings interface, answering ReadAll with the namespaces asked for. It answers
// from a thread of its own, since the reader waits for the answer on the test's thread.
class FakePortal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
  void set(Settings settings) {
    const QMutexLocker lock(&mutex_);
    settings_ = std::move(settings);
  }

public slots:
  Settings ReadAll(const QStringList& namespaces) {
    const QMutexLocker lock(&mutex_);
    Settings asked;
    for (const QString& space : namespaces) {
      if (settings_.contains(space)) asked.insert(space, settings_.value(space));
    }
    return asked;
  }

private:
  QMutex mutex_;
  Settings settings_;
};

class DesktopMotionTest : public testing::Test {
protected:
  void SetUp() override {
    qDBusRegisterMetaType<Settings>();
    ASSERT_TRUE(config.isValid());
    ASSERT_TRUE(reader.isConnected()) << "no session bus";
  }
  // The connections are the process's by name: the next test starts without a portal.
  void TearDown() override {
    thread.quit();
    thread.wait();
    portal.unregisterService(kPortal);
    portal.unregisterObject(kPortalPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    QDBusConnection::disconnectFromBus(QStringLiteral("reader"));
  }

  void startPortal() {
    fakePortal.moveToThread(&thread);
    thread.start();
    ASSERT_TRUE(portal.registerObject(kPortalPath, &fakePortal, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(portal.registerService(kPortal)) << portal.lastError().message().toStdString();
  }
  void writeKdeGlobals(const QByteArray& text) {
    QFile file(config.filePath(QStringLiteral("kdeglobals")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(text), text.size());
  }
  bool reduced() const { return DesktopMotion(reader, config.path()).shouldReduceMotion(); }
  // Runs the gsettings tool on the test desktop's own settings; whether it succeeded.
  static bool gsettings(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("gsettings"), arguments);
    return tool.waitForFinished() && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
  }

  QTemporaryDir config;
  QDBusConnection portal =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));
  QDBusConnection reader =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("reader"));
  QThread thread;
  FakePortal fakePortal;
};

TEST_F(DesktopMotionTest, ThePortalAnswersFirstWhenItNamesASetting) {
  startPortal();
  writeKdeGlobals("[KDE]\nAnimationDurationFactor=0\n");
  const struct {
    const char* name;
    Settings settings;
    bool reduced;
  } cases[] = {
      {"reduced motion", {{kAppearance, {{"reduced-motion", 1u}}}}, true},
      {"no preference wins over the file", {{kAppearance, {{"reduced-motion", 0u}}}}, false},
      {"GNOME's animations off", {{kGnome, {{"enable-animations", false}}}}, true},
      {"GNOME's animations on", {{kGnome, {{"enable-animations", true}}}}, false},
      {"KDE's instant animations", {{kKde, {{"AnimationDurationFactor", "0"}}}}, true},
      {"KDE's faster animations", {{kKde, {{"AnimationDurationFactor", 0.5}}}}, false},
      // One asking is enough, whichever of them is read after it.
      {"the first asking, the later ones not",
       {{kAppearance, {{"reduced-motion", 1u}}},
        {kGnome, {{"enable-animations", true}}},
        {kKde, {{"AnimationDurationFactor", "1"}}}},
       true},
      {"the second asking, the last not",
       {{kAppearance, {{"reduced-motion", 0u}}},
        {kGnome, {{"enable-animations", false}}},
        {kKde, {{"AnimationDurationFactor", "1"}}}},
       true},
      {"the last asking",
       {{kAppearance, {{"reduced-motion", 0u}}},
        {kGnome, {{"enable-animations", true}}},
        {kKde, {{"AnimationDurationFactor", "0"}}}},
       true},
      {"none asking",
       {{kAppearance, {{"reduced-motion", 0u}}},
        {kGnome, {{"enable-animations", true}}},
        {kKde, {{"AnimationDurationFactor", "1"}}}},
       false},
      {"nothing named: the file", {{kAppearance, {{"color-scheme", 1u}}}}, true},
      {"a wrong type counts as not said: the file",
       {{kGnome, {{"enable-animations", "no"}}}},
       true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    fakePortal.set(test.settings);
    EXPECT_EQ(reduced(), test.reduced);
  }
}

TEST_F(DesktopMotionTest, WithoutAPortalGnomesSettingAndKdeGlobalsAnswer) {
  EXPECT_FALSE(reduced()) << "no file";
  writeKdeGlobals("[General]\nAnimationDurationFactor=0\n[KDE]\nAnimationDurationFactor=1\n");
  EXPECT_FALSE(reduced()) << "only [KDE] counts";
  writeKdeGlobals("[KDE]\nAnimationDurationFactor=1\nAnimationDurationFactor = 0\n");
  EXPECT_TRUE(reduced()) << "the last line wins";

  // GNOME's setting, read before the file, asks: the file's not asking changes nothing.
  if (!gsettings({"writable", kGnome, "enable-animations"})) {
    GTEST_SKIP() << "no GNOME interface schema or no gsettings tool";
  }
  writeKdeGlobals("[KDE]\nAnimationDurationFactor=1\n");
  ASSERT_TRUE(gsettings({"set", kGnome, "enable-animations", "false"}));
  EXPECT_TRUE(reduced());
  ASSERT_TRUE(gsettings({"reset", kGnome, "enable-animations"}));
  EXPECT_FALSE(reduced());
}

}  // namespace
}  // namespace qb

#include "DesktopMotionTest.moc"
