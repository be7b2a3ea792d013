#include "shell/SettingsPage.h"

#include <QButtonGroup>
#include <QFile>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <set>

#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "design/Symbols.h"
#include "model/AppModel.h"
#include "recording/SystemInfo.h"
#include "sensing/Prefs.h"
#include "shell/AccessRows.h"
#include "shell/SharingRow.h"

namespace qb {

const QString SettingsPage::kExportFolderName = QStringLiteral("Quillbrook Recording");

namespace {

const QString kDelete = QStringLiteral("Delete");
const QString kCancel = QStringLiteral("Cancel");
const QString kConfirmDeleteAll = QStringLiteral("Delete all data?");
const QString kConfirmDeleteRecording = QStringLiteral("Delete recording?");
const QString kConfirmDeleteShared = QStringLiteral("Delete shared data?");
const QString kExportTitle = QStringLiteral("Export Recording");
const QString kSettingsUnread = QStringLiteral(
    "Your settings can't be read for now, so the defaults apply. Changes are kept and saved once "
    "they can be, but lost if Quillbrook quits first.");
const QString kSettingsUnsaved = QStringLiteral(
    "Settings can't be saved for now. Changes are kept until they can be, but lost if Quillbrook "
    "quits first.");
const QString kRecordingUnsaved = QStringLiteral(
    "The recording can't be saved for now. What's recorded is kept until it can be.");

// The drawing inside a delete button's frame.
constexpr int kTrashGlyphSide = 14;

// A symbol the drawing set may not have yet: a near one stands in rather than an empty slot.
QString drawn(const QString& wanted, const QString& standIn) {
  return Symbols::has(wanted) ? wanted : standIn;
}

// A number as the user's locale writes it, thousands grouped.
QString count(int64_t number) { return QLocale().toString(static_cast<qint64>(number)); }

QString pathText(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QLabel* versionLine() {
  auto* label =
      new QLabel(QStringLiteral("Version ") + QString::fromStdString(SystemInfo::appVersion()));
  label->setFont(QB::Font::caption());
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QB::textFaint);
  label->setPalette(palette);
  return label;
}

// A group followed by its note, as the blocks with a note are.
QWidget* noted(QWidget* group, QLabel* note) {
  auto* block = new QWidget;
  auto* column = new QVBoxLayout(block);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(SettingsPage::kNoteSpacing);
  column->addWidget(group);
  column->addWidget(note);
  return block;
}

QBRow* switchRow(const QString& title, SettingSwitch** made) {
  *made = new SettingSwitch(title);
  return new QBRow(title, std::nullopt, *made);
}

// The trash can that deletes what its row counts: its text is the tooltip and the accessible name.
class DeleteButton : public QAbstractButton {
public:
  explicit DeleteButton(const QString& text) {
    setText(text);
    setToolTip(text);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  }
  QSize sizeHint() const override {
    return {SettingsPage::kDeleteButtonSide, SettingsPage::kDeleteButtonSide};
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF glyph((width() - kTrashGlyphSide) / 2.0, (height() - kTrashGlyphSide) / 2.0,
                       kTrashGlyphSide, kTrashGlyphSide);
    Symbols::paint(painter, u"trash", glyph, isDown() ? QB::text : QB::textMuted);
  }
};

// One choice of a SegmentedPicker: the selected one is lifted out of the track.
class SegmentButton : public QAbstractButton {
public:
  explicit SegmentButton(const QString& text) {
    setText(text);
    setCheckable(true);
    setFont(QB::Font::labelSmall());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }
  // No width of its own: the segments share the picker's width equally, whatever their text.
  QSize sizeHint() const override {
    return {0, SegmentedPicker::kHeight - 2 * SegmentedPicker::kInset};
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isChecked()) {
      const qreal radius = SegmentedPicker::kCornerRadius - SegmentedPicker::kInset;
      painter.setPen(Qt::NoPen);
      painter.setBrush(QB::fillSecondaryHover);
      painter.drawRoundedRect(rect(), radius, radius);
    }
    painter.setPen(isChecked() ? QB::text : QB::textMuted);
    painter.drawText(rect(), Qt::AlignCenter, text());
  }
};

}  // namespace

// --- SegmentedPicker ---

