// The tray item as a desktop's tray host meets it: a StatusNotifierWatcher of the test's own on the
// session bus, the item registering with it, and its menu read and clicked over
// com.canonical.dbusmenu, the way a panel's tray does it.
//
// Qt decides once per process, when the first tray icon is made, whether to show icons through
// StatusNotifierItem: it asks the watcher's IsStatusNotifierHostRegistered property with a blocking
// call. The watcher is therefore on the bus before the item is made, and answers from a thread of
// its own, since the main thread is the one waiting for it. The test runs in a process of its own
// (test::inOwnProcess), so no earlier test can have made that decision without a watcher.

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/model/ModelHarness.h"
#include "desktop/x11/X11TestSupport.h"
#include "model/AppModel.h"
#include "shell/StateLabel.h"
#include "shell/StatusItem.h"

namespace qb {
namespace {

// How long the bus, the item and the model may take to answer or to act.

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// Where a registered item is found on the bus.
struct ItemAddress {
  QString service;
  QString path;
};

// The desktop's StatusNotifierWatcher: a host is always there, and items are remembered as they
// register. Lives on its own thread; what it remembers is read from the test's.
class FakeWatcher : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

public:
  QStringList RegisteredStatusNotifierItems() const {
    const std::lock_guard lock(mutex_);
    QStringList names;
    for (const ItemAddress& item : items_) names << item.service + item.path;
    return names;
  }
  bool IsStatusNotifierHostRegistered() const { return true; }
  int ProtocolVersion() const { return 0; }

  std::vector<ItemAddress> items() const {
    const std::lock_guard lock(mutex_);
    return items_;
  }

public slots:
  // An item names either its bus name, its object then being at the usual path, or an object
  // path on the connection it calls from.
  void RegisterStatusNotifierItem(const QString& serviceOrPath) {
    const ItemAddress item = serviceOrPath.startsWith('/')
                                 ? ItemAddress{message().service(), serviceOrPath}
                                 : ItemAddress{serviceOrPath, kItemPath};
    const std::lock_guard lock(mutex_);
    items_.push_back(item);
  }

private:
  mutable std::mutex mutex_;
  std::vector<ItemAddress> items_;
};

// Hears the menu's LayoutUpdated, as a host listens for it to read the layout again.
class LayoutWitness : public QObject {
  Q_OBJECT

public:
  int heard = 0;

public slots:
  void hear() { ++heard; }
};

// One row of a dbusmenu layout, with the properties a host draws.
struct MenuRow {
  int id = 0;
  QVariantMap properties;
  std::vector<MenuRow> children;

  QString label() const { return properties.value(QStringLiteral("label")).toString(); }
};

// A layout's (ia{sv}av): the row's id, its properties, and its children, each in a variant.
MenuRow readRow(const QDBusArgument& argument) {
  MenuRow row;
  argument.beginStructure();
  argument >> row.id >> row.properties;
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    row.children.push_back(readRow(qvariant_cast<QDBusArgument>(child.variant())));
  }
  argument.endArray();
  argument.endStructure();
  return row;
}

// A shortcut's aas: each chord a list of modifiers and a key ("Control+Q").
QString shortcutText(const QVariant& value) {
  if (!value.isValid()) return {};
  const auto argument = qvariant_cast<QDBusArgument>(value);
  QStringList chords;
  argument.beginArray();
  while (!argument.atEnd()) {
    QStringList tokens;
    argument >> tokens;
    chords << tokens.join('+');
  }
  argument.endArray();
  return chords.join(QStringLiteral(", "));
}

// The rows as a host draws them, in the notation of the tray's offscreen test: one line a row,
// "---" for a separator, a submenu's rows in brackets after its title, a shortcut after a tab,
// "(off)" after a row that cannot be chosen. Hidden rows are not drawn.
QStringList describe(const std::vector<MenuRow>& rows) {
  QStringList lines;
  for (const MenuRow& row : rows) {
    if (!row.properties.value(QStringLiteral("visible"), true).toBool()) continue;
    if (row.properties.value(QStringLiteral("type")) == QStringLiteral("separator")) {
      lines << QStringLiteral("---");
      continue;
    }
    QString line = row.label();
    if (row.properties.value(QStringLiteral("children-display")) == QStringLiteral("submenu"))
      line += " [" + describe(row.children).join(", ") + "]";
    if (const QString key = shortcutText(row.properties.value(QStringLiteral("shortcut")));
        !key.isEmpty())
      line += "\t" + key;
    if (!row.properties.value(QStringLiteral("enabled"), true).toBool()) line += " (off)";
    lines << line;
  }
  return lines;
}

