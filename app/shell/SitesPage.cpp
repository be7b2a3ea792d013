#include "shell/SitesPage.h"

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

#include <QAbstractButton>
#include <QDateTime>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "analysis/PersonalMemory.h"
#include "base/Log.h"
#include "base/Url.h"
#include "base/WallClock.h"
#include "context/WorkContext.h"
#include "design/AppIcon.h"
#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBButtonStyle.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "design/Symbols.h"
#include "model/AppModel.h"
#include "sensing/Prefs.h"
#include "shell/Format.h"

namespace qb {

namespace {

const QString kAllowedHeader = QStringLiteral("Allowed for now");
const QString kIgnoredHeader = QStringLiteral("Ignored");
const QString kQuietHeader = QStringLiteral("Never interrupt");
const QString kAnswersHeader = QStringLiteral("Your answers");
const QString kIgnoredFooter = QStringLiteral("Never looked at or prompted on.");
const QString kQuietFooter = QStringLiteral("Watched and counted, never interrupted.");
const QString kAnswersFooter = QStringLiteral("Remove one to take it back.");
const QString kListsUnread = QStringLiteral(
    "Your own lists can't be read for now, so they aren't shown yet, and Quillbrook looks at no "
    "app or site until they can be. What you add or remove here is applied to them once they can "
    "be read, but lost if Quillbrook quits first.");
const QString kLearnedUnsaved = QStringLiteral(
    "What Quillbrook learns can't be saved for now. It's kept until it can be; nothing saved "
    "before is lost.");
const QString kLearnedUnread = QStringLiteral(
    "Some of what Quillbrook learned before can't be read for now. Nothing of it is lost: it's "
    "restored once it can be read, in place of what's learned meanwhile.");
const QString kEnd = QStringLiteral("End");
const QString kRemove = QStringLiteral("Remove");
const QString kForget = QStringLiteral("Forget");
const QString kNone = QStringLiteral("None");
const QString kUntitledAnswer = QStringLiteral("An earlier answer");
const QString kForWork = QStringLiteral("For work");
const QString kNotForWork = QStringLiteral("Not for work");
const QString kDetailsSeparator = QStringLiteral(" · ");
const QString kSitePlaceholder = QStringLiteral("example.com");
// The skeleton of an answer's date: the abbreviated month and the day, ordered as the locale does.
const char16_t* const kAnswerDateSkeleton = u"MMMd";

// Between a section's group and its footer.
constexpr int kSectionSpacing = 8;
// The rows that are not QBRows keep to its measures, so that all rows line up.
constexpr int kRowSpacing = QBRow::kSpacing;
constexpr int kRowPadding = QBRow::kPadding;
constexpr int kRowHeight = QBRow::kMinimumHeight;
constexpr int kAnswerVerticalPadding = 8;
constexpr int kAnswerLineSpacing = 2;
constexpr qreal kIconSize = 18;
constexpr int kRemoveSide = 20;
// What the remove control's minus takes of its square.
constexpr qreal kRemoveSymbolShare = 0.6;

constexpr int kSecondsPerHour = 3600;
constexpr int kHoursPerDay = 24;

void setColor(QWidget& widget, const QColor& color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  widget.setPalette(palette);
}

// One line of text that gives way to its neighbours: cut with an ellipsis where it lacks room.
// Assistive technologies read the whole text.
class OneLine : public QWidget {
public:
  OneLine(QString text, const QFont& font, QColor color, Qt::TextElideMode elide)
      : text_(std::move(text)), color_(color), elide_(elide) {
    setFont(font);
    setAccessibleName(text_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  const QString& text() const { return text_; }
  QSize sizeHint() const override {
    return {fontMetrics().horizontalAdvance(text_), fontMetrics().height()};
  }
  QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(color_);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text_, elide_, width()));
  }

private:
  QString text_;
  QColor color_;
  Qt::TextElideMode elide_;
};

// The small minus that ends, removes or forgets a row's entry. Its label is not drawn: it is the
// tooltip and what assistive technologies call the button.
class RemoveControl : public QAbstractButton {
public:
  RemoveControl(const QString& label, std::function<void()> action) {
    setToolTip(label);
    setAccessibleName(label);
    setAttribute(Qt::WA_Hover);  // brightens under the pointer
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, std::move(action));
  }
  QSize sizeHint() const override { return {kRemoveSide, kRemoveSide}; }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = kRemoveSide * kRemoveSymbolShare;
    const QRectF square((width() - side) / 2, (height() - side) / 2, side, side);
    Symbols::paint(painter, u"minus", square, underMouse() || isDown() ? QB::text : QB::textMuted);
  }
};