SegmentedPicker::SegmentedPicker(const QString& name, const std::vector<Segment>& segments,
                                 int width, QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)), width_(width) {
  setAccessibleName(name);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* line = new QHBoxLayout(this);
  line->setContentsMargins(kInset, kInset, kInset, kInset);
  line->setSpacing(0);
  group_->setExclusive(true);
  for (const auto& [text, value] : segments) {
    auto* button = new SegmentButton(text);
    group_->addButton(button, static_cast<int>(values_.size()));
    values_.push_back(value);
    line->addWidget(button, 1);
  }
  connect(group_, &QButtonGroup::idClicked, this,
          [this](int index) { emit chosen(values_[static_cast<size_t>(index)]); });
}

void SegmentedPicker::setValue(qint64 value) {
  // An exclusive group keeps one button checked: it must let go to show no choice.
  group_->setExclusive(false);
  for (size_t index = 0; index < values_.size(); ++index) {
    group_->button(static_cast<int>(index))->setChecked(values_[index] == value);
  }
  group_->setExclusive(true);
}

std::vector<QAbstractButton*> SegmentedPicker::segments() const {
  std::vector<QAbstractButton*> buttons;
  for (size_t index = 0; index < values_.size(); ++index) {
    buttons.push_back(group_->button(static_cast<int>(index)));
  }
  return buttons;
}

QSize SegmentedPicker::sizeHint() const { return {width_, kHeight}; }

void SegmentedPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QB::fillSecondary);
  painter.drawRoundedRect(rect(), kCornerRadius, kCornerRadius);
}

// --- ConfirmDialog ---

ConfirmDialog::ConfirmDialog(const QString& question, QWidget* parent)
    : QDialog(parent),
      question_(question),
      cancel_(QBButtonStyle{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::medium}.makeBody(
          kCancel)),
      delete_(QBButtonStyle{QBButtonStyle::Kind::destructive, QBButtonStyle::Size::medium}.makeBody(
          kDelete)) {
  setWindowTitle(question_);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QB::nsBgBase);
  palette.setColor(QPalette::WindowText, QB::text);
  setPalette(palette);
  setAutoFillBackground(true);

  auto* symbol = new QLabel;
  symbol->setPixmap(Symbols::pixmap(u"exclamationmark.triangle.fill", kSymbolSide, QB::warning,
                                    devicePixelRatioF()));
  auto* text = new QLabel(question_);
  text->setTextFormat(Qt::PlainText);
  text->setFont(QB::Font::heading());
  auto* line = new QHBoxLayout;
  line->setSpacing(kSymbolSpacing);
  line->addWidget(symbol, 0, Qt::AlignVCenter);
  line->addWidget(text, 1, Qt::AlignVCenter);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(kButtonSpacing);
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  buttons->addWidget(delete_);
  connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
  connect(delete_, &QAbstractButton::clicked, this, &QDialog::accept);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
  column->setSpacing(kPadding);
  column->addLayout(line);
  column->addLayout(buttons);
  setFixedSize(std::max({kWidth, titleWidth(question_), column->sizeHint().width()}),
               column->sizeHint().height());
  cancel_->setFocus();
}

int ConfirmDialog::titleWidth(const QString& title) {
  QFont font = QB::Font::heading();
  font.setWeight(QFont::Bold);
  return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(title))) + kTitleBarRoom;
}