// The row of that label, in the menu or in one of its submenus.
const MenuRow* find(const std::vector<MenuRow>& rows, const QString& label) {
  for (const MenuRow& row : rows) {
    if (row.label() == label) return &row;
    if (const MenuRow* found = find(row.children, label)) return found;
  }
  return nullptr;
}

class TrayMenuTest : public testing::Test, protected test::ModelHarness {
protected:
  using Kind = AppModel::Status::Kind;

  TrayMenuTest() : model(services(home / "Quillbrook")) {}

  // Puts the watcher on the bus, then makes the item, which registers with it.
  void startItem() {
    ASSERT_TRUE(watcherBus_.isConnected()) << "no session bus";
    ASSERT_TRUE(hostBus_.isConnected());
    watcher_->moveToThread(&watcherThread_);
    watcherThread_.start();
    ASSERT_TRUE(watcherBus_.registerObject(
        kWatcherPath, watcher_.get(),
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(watcherBus_.registerService(kWatcherService))
        << watcherBus_.lastError().message().toStdString();

    item = std::make_unique<StatusItem>(model, [this](AppPage page) { opened.push_back(page); });
    item->setClock(wallClock);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher_->items().empty(); }, test::kDesktopLimitMs))
        << "the item did not register with the watcher";
  }

  void TearDown() override {
    item.reset();
    watcherBus_.unregisterService(kWatcherService);
    watcherBus_.unregisterObject(kWatcherPath);
    watcherThread_.quit();
    watcherThread_.wait();
    // Its connection hears of its end, so it goes while the connection is still there.
    watcher_.reset();
    for (const QString& name : {QStringLiteral("tray-watcher"), QStringLiteral("tray-host")})
      QDBusConnection::disconnectFromBus(name);
  }

  // Calls as a host does, without blocking the main thread: the item answers on it.
  QDBusMessage call(const ItemAddress& to, const QString& interface, const QString& method,
                    const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(to.service, to.path, interface, method);
    message.setArguments(arguments);
    QDBusPendingCall pending = hostBus_.asyncCall(message, test::kDesktopLimitMs);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, test::kDesktopLimitMs))
      return QDBusMessage::createError(QDBusError::Timeout, method + QStringLiteral(": no answer"));
    return pending.reply();
  }

  // The menu's object, from the item's Menu property.
  std::optional<ItemAddress> menuAddress() {
    const std::vector<ItemAddress> items = watcher_->items();
    if (items.size() != 1) {
      ADD_FAILURE() << items.size() << " items registered";
      return std::nullopt;
    }
    const QDBusMessage reply = call(items.front(), kPropertiesInterface, QStringLiteral("Get"),
                                    {kItemInterface, QStringLiteral("Menu")});
    if (reply.type() != QDBusMessage::ReplyMessage) {
      ADD_FAILURE() << "no Menu property: " << reply.errorMessage().toStdString();
      return std::nullopt;
    }
    const QVariant value = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
    return ItemAddress{items.front().service, qvariant_cast<QDBusObjectPath>(value).path()};
  }

  // The item's icon as a host draws it: each size's width, height and ARGB32 pixels.
  QList<QVariantList> icon(const ItemAddress& trayItem) {
    const QDBusMessage reply = call(trayItem, kPropertiesInterface, QStringLiteral("Get"),
                                    {kItemInterface, QStringLiteral("IconPixmap")});
    if (reply.type() != QDBusMessage::ReplyMessage) {
      ADD_FAILURE() << "no IconPixmap: " << reply.errorMessage().toStdString();
      return {};
    }
    const auto argument = qvariant_cast<QDBusArgument>(
        qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant());
    QList<QVariantList> sizes;
    argument.beginArray();
    while (!argument.atEnd()) {
      int width = 0;
      int height = 0;
      QByteArray pixels;
      argument.beginStructure();
      argument >> width >> height >> pixels;
      argument.endStructure();
      sizes << QVariantList{width, height, pixels};
    }
    argument.endArray();
    return sizes;
  }

  // Opens the menu as a host does, telling the item first, and reads its rows.
  std::vector<MenuRow> openMenu(const ItemAddress& menu) {
    const QDBusMessage shown = call(menu, kMenuInterface, QStringLiteral("AboutToShow"), {0});
    EXPECT_EQ(shown.type(), QDBusMessage::ReplyMessage) << shown.errorMessage().toStdString();
    const QDBusMessage layout =
        call(menu, kMenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList()});
    if (layout.type() != QDBusMessage::ReplyMessage || layout.arguments().size() != 2) {
      ADD_FAILURE() << "no layout: " << layout.errorMessage().toStdString();
      return {};
    }
    return readRow(qvariant_cast<QDBusArgument>(layout.arguments().at(1))).children;
  }

  void event(const ItemAddress& menu, int id, const QString& name) {
    const QDBusMessage reply = call(menu, kMenuInterface, QStringLiteral("Event"),
                                    {id, name, QVariant::fromValue(QDBusVariant(0)), 0U});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  }

  // Opens the menu, clicks the row of that label, and closes the menu, as a host does.
  void choose(const ItemAddress& menu, const QString& label) {
    const std::vector<MenuRow> rows = openMenu(menu);
    const MenuRow* row = find(rows, label);
    ASSERT_NE(row, nullptr) << label.toStdString() << " in "
                            << describe(rows).join(", ").toStdString();
    event(menu, row->id, QStringLiteral("clicked"));
    event(menu, 0, QStringLiteral("closed"));
  }

  // Waits for the model to take the status; a failure names the status it holds instead.
  testing::AssertionResult statusBecomes(AppModel::Status::Kind kind) {
    if (QTest::qWaitFor([&] { return model.status().kind == kind; }, test::kDesktopLimitMs)) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "waited for " << badge({kind, std::nullopt}).text.toStdString() << ", and the "
           << "status is " << badge(model.status()).text.toStdString();
  }

  AppModel model;
  std::vector<AppPage> opened;
  std::unique_ptr<StatusItem> item;
  std::unique_ptr<FakeWatcher> watcher_ = std::make_unique<FakeWatcher>();
  QThread watcherThread_;
  QDBusConnection watcherBus_ =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("tray-watcher"));
  QDBusConnection hostBus_ =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("tray-host"));
};

