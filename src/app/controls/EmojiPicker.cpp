#include "app/controls/EmojiPicker.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QSettings>
#include <QStringList>
#include <QVBoxLayout>

#include "app/controls/ControlLook.h"
#include "app/controls/PickerButton.h"
#include "regions/EmojiCatalogue.h"
#include "regions/EmojiSearch.h"

namespace {

constexpr int COLUMNS = 8;
constexpr int BUTTON_SIDE = 40;
constexpr int EMOJI_PIXELS = 24;
const char* const EMOJI_FAMILY = "Noto Color Emoji";
const char* const RECENT_KEY = "recentEmoji";
const char* const EMOJI_PROPERTY = "emoji";

// Read once: the names file is large and never changes while the program runs.
const EmojiSearch& emojiNames() {
    static const EmojiSearch search;
    return search;
}

std::vector<std::string> storedRecent() {
    std::vector<std::string> stored;
    for (const QString& emoji : QSettings().value(RECENT_KEY).toStringList())
        stored.push_back(emoji.toStdString());
    return stored;
}

}  // namespace

EmojiPicker::EmojiPicker(QWidget* parent)
    : QWidget(parent),
      recent_(storedRecent()),
      searchField_(new QLineEdit(this)),
      browsing_(new QButtonGroup(this)),
      matches_(new QButtonGroup(this)) {
    setAccessibleName("Emoji");
    ControlLook::useLightText(*this);
    // Not exclusive: the groups only let the arrows move between the emoji.
    browsing_->setExclusive(false);
    matches_->setExclusive(false);

    searchField_->setAccessibleName("Search Emoji");
    searchField_->setPlaceholderText("Search Emoji");
    searchField_->setClearButtonEnabled(true);
    searchField_->installEventFilter(this);
    connect(searchField_, &QLineEdit::textChanged, this, &EmojiPicker::search);

    auto* content = new QWidget;
    sections_ = new QVBoxLayout(content);
    sections_->setContentsMargins(4, 0, 4, 4);
    sections_->setSpacing(6);
    for (const EmojiSection& group : emojiSections()) {
        const QString name = QString::fromUtf8(group.name.data(), qsizetype(group.name.size()));
        groupSections_.push_back(makeSection(name, name, group.emoji, *browsing_));
        sections_->addWidget(groupSections_.back());
    }
    sections_->addStretch();
    showRecent();

    auto* scroll = ControlLook::clearScrollArea(content, Qt::Vertical, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(searchField_);
    layout->addWidget(scroll, 1);
}

QWidget* EmojiPicker::makeSection(const QString& name, const QString& title,
                                  const std::vector<std::string>& emoji, QButtonGroup& group) {
    auto* section = new QWidget;
    section->setAccessibleName(name);
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* header = new QLabel(title.toUpper(), section);
    layout->addWidget(header);
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addLayout(grid);

    // The colour font by name: the default font draws many emoji as black outlines.
    QFont glyphs(EMOJI_FAMILY);
    glyphs.setPixelSize(EMOJI_PIXELS);
    for (size_t i = 0; i < emoji.size(); ++i) {
        const std::string& one = emoji[i];
        auto* button = new PickerButton(section);
        button->setText(QString::fromStdString(one));
        const std::string_view name = emojiNames().nameOf(one);
        const std::string_view spoken = name.empty() ? std::string_view(one) : name;
        button->setAccessibleName(QString::fromUtf8(spoken.data(), qsizetype(spoken.size())));
        button->setToolTip(button->accessibleName());
        button->setFont(glyphs);
        button->setFixedSize(BUTTON_SIDE, BUTTON_SIDE);
        button->setCheckable(true);
        button->setChecked(one == current_);
        button->setProperty(EMOJI_PROPERTY, QString::fromStdString(one));
        group.addButton(button);
        connect(button, &QToolButton::clicked, this, [this, one] { choose(one); });
        grid->addWidget(button, int(i) / COLUMNS, int(i) % COLUMNS);
    }
    return section;
}

// Puts `replacement` (or nothing) where `section` was. The old one leaves the picker at once
// but is deleted only once its events are done: its button may be the one being clicked.
void EmojiPicker::replaceSection(QWidget*& section, QWidget* replacement) {
    if (section) {
        for (QAbstractButton* button : section->findChildren<QAbstractButton*>())
            button->group()->removeButton(button);
        section->hide();
        section->setParent(nullptr);
        section->deleteLater();
    }
    section = replacement;
    if (!section) return;
    sections_->insertWidget(0, section);
    section->show();
}

void EmojiPicker::showRecent() {
    const std::vector<std::string>& items = recent_.items();
    const QString name = QString::fromUtf8(RecentEmoji::SECTION_NAME.data(),
                                           qsizetype(RecentEmoji::SECTION_NAME.size()));
    replaceSection(recentSection_,
                   items.empty() ? nullptr : makeSection(name, name, items, *browsing_));
    if (recentSection_) recentSection_->setVisible(!resultSection_);
}

void EmojiPicker::search(const QString& query) {
    found_ = emojiNames().find(query.toStdString());
    const bool searching = !query.trimmed().isEmpty();
    replaceSection(resultSection_,
                   searching ? makeSection("search results",
                                           found_.empty() ? "No Emoji Found" : "Search Results",
                                           found_, *matches_)
                             : nullptr);
    if (recentSection_) recentSection_->setVisible(!searching);
    for (QWidget* group : groupSections_) group->setVisible(!searching);
}

void EmojiPicker::choose(const std::string& emoji) {
    recent_.use(emoji);
    QStringList stored;
    for (const std::string& item : recent_.items()) stored << QString::fromStdString(item);
    QSettings().setValue(RECENT_KEY, stored);
    setCurrent(emoji);
    showRecent();
    emit emojiChosen(emoji);
}

void EmojiPicker::setCurrent(const std::string& emoji) {
    current_ = emoji;
    const QString marked = QString::fromStdString(emoji);
    for (QButtonGroup* group : {browsing_, matches_})
        for (QAbstractButton* button : group->buttons())
            button->setChecked(button->property(EMOJI_PROPERTY).toString() == marked);
}

bool EmojiPicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchField_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !found_.empty()) {
            choose(found_.front());
            return true;
        }
        if (key == Qt::Key_Escape && !searchField_->text().isEmpty()) {
            searchField_->clear();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EmojiPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ControlLook::paintGround(painter, *this);
}