void ConfirmDialog::keyPressEvent(QKeyEvent* event) {
  // Return answers with the button that has the focus, Cancel unless the user moved it.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    (delete_->hasFocus() ? delete_ : cancel_)->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

// --- SettingsPage ---

SettingsPage::Dialogs SettingsPage::desktopDialogs() {
  Dialogs dialogs;
  dialogs.confirm = [](QWidget* parent, const QString& title) {
    ConfirmDialog dialog(title, parent);
    return dialog.exec() == QDialog::Accepted;
  };
  dialogs.chooseFolder = [](QWidget* parent) -> std::optional<std::filesystem::path> {
    const QString folder = QFileDialog::getExistingDirectory(parent, kExportTitle);
    if (folder.isEmpty()) return std::nullopt;
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
  };
  dialogs.tell = [](QWidget* parent, bool failed, const QString& text) {
    if (failed) {
      QMessageBox::warning(parent, kExportTitle, text);
    } else {
      QMessageBox::information(parent, kExportTitle, text);
    }
  };
  return dialogs;
}

SettingsPage::SettingsPage(AppModel& model, Navigation& /*navigation*/, QWidget* parent)
    : Page(parent),
      model_(model),
      settingsNotice_(new Notice),
      recordingNotice_(new Notice(kRecordingUnsaved)) {
  // Both notices head the page, where they are seen without scrolling: the recording's group is
  // below the first screen of a window at its first size.
  addSection(settingsNotice_);
  addSection(recordingNotice_);
  addSection(general());
  addSection(prompts());
  addSection(permissionsBlock());
  addSection(data());
  addSection(lastLine());

  Prefs& prefs = model_.prefs();
  connect(&prefs, &Prefs::breakMinutesChanged, breakPicker_, &SegmentedPicker::setValue);
  connect(&prefs, &Prefs::promptOnChatChanged, promptOnChat_, &QAbstractButton::setChecked);
  connect(&prefs, &Prefs::waitForAgentsChanged, waitForAgents_, &QAbstractButton::setChecked);
  connect(&prefs, &Prefs::keepDaysChanged, historyPicker_, &SegmentedPicker::setValue);
  connect(&prefs, &Prefs::recordingChanged, this, &SettingsPage::showData);
  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    switch (property) {
      case AppModel::Property::accessibility:
      case AppModel::Property::automation:
        showPermissions();
        break;
      case AppModel::Property::sharingAvailable:
      case AppModel::Property::shared:
      case AppModel::Property::recorded:
        showData();
        break;
      case AppModel::Property::unsaved:
        showUnsaved();
        break;
      default:
        break;
    }
  });
  showData();
  showUnsaved();
}

QWidget* SettingsPage::general() {
  Prefs& prefs = model_.prefs();
  auto* group =
      new QBGroup(QStringLiteral("General"), QStringLiteral("gearshape.fill"), QB::textMuted);
  group->addRow(switchRow(QStringLiteral("Launch at login"), &launchAtLogin_));
  // The switch shows what the desktop holds: a change that failed (Prefs logs why) springs back
  // rather than pretending it was made.
  connect(launchAtLogin_, &QAbstractButton::clicked, this, [this, &prefs](bool on) {
    prefs.setLaunchAtLogin(on);
    launchAtLogin_->setChecked(prefs.launchAtLogin());
  });
  group->addRow(new QBSeparator);

  std::vector<SegmentedPicker::Segment> lengths;
  for (qint64 minutes : kBreakLengths) lengths.emplace_back(Prefs::shortLength(minutes), minutes);
  const QString title = QStringLiteral("Break length");
  breakPicker_ = new SegmentedPicker(title, lengths, kBreakPickerWidth);
  breakPicker_->setValue(prefs.breakMinutes());
  connect(breakPicker_, &SegmentedPicker::chosen, &prefs, &Prefs::setBreakMinutes);
  group->addRow(new QBRow(title, std::nullopt, breakPicker_));
  return group;
}

QWidget* SettingsPage::prompts() {
  Prefs& prefs = model_.prefs();
  auto* group =
      new QBGroup(QStringLiteral("Prompts"), QStringLiteral("bell.fill"), QB::Hue::detour);
  group->addRow(switchRow(QStringLiteral("Prompt on chat"), &promptOnChat_));
  promptOnChat_->setChecked(prefs.promptOnChat());
  connect(promptOnChat_, &QAbstractButton::clicked, &prefs, &Prefs::setPromptOnChat);
  group->addRow(new QBSeparator);
  group->addRow(switchRow(QStringLiteral("Wait for coding agents"), &waitForAgents_));
  waitForAgents_->setChecked(prefs.waitForAgents());
  connect(waitForAgents_, &QAbstractButton::clicked, this, [this](bool on) {
    model_.prefs().setWaitForAgents(on);
    // Waiting on (or letting go of) a busy agent must not wait for the next read of the sessions.
    model_.updateAgentWait();
  });
  return noted(group,
               new Footer(QStringLiteral(
                   "Chat is WhatsApp, Telegram, Signal, Discord and direct messages, not "
                   "Slack, Teams or email. With agents, prompts wait until yours is done.")));
}