const QString kBreaks = "Take a Break [5 Minutes, 15 Minutes, 30 Minutes, 1 Hour]";
const QString kOpen = "Open Quillbrook";
const QString kSettings = "Settings\u2026\tControl+,";
const QString kQuit = "Quit Quillbrook\tControl+Q";

TEST_F(TrayMenuTest, AHostReadsTheMenuOfEachStatusAndItsClicksDriveTheModel) {
  if (!test::inOwnProcess()) return;
  ASSERT_NO_FATAL_FAILURE(startItem());
  const std::optional<ItemAddress> menu = menuAddress();
  ASSERT_TRUE(menu);
  const ItemAddress trayItem = watcher_->items().front();
  // With a host there is a tray to click: the program need not keep its window open.
  EXPECT_TRUE(item->isInTray());

  // The menu is built as it opens: a host that read it before asking is told to read it again.
  LayoutWitness witness;
  ASSERT_TRUE(hostBus_.connect(menu->service, menu->path, kMenuInterface,
                               QStringLiteral("LayoutUpdated"), &witness, SLOT(hear())));
  EXPECT_EQ(describe(openMenu(*menu)),
            (QStringList{"Quillbrook: Learning (off)", "---", "Pause Quillbrook", kBreaks, "---",
                         kOpen, kSettings, "---", kQuit}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return witness.heard > 0; }, test::kDesktopLimitMs))
      << "the host was never told to read the menu again";
  event(*menu, 0, QStringLiteral("closed"));
  const QList<QVariantList> watching = icon(trayItem);
  EXPECT_FALSE(watching.isEmpty());

  choose(*menu, "Pause Quillbrook");
  // The click reaches the menu's row on a later turn of the event loop.
  EXPECT_TRUE(statusBecomes(Kind::paused));
  EXPECT_EQ(describe(openMenu(*menu)),
            (QStringList{"Quillbrook: Paused (off)", "---", "Resume Quillbrook", "---", kOpen,
                         kSettings, "---", kQuit}));
  event(*menu, 0, QStringLiteral("closed"));
  const QList<QVariantList> paused = icon(trayItem);
  EXPECT_FALSE(paused.isEmpty());
  EXPECT_NE(paused, watching) << "the icon drops its dot while paused";

  choose(*menu, "Resume Quillbrook");
  EXPECT_TRUE(statusBecomes(Kind::learning));
  EXPECT_EQ(icon(trayItem), watching);

  // A row of a submenu, and a row that opens a page of the main window.
  choose(*menu, "15 Minutes");
  EXPECT_TRUE(statusBecomes(Kind::onBreak));
  EXPECT_EQ(model.status().until, wallClock.now() + 15 * 60);
  choose(*menu, "Settings\u2026");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, test::kDesktopLimitMs))
      << "no page of the main window opened";
  EXPECT_EQ(opened, std::vector<AppPage>{AppPage::settings});
}

}  // namespace
}  // namespace qb

#include "TrayMenuTest.moc"