// A row of the rows that are not QBRows: padded and spaced as they are, at least as high.
QHBoxLayout* rowLayout(QWidget& row) {
  auto* line = new QHBoxLayout(&row);
  line->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
  line->setSpacing(kRowSpacing);
  row.setMinimumHeight(kRowHeight);
  return line;
}

// An application's icon and name, or a site's name alone, then a gap that takes the rest.
void addName(QHBoxLayout& line, const std::optional<QString>& bundleID, const QString& name) {
  if (bundleID) line.addWidget(new AppIcon(*bundleID, 0, kIconSize));
  line.addWidget(new OneLine(name, QB::Font::body(), QB::text, Qt::ElideRight), 1);
  line.addSpacing(QBRow::kMinimumFlexibleSpace);
}

QWidget* plainButton(const QString& text, std::function<void()> action) {
  QBButtonBody* button =
      QBButtonStyle{QBButtonStyle::Kind::plain, QBButtonStyle::Size::small, false}.makeBody(text);
  QObject::connect(button, &QAbstractButton::clicked, button, std::move(action));
  return button;
}

// The abbreviated month and the day of the month, in the locale's order ("Mar 5", "5. März").
QString monthAndDay(Date date) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale = icu::Locale::getDefault();
  std::unique_ptr<icu::DateTimePatternGenerator> generator(
      icu::DateTimePatternGenerator::createInstance(locale, status));
  icu::UnicodeString pattern;
  if (U_SUCCESS(status))
    pattern = generator->getBestPattern(icu::UnicodeString(kAnswerDateSkeleton), status);
  std::optional<icu::SimpleDateFormat> format;
  if (U_SUCCESS(status)) format.emplace(pattern, locale, status);
  if (U_FAILURE(status)) {
    log::error(std::string("Sites page: no date format for answers: ") + u_errorName(status));
    const auto milliseconds = static_cast<qint64>(std::llround(date.unixTime() * 1000));
    return QDateTime::fromMSecsSinceEpoch(milliseconds).date().toString(Qt::ISODate);
  }
  icu::UnicodeString text;
  format->format(date.unixTime() * 1000.0, text);
  return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

// Empties a section; what it held goes once the event being handled (maybe a click on one of its
// own buttons) has returned.
void clear(QWidget& section) {
  QLayout* layout = section.layout();
  while (QLayoutItem* item = layout->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->setParent(nullptr);
      widget->deleteLater();
    }
    delete item;
  }
}

QWidget* makeSection() {
  auto* section = new QWidget;
  auto* stack = new QVBoxLayout(section);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->setSpacing(kSectionSpacing);
  return section;
}

// The plain text field of an add row: Esc is told apart so that it can close the row.
class SiteField : public QLineEdit {
public:
  std::function<void()> escaped;

protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && escaped) {
      escaped();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }
};

// The applications folders that exist, the system's first: where a user looks for an application.
std::vector<std::filesystem::path> existingApplicationFolders() {
  std::vector<std::filesystem::path> folders;
  for (const std::filesystem::path& folder : DesktopEntries::applicationFoldersOfEnvironment()) {
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) folders.push_back(folder);
  }
  // The first is the user's own, which rarely holds much.
  if (folders.size() > 1) std::rotate(folders.begin(), folders.begin() + 1, folders.end());
  return folders;
}

