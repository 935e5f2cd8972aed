#pragma once
// The emoji picker of the tool panels: a search field over the emoji's names, then the emoji
// the user picked last ("recently used", kept in the settings under "recentEmoji") and the
// catalogue's eight groups. Each emoji is a button named for screen readers by its Unicode name
// ("grinning face"). The arrows move among the emoji, Enter or Space picks one; in the search
// field Enter picks the first match and Escape clears the search. GUI thread.

#include <QWidget>
#include <string>
#include <vector>

#include "regions/RecentEmoji.h"

class QButtonGroup;
class QLineEdit;
class QVBoxLayout;

class EmojiPicker : public QWidget {
    Q_OBJECT
public:
    explicit EmojiPicker(QWidget* parent = nullptr);
    // Marks the region's emoji; emits nothing.
    void setCurrent(const std::string& emoji);

    QSize sizeHint() const override { return {380, 360}; }

signals:
    void emojiChosen(const std::string& emoji);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeSection(const QString& name, const QString& title,
                         const std::vector<std::string>& emoji, QButtonGroup& group);
    void replaceSection(QWidget*& section, QWidget* replacement);
    void choose(const std::string& emoji);
    void search(const QString& query);
    void showRecent();

    RecentEmoji recent_;
    std::string current_;
    std::vector<std::string> found_;
    QLineEdit* searchField_;
    QVBoxLayout* sections_;
    // The arrows move among the buttons of one group: the ones shown while browsing (recently
    // used and the catalogue's groups) or the search's matches, never to hidden ones.
    QButtonGroup* browsing_;
    QButtonGroup* matches_;
    QWidget* recentSection_ = nullptr;
    QWidget* resultSection_ = nullptr;
    std::vector<QWidget*> groupSections_;
};