QWidget* SettingsPage::permissionsBlock() {
  accessRows_ = new AccessRows(model_);
  permissionsBlock_ = noted(
      new QWidget, new Footer(QStringLiteral(
                       "Sees app, window, tab and agent session names, never your prompts.")));
  showPermissions();
  return permissionsBlock_;
}

bool SettingsPage::allAllowed(const AppModel& model) {
  if (!model.accessibility()) return false;
  // A browser the model has not found installed has no row, so it cannot be missing a permission.
  for (const auto& [kind, access] : model.automation()) {
    if (access != Access::notInstalled && access != Access::granted) return false;
  }
  return true;
}

void SettingsPage::showPermissions() {
  const QString symbol =
      allAllowed(model_) ? drawn(QStringLiteral("lock.shield.fill"), QStringLiteral("lock.fill"))
                         : drawn(QStringLiteral("exclamationmark.shield.fill"),
                                 QStringLiteral("exclamationmark.triangle.fill"));
  if (permissions_ != nullptr && symbol == permissionsSymbol_) return;
  permissionsSymbol_ = symbol;
  // A group's symbol is fixed when it is made: a new group takes over the same rows, so that
  // what they remember (a pressed "Allow") stays.
  QBGroup* old = permissions_;
  permissions_ = new QBGroup(QStringLiteral("Permissions"), symbol, QB::textMuted);
  permissions_->addRow(accessRows_);
  auto* column = static_cast<QVBoxLayout*>(permissionsBlock_->layout());
  if (old != nullptr) {
    delete column->replaceWidget(old, permissions_);
    delete old;
  } else {
    // The placeholder the block was made with.
    QLayoutItem* placeholder = column->takeAt(0);
    delete placeholder->widget();
    delete placeholder;
    column->insertWidget(0, permissions_);
  }
}

QWidget* SettingsPage::data() {
  Prefs& prefs = model_.prefs();
  auto* group = new QBGroup(
      QStringLiteral("Data"),
      drawn(QStringLiteral("internaldrive.fill"), QStringLiteral("folder.fill")), QB::textMuted);

  std::vector<SegmentedPicker::Segment> days;
  for (qint64 length : kHistoryLengths) {
    days.emplace_back(length == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(length),
                      length);
  }
  const QString history = QStringLiteral("Keep history");
  historyPicker_ = new SegmentedPicker(history, days, kHistoryPickerWidth);
  historyPicker_->setValue(prefs.keepDays());
  connect(historyPicker_, &SegmentedPicker::chosen, &prefs, &Prefs::setKeepDays);
  group->addRow(new QBRow(history, std::nullopt, historyPicker_));

  group->addRow(new QBSeparator);
  group->addRow(switchRow(QStringLiteral("Record data"), &record_));
  connect(record_, &QAbstractButton::clicked, this, [this](bool on) { model_.setRecording(on); });

  sharingSeparator_ = new QBSeparator;
  sharingRow_ = new SharingRow(model_);
  group->addRow(sharingSeparator_);
  group->addRow(sharingRow_);

  sharedSeparator_ = new QBSeparator;
  deleteShared_ = new DeleteButton(QStringLiteral("Delete shared data"));
  sharedRow_ = new QBRow(QString(), std::nullopt, deleteShared_);
  group->addRow(sharedSeparator_);
  group->addRow(sharedRow_);
  connect(deleteShared_, &QAbstractButton::clicked, this,
          [this] { confirmThen(kConfirmDeleteShared, [this] { model_.deleteShared(); }); });

  auto* actions = new QWidget;
  auto* line = new QHBoxLayout(actions);
  line->setContentsMargins(0, 0, 0, 0);
  export_ = QBButtonStyle{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::small}.makeBody(
      QStringLiteral("Export…"));
  deleteRecording_ = new DeleteButton(QStringLiteral("Delete recording"));
  line->addWidget(export_, 0, Qt::AlignVCenter);
  line->addWidget(deleteRecording_, 0, Qt::AlignVCenter);
  recordedSeparator_ = new QBSeparator;
  recordedRow_ = new QBRow(QString(), std::nullopt, actions);
  group->addRow(recordedSeparator_);
  group->addRow(recordedRow_);
  connect(export_, &QAbstractButton::clicked, this, &SettingsPage::exportRecording);
  connect(deleteRecording_, &QAbstractButton::clicked, this,
          [this] { confirmThen(kConfirmDeleteRecording, [this] { model_.deleteRecording(); }); });

  dataNote_ = new Footer(
      QStringLiteral("Helps improve Quillbrook. Never sends page text, messages or passwords."));
  return noted(group, dataNote_);
}