std::optional<std::filesystem::path> chooseDesktopFile(QWidget* parent) {
  const std::vector<std::filesystem::path> folders = existingApplicationFolders();
  QFileDialog dialog(parent, QStringLiteral("Add app"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // the native one has no places of our own
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QStringLiteral("Applications (*.desktop)"));
  QList<QUrl> places;
  for (const std::filesystem::path& folder : folders) {
    places << QUrl::fromLocalFile(QString::fromStdString(folder.string()));
  }
  dialog.setSidebarUrls(places);
  if (!folders.empty()) dialog.setDirectory(QString::fromStdString(folders.front().string()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

}  // namespace

SitesPage::SitesPage(AppModel& model, Navigation& /*navigation*/, QWidget* parent)
    : Page(parent),
      model_(model),
      clock_(&WallClock::system()),
      chooser_(chooseDesktopFile),
      allowed_(makeSection()),
      ignored_(makeSection()),
      quiet_(makeSection()),
      answers_(makeSection()),
      listsNotice_(new Notice(kListsUnread)),
      learnedNotice_(new Notice) {
  addSection(allowed_);
  // Heads the lists it speaks of; the allowances above are learned, not the user's.
  addSection(listsNotice_);
  for (QWidget* section : {ignored_, quiet_, answers_}) addSection(section);
  addSection(learnedNotice_);
  showUnsaved();
  showAllowed();
  showIgnored();
  showQuiet();
  showAnswers();

  connect(&model, &AppModel::changed, this, [this](AppModel::Property property) {
    if (property == AppModel::Property::allowed) showAllowed();
    if (property == AppModel::Property::answers) showAnswers();
    if (property == AppModel::Property::unsaved) showUnsaved();
  });
  Prefs& prefs = model.prefs();
  connect(&prefs, &Prefs::excludedAppsChanged, this, &SitesPage::showIgnored);
  connect(&prefs, &Prefs::excludedSitesChanged, this, &SitesPage::showIgnored);
  connect(&prefs, &Prefs::neverInterruptChanged, this, &SitesPage::showQuiet);
  refresher_.setInterval(kRefreshInterval);
  connect(&refresher_, &QTimer::timeout, this, &SitesPage::refresh);
  refresher_.start();
}

void SitesPage::setClock(const WallClock& clock) {
  clock_ = &clock;
  refresh();
}

void SitesPage::setApplicationChooser(ApplicationChooser chooser) { chooser_ = std::move(chooser); }

void SitesPage::refresh() { showAllowed(); }

void SitesPage::showUnsaved() {
  using Unsaved = AppModel::Unsaved;
  const std::set<Unsaved>& unsaved = model_.unsaved();
  listsNotice_->setVisible(unsaved.contains(Unsaved::unreadSettings));
  learnedNotice_->setText(unsaved.contains(Unsaved::unreadLearned) ? kLearnedUnread
                                                                   : kLearnedUnsaved);
  learnedNotice_->setVisible(unsaved.contains(Unsaved::learned));
}

void SitesPage::showAllowed() {
  clear(*allowed_);
  const Date now = clock_->now();
  std::vector<AppModel::Allowed> running;
  for (const AppModel::Allowed& entry : model_.allowed()) {
    if (entry.allowance.until > now) running.push_back(entry);
  }
  allowed_->setVisible(!running.empty());
  if (running.empty()) return;

  auto* group =
      new QBGroup(kAllowedHeader, QStringLiteral("checkmark.circle.fill"), QB::Hue::focus);
  for (size_t i = 0; i < running.size(); ++i) {
    const std::string& scope = running[i].scope;
    auto* row = new QWidget;
    QHBoxLayout* line = rowLayout(*row);
    const QString id = QString::fromStdString(scope);
    if (const std::optional<QString> name = app(scope)) {
      addName(*line, id, *name);
    } else {
      addName(*line, std::nullopt, id);
    }
    auto* remaining = new QLabel(left(running[i].allowance.until.since(now)) + " left");
    remaining->setFont(QB::Font::caption());
    setColor(*remaining, QB::Hue::focus);
    line->addWidget(remaining);
    line->addWidget(new RemoveControl(kEnd, [this, scope] { model_.endAllowance(scope); }));
    group->addRow(row);
    if (i + 1 < running.size()) group->addRow(new QBSeparator);
  }
  allowed_->layout()->addWidget(group);
}

void SitesPage::showIgnored() {
  clear(*ignored_);
  Prefs& prefs = model_.prefs();
  auto* group = new QBGroup(kIgnoredHeader, QStringLiteral("eye.slash.fill"), QB::textMuted);

  for (const std::string& id : prefs.excludedApps()) {
    // An application no longer installed stays in the settings, unlisted, in case it comes back.
    if (!entries_.isInstalled(id)) continue;
    auto* row = new QWidget;
    QHBoxLayout* line = rowLayout(*row);
    const QString bundleID = QString::fromStdString(id);
    addName(*line, bundleID, app(id).value_or(bundleID));
    line->addWidget(new RemoveControl(kRemove, [&prefs, id] { prefs.removeExcludedApp(id); }));
    group->addRow(row);
    group->addRow(new QBSeparator);
  }
  for (const std::string& site : prefs.excludedSites()) {
    group->addRow(
        new QBRow(QString::fromStdString(site), std::nullopt,
                  new RemoveControl(kRemove, [&prefs, site] { prefs.removeExcludedSite(site); })));
    group->addRow(new QBSeparator);
  }
  if (addingSite_.open) {
    group->addRow(addRow(addingSite_, &SitesPage::addSite, &SitesPage::showIgnored));
    group->addRow(new QBSeparator);
  }
  auto* buttons = new QWidget;
  auto* line = new QHBoxLayout(buttons);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(0);
  buttons->setMinimumHeight(kRowHeight);
  line->addWidget(plainButton(QStringLiteral("Add app…"), [this] { addApp(); }));
  line->addWidget(plainButton(QStringLiteral("Add site"), [this] {
    addingSite_.open = true;
    showIgnored();
  }));
  line->addStretch(1);
  group->addRow(buttons);

  ignored_->layout()->addWidget(group);
  ignored_->layout()->addWidget(new Footer(kIgnoredFooter));
}

void SitesPage::showQuiet() {
  clear(*quiet_);
  Prefs& prefs = model_.prefs();
  auto* group = new QBGroup(kQuietHeader, QStringLiteral("bell.slash.fill"), QB::Hue::detour);
  for (const std::string& site : prefs.neverInterrupt()) {
    group->addRow(new QBRow(
        QString::fromStdString(site), std::nullopt,
        new RemoveControl(kRemove, [&prefs, site] { prefs.removeNeverInterrupt(site); })));
    group->addRow(new QBSeparator);
  }
  if (addingQuiet_.open) {
    group->addRow(addRow(addingQuiet_, &SitesPage::addQuiet, &SitesPage::showQuiet));
    group->addRow(new QBSeparator);
  }
  auto* buttons = new QWidget;
  auto* line = new QHBoxLayout(buttons);
  line->setContentsMargins(0, 0, 0, 0);
  buttons->setMinimumHeight(kRowHeight);
  line->addWidget(plainButton(QStringLiteral("Add site"), [this] {
    addingQuiet_.open = true;
    showQuiet();
  }));
  line->addStretch(1);
  group->addRow(buttons);

  quiet_->layout()->addWidget(group);
  quiet_->layout()->addWidget(new Footer(kQuietFooter));
}

void SitesPage::showAnswers() {
  clear(*answers_);
  const std::vector<PersonalMemory::Example>& answers = model_.answers();
  auto* group = new QBGroup(kAnswersHeader, QStringLiteral("text.bubble.fill"), QB::textMuted);
  if (answers.empty()) {
    auto* none = new QLabel(kNone);
    none->setFont(QB::Font::body());
    setColor(*none, QB::textFaint);
    group->addRow(new QBRow(QString(), std::nullopt, none));
  }
  for (size_t i = 0; i < answers.size(); ++i) {
    const PersonalMemory::Example& answer = answers[i];
    auto* row = new QWidget;
    QHBoxLayout* line = rowLayout(*row);
    line->setContentsMargins(kRowPadding, kAnswerVerticalPadding, kRowPadding,
                             kAnswerVerticalPadding);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(kAnswerLineSpacing);
    const QString title = answer.title
                              ? QString::fromStdString(WorkContext::shortTitle(*answer.title))
                              : kUntitledAnswer;
    lines->addWidget(new OneLine(title, QB::Font::body(), QB::text, Qt::ElideMiddle));
    QStringList details;
    if (answer.site) details << app(*answer.site).value_or(QString::fromStdString(*answer.site));
    details << monthAndDay(answer.at);
    lines->addWidget(new OneLine(details.join(kDetailsSeparator), QB::Font::caption(),
                                 QB::textFaint, Qt::ElideRight));
    line->addLayout(lines, 1);
    line->addSpacing(QBRow::kMinimumFlexibleSpace);

    auto* verdict = new QLabel(answer.work ? kForWork : kNotForWork);
    verdict->setFont(QB::Font::caption());
    setColor(*verdict, answer.work ? QB::Hue::focus : QB::Hue::detour);
    line->addWidget(verdict);
    line->addWidget(
        new RemoveControl(kForget, [this, id = answer.id] { model_.forgetAnswer(id); }));
    group->addRow(row);
    if (i + 1 < answers.size()) group->addRow(new QBSeparator);
  }
  answers_->layout()->addWidget(group);
  if (!answers.empty()) answers_->layout()->addWidget(new Footer(kAnswersFooter));
}

QWidget* SitesPage::addRow(Adding& adding, void (SitesPage::*submit)(),
                           void (SitesPage::*reshow)()) {
  auto* row = new QWidget;
  QHBoxLayout* line = rowLayout(*row);
  auto* field = new SiteField;
  field->setFrame(false);
  field->setFont(QB::Font::body());
  field->setPlaceholderText(kSitePlaceholder);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  palette.setColor(QPalette::Text, QB::text);
  palette.setColor(QPalette::PlaceholderText, QB::textFaint);
  field->setPalette(palette);
  field->setText(adding.text);
  connect(field, &QLineEdit::textEdited, this,
          [&adding](const QString& text) { adding.text = text; });
  connect(field, &QLineEdit::returnPressed, this, submit);
  field->escaped = [this, &adding, reshow] {
    adding.open = false;
    (this->*reshow)();
  };
  if (adding.refusal.isEmpty()) {
    line->addWidget(field, 1);
  } else {
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(field);
    auto* refusal = new QLabel(adding.refusal);
    refusal->setObjectName(QStringLiteral("refusal"));
    refusal->setFont(QB::Font::caption());
    refusal->setWordWrap(true);
    setColor(*refusal, QB::danger);
    column->addWidget(refusal);
    line->addLayout(column, 1);
  }
  connect(field, &QLineEdit::textEdited, this,
          [&adding](const QString&) { adding.refusal.clear(); });
  // The row opens to be typed in.
  QTimer::singleShot(0, field, [field] { field->setFocus(Qt::OtherFocusReason); });
  return row;
}

void SitesPage::add(Adding& adding, const std::vector<std::string>& list,
                    void (Prefs::*append)(std::string)) {
  const HostName::Checked site = host(adding.text);
  if (!site.host) {
    // The row stays open with the text, saying why, so that it can be mended.
    adding.refusal = QString::fromStdString(site.refusal);
    return;
  }
  adding = Adding{};
  if (std::find(list.begin(), list.end(), *site.host) == list.end()) {
    (model_.prefs().*append)(*site.host);  // the list's change redraws the section
  }
}

void SitesPage::addSite() {
  add(addingSite_, model_.prefs().excludedSites(), &Prefs::appendExcludedSite);
  showIgnored();
}

void SitesPage::addQuiet() {
  add(addingQuiet_, model_.prefs().neverInterrupt(), &Prefs::appendNeverInterrupt);
  showQuiet();
}

void SitesPage::addApp() {
  const std::optional<std::filesystem::path> chosen = chooser_(this);
  if (!chosen) return;
  const std::optional<std::string> id =
      desktopFileID(*chosen, DesktopEntries::applicationFoldersOfEnvironment());
  // A file outside the applications folders, or one that is no application's entry, names none.
  if (!id || !entries_.isInstalled(*id)) return;
  const std::vector<std::string>& ignored = model_.prefs().excludedApps();
  if (std::find(ignored.begin(), ignored.end(), *id) != ignored.end()) return;
  model_.prefs().appendExcludedApp(*id);
}

std::optional<QString> SitesPage::app(const std::string& bundleID) const {
  if (!entries_.isInstalled(bundleID)) return std::nullopt;
  return QString::fromStdString(entries_.name(bundleID).value_or(bundleID));
}

QString SitesPage::left(Duration seconds) {
  const auto hours = static_cast<long long>(std::trunc(seconds / kSecondsPerHour));
  if (hours < kHoursPerDay) return Format::duration(seconds);
  if (hours < 2 * kHoursPerDay) return QStringLiteral("1d %1h").arg(hours - kHoursPerDay);
  return QStringLiteral("%1d").arg(hours / kHoursPerDay);
}

HostName::Checked SitesPage::host(const QString& typed) {
  const std::string text = typed.trimmed().toStdString();
  const std::string address = text.find("://") != std::string::npos ? text : "https://" + text;
  std::string name = text;
  if (const std::optional<Url> url = Url::parse(address); url && url->host()) name = *url->host();
  const std::string_view www = "www.";
  if (name.size() >= www.size() &&
      std::equal(www.begin(), www.end(), name.begin(),
                 [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
    name.erase(0, www.size());
  }
  return HostName::check(name);
}

std::optional<std::string> SitesPage::desktopFileID(
    const std::filesystem::path& file, const std::vector<std::filesystem::path>& folders) {
  if (file.extension() != ".desktop") return std::nullopt;
  std::error_code ignored;
  const std::filesystem::path chosen = std::filesystem::weakly_canonical(file, ignored);
  for (const std::filesystem::path& folder : folders) {
    const std::filesystem::path base = std::filesystem::weakly_canonical(folder, ignored);
    std::filesystem::path relative = chosen.lexically_relative(base);
    if (relative.empty() || *relative.begin() == "..") continue;
    std::string id = relative.replace_extension().generic_string();
    std::replace(id.begin(), id.end(), '/', '-');
    return id;
  }
  return std::nullopt;
}

}  // namespace qb