QWidget* SettingsPage::lastLine() {
  auto* line = new QWidget;
  auto* row = new QHBoxLayout(line);
  row->setContentsMargins(0, 0, 0, 0);
  deleteAll_ = QBButtonStyle{QBButtonStyle::Kind::destructive, QBButtonStyle::Size::small}.makeBody(
      QStringLiteral("Delete all data"));
  version_ = versionLine();
  row->addWidget(deleteAll_, 0, Qt::AlignVCenter);
  row->addStretch(1);
  row->addWidget(version_, 0, Qt::AlignVCenter);
  connect(deleteAll_, &QAbstractButton::clicked, this,
          [this] { confirmThen(kConfirmDeleteAll, [this] { model_.deleteAllData(); }); });
  return line;
}

void SettingsPage::showData() {
  const bool recording = model_.prefs().recording();
  const bool sharing = model_.sharingAvailable();
  const std::optional<AppModel::Recorded>& recorded = model_.recorded();
  record_->setChecked(recording);

  const bool showsSharing = recording && sharing;
  sharingSeparator_->setVisible(showsSharing);
  sharingRow_->setVisible(showsSharing);
  dataNote_->setVisible(showsSharing);

  const bool showsShared = sharing && model_.shared() >= 1;
  sharedSeparator_->setVisible(showsShared);
  sharedRow_->setVisible(showsShared);
  sharedRow_->setTitle(count(model_.shared()) + QStringLiteral(" shared"));

  const bool showsRecorded = recording || (recorded && recorded->moments >= 1);
  recordedSeparator_->setVisible(showsRecorded);
  recordedRow_->setVisible(showsRecorded);
  // Until the recording is counted the row keeps its buttons and says no number.
  recordedRow_->setTitle(recorded ? count(recorded->moments) + QStringLiteral(" recorded, ") +
                                        count(recorded->labelled) + QStringLiteral(" labelled")
                                  : QString());
}

void SettingsPage::showUnsaved() {
  using Unsaved = AppModel::Unsaved;
  const std::set<Unsaved>& unsaved = model_.unsaved();
  settingsNotice_->setText(unsaved.contains(Unsaved::unreadSettings) ? kSettingsUnread
                                                                     : kSettingsUnsaved);
  settingsNotice_->setVisible(unsaved.contains(Unsaved::settings));
  recordingNotice_->setVisible(unsaved.contains(Unsaved::recording));
}

void SettingsPage::showEvent(QShowEvent* event) {
  Page::showEvent(event);
  // Coming back from a minimised window is not the page appearing anew.
  if (event->spontaneous()) return;
  launchAtLogin_->setChecked(model_.prefs().launchAtLogin());
  model_.refreshAutomation();
  model_.refreshRecording();
}

void SettingsPage::exportRecording() {
  const std::optional<std::filesystem::path> chosen = dialogs_.chooseFolder(this);
  if (!chosen) return;
  const std::filesystem::path folder = *chosen / kExportFolderName.toStdString();
  // One export at a time: a second into the same folder would race the first one's files.
  export_->setEnabled(false);
  QPointer<SettingsPage> page(this);
  model_.exportRecording(folder, [page, folder](std::optional<std::string> failure) {
    // A page closed meanwhile has no one to tell; the model has logged a failure.
    if (!page) return;
    page->export_->setEnabled(true);
    if (failure) {
      page->dialogs_.tell(page, true,
                          QStringLiteral("Export failed: ") + QString::fromStdString(*failure));
    } else {
      page->dialogs_.tell(page, false, QStringLiteral("Exported to ") + pathText(folder));
    }
  });
}

void SettingsPage::confirmThen(const QString& title, const std::function<void()>& command) {
  if (dialogs_.confirm(this, title)) command();
}

}  // namespace qb
