#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSettings>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstdio>
#include <vector>

#include "app/controls/EmojiPicker.h"
#include "app/controls/PickerButton.h"
#include "app/controls/ScaleBar.h"
#include "app/controls/StylePicker.h"
#include "app/controls/TickSlider.h"
#include "app/controls/TrimBar.h"
#include "app/controls/ValueSlider.h"
#include "app/support/QtTestSupport.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/image/Orientation.h"
#include "platform/image/TestCard.h"

namespace {

// The controls laid out in a shown window, as a panel holds them.
struct Panel {
    QWidget window;
    explicit Panel(QWidget* control) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(control);
        window.resize(420, control->sizeHint().height() + 20);
        window.show();
        QApplication::processEvents();
    }
};

struct TrimSignals {
    int began = 0, cancelled = 0;
    std::vector<double> seeks;
    std::vector<std::pair<double, double>> commits;
    explicit TrimSignals(TrimBar& bar) {
        QObject::connect(&bar, &TrimBar::dragBegan, [this] { ++began; });
        QObject::connect(&bar, &TrimBar::dragCancelled, [this] { ++cancelled; });
        QObject::connect(&bar, &TrimBar::seekRequested, [this](double f) { seeks.push_back(f); });
        QObject::connect(&bar, &TrimBar::trimCommitted, [this](double a, double b) {
            commits.push_back({a, b});
        });
    }
};

TrimBarSetup regionFrom20To60Percent() {
    return {.start = 0.3, .end = 0.5, .minStart = 0.2, .maxEnd = 0.6, .durationSeconds = 100};
}

}  // namespace

TEST(TrimBarControl, DraggingAHandleSeeksWithinTheRangeAndCommitsOnReleaseInOrder) {
    Panel panel(new TrimBar);
    auto* bar = byName<TrimBar>(panel.window, "Trim");
    ASSERT_TRUE(bar);
    bar->setUp(regionFrom20To60Percent());
    TrimSignals seen(*bar);

    // The start handle pulled far left stops at the region's first moment.
    const QPointF start = trimHandle(*bar, 0.3);
    mouse(*bar, QEvent::MouseButtonPress, start);
    EXPECT_EQ(seen.began, 1);
    EXPECT_TRUE(seen.commits.empty()) << "nothing is committed when a drag begins";
    mouse(*bar, QEvent::MouseMove, start - QPointF(20, 0));
    mouse(*bar, QEvent::MouseMove, start - QPointF(400, 0));
    ASSERT_EQ(seen.seeks.size(), 2u);
    EXPECT_NEAR(seen.seeks[0], 0.3 - 20.0 / (bar->width() - 32), 1e-9);
    EXPECT_DOUBLE_EQ(seen.seeks[1], 0.2);
    EXPECT_TRUE(seen.commits.empty()) << "the trim waits for the release";
    mouse(*bar, QEvent::MouseButtonRelease, start - QPointF(400, 0));
    ASSERT_EQ(seen.commits.size(), 1u);
    EXPECT_DOUBLE_EQ(seen.commits[0].first, 0.2);
    EXPECT_DOUBLE_EQ(seen.commits[0].second, 0.5);

    // Dragged past the end handle, it stops at the region's last moment; the trim is in order.
    const QPointF from = trimHandle(*bar, 0.2);
    mouse(*bar, QEvent::MouseButtonPress, from);
    mouse(*bar, QEvent::MouseMove, from + QPointF(1000, 0));
    mouse(*bar, QEvent::MouseButtonRelease, from + QPointF(1000, 0));
    EXPECT_DOUBLE_EQ(seen.seeks.back(), 0.6);
    ASSERT_EQ(seen.commits.size(), 2u);
    EXPECT_DOUBLE_EQ(seen.commits[1].first, 0.5);
    EXPECT_DOUBLE_EQ(seen.commits[1].second, 0.6);
}

TEST(TrimBarControl, EscapePutsTheDraggedHandleBackAndCommitsNothing) {
    Panel panel(new TrimBar);
    auto* bar = byName<TrimBar>(panel.window, "Trim");
    bar->setUp(regionFrom20To60Percent());
    TrimSignals seen(*bar);
    const QPointF end = trimHandle(*bar, 0.5);
    mouse(*bar, QEvent::MouseButtonPress, end);
    EXPECT_EQ(bar->accessibleDescription(), "End handle at 0:50");
    mouse(*bar, QEvent::MouseMove, end + QPointF(20, 0));
    EXPECT_NE(bar->accessibleDescription(), "End handle at 0:50");
    key(*bar, Qt::Key_Escape);
    EXPECT_EQ(seen.cancelled, 1);
    mouse(*bar, QEvent::MouseMove, end + QPointF(30, 0));
    mouse(*bar, QEvent::MouseButtonRelease, end + QPointF(30, 0));
    EXPECT_TRUE(seen.commits.empty());
    EXPECT_EQ(seen.seeks.size(), 1u) << "the moves after Escape are not the user's drag";
    EXPECT_EQ(bar->accessibleDescription(), "End handle at 0:50");
}

TEST(TrimBarControl, KeysMoveTheFocusedHandleAndTabSwitchesHandles) {
    Panel panel(new TrimBar);
    auto* bar = byName<TrimBar>(panel.window, "Trim");
    bar->setUp(regionFrom20To60Percent());
    bar->setFocus(Qt::TabFocusReason);
    TrimSignals seen(*bar);

    key(*bar, Qt::Key_PageUp);  // one second of 100 on the start handle
    ASSERT_EQ(seen.commits.size(), 1u);
    EXPECT_NEAR(seen.commits[0].first, 0.31, 1e-9);
    EXPECT_NEAR(seen.seeks.back(), 0.31, 1e-9);
    key(*bar, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(seen.commits.back().first, 0.2);

    key(*bar, Qt::Key_Tab);
    EXPECT_TRUE(bar->hasFocus()) << "Tab goes from the start handle to the end handle";
    key(*bar, Qt::Key_End);
    EXPECT_DOUBLE_EQ(seen.seeks.back(), 0.6);
    EXPECT_DOUBLE_EQ(seen.commits.back().second, 0.6);
    key(*bar, Qt::Key_Left);  // one frame (1/30 s) of 100 s
    EXPECT_NEAR(seen.commits.back().second, 0.6 - 1.0 / 3000, 1e-9);
    key(*bar, Qt::Key_Tab, Qt::ShiftModifier);
    key(*bar, Qt::Key_Right);
    EXPECT_NEAR(seen.commits.back().first, 0.2 + 1.0 / 3000, 1e-9);
    EXPECT_EQ(seen.began, 0) << "keys are whole edits, not drags";
}

TEST(ScaleBarControl, DragAndKeysSetTheEnlargement) {
    Panel panel(new ScaleBar);
    auto* scale = byName<ScaleBar>(panel.window, "Enlargement");
    ASSERT_TRUE(scale);
    scale->setValue(0.5);
    std::vector<double> changes;
    QObject::connect(scale, &ScaleBar::scaleChanged, [&](double s) { changes.push_back(s); });

    // The knob at the far left: its centre is 8 + 9 from the edge.
    const QPointF knob(17, scale->height() / 2.0);
    mouse(*scale, QEvent::MouseButtonPress, knob);
    ASSERT_EQ(changes.size(), 1u) << "the press is reported too";
    EXPECT_DOUBLE_EQ(changes[0], 0.5);
    mouse(*scale, QEvent::MouseMove, knob + QPointF(2000, 0));
    mouse(*scale, QEvent::MouseButtonRelease, knob + QPointF(2000, 0));
    EXPECT_DOUBLE_EQ(changes.back(), 3.0);
    EXPECT_EQ(scale->accessibleDescription(), "300%");

    scale->setFocus();
    key(*scale, Qt::Key_PageDown);
    EXPECT_DOUBLE_EQ(changes.back(), 2.75);
    key(*scale, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(changes.back(), 0.5);
    key(*scale, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(changes.back(), 0.55);
    EXPECT_EQ(scale->accessibleDescription(), "55%");
}

TEST(ValueSliderControl, DragWheelAndKeysScrollTheRulerAndEditorEchoesAreIgnored) {
    Panel panel(new ValueSlider("Intensity"));
    auto* slider = byName<ValueSlider>(panel.window, "Intensity");
    auto* ruler = byName<TickSlider>(panel.window, "Intensity");
    ASSERT_TRUE(slider && ruler);
    slider->setValue(0.5);
    std::vector<double> values;
    int ended = 0;
    QObject::connect(slider, &ValueSlider::valueChanged, [&](double v) { values.push_back(v); });
    QObject::connect(slider, &ValueSlider::changeEnded, [&] { ++ended; });

    // Dragging the ruler 35 pixels to the left brings 35 more of its 700 under the mark.
    const QPointF middle(ruler->width() / 2.0, ruler->height() / 2.0);
    mouse(*ruler, QEvent::MouseButtonPress, middle);
    mouse(*ruler, QEvent::MouseMove, middle - QPointF(35, 0));
    EXPECT_EQ(ended, 0);
    mouse(*ruler, QEvent::MouseButtonRelease, middle - QPointF(35, 0));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_NEAR(values[0], 0.55, 1e-9);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(ruler->accessibleDescription(), "55%");

    // A wheel notch up moves one tick (10 of 700); the change ends once the wheel rests.
    QWheelEvent wheel(middle, ruler->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(ruler, &wheel);
    EXPECT_NEAR(values.back(), 0.55 + 10.0 / 700, 1e-9);
    EXPECT_TRUE(processUntil([&] { return ended == 2; }, 2));

    ruler->setFocus();
    key(*ruler, Qt::Key_End);
    EXPECT_DOUBLE_EQ(values.back(), 1.0);
    key(*ruler, Qt::Key_PageDown);
    EXPECT_NEAR(values.back(), 0.9, 1e-9);
    EXPECT_EQ(ended, 4);

    // The editor's echo within 0.01 leaves the ruler where the user put it; more moves it.
    const size_t reported = values.size();
    slider->setValue(0.905);
    EXPECT_NEAR(slider->value(), 0.9, 1e-9);
    slider->setValue(0.2);
    EXPECT_DOUBLE_EQ(slider->value(), 0.2);
    EXPECT_EQ(ruler->accessibleDescription(), "20%");
    EXPECT_EQ(values.size(), reported) << "values from the editor are not reported back";
}

TEST(StylePickerControl, ThumbnailsOfTheLatestFrameArriveAndAClickChoosesTheStyle) {
    Panel panel(new StylePicker);
    auto* picker = byName<StylePicker>(panel.window, "Styles");
    ASSERT_TRUE(picker);
    const std::vector<StyleKind> styles = {StyleKind::gaussian, StyleKind::motion,
                                           StyleKind::pixellate, StyleKind::bokeh,
                                           StyleKind::crystal};
    picker->setStyles(styles);
    std::vector<QAbstractButton*> buttons;
    for (const char* name : {"gaussian", "motion", "pixellate", "bokeh", "crystal"}) {
        buttons.push_back(byName<QAbstractButton>(panel.window, name));
        ASSERT_TRUE(buttons.back()) << name;
    }
    auto thumbnail = [&](size_t i) { return buttons[i]->icon().pixmap(80, 45).toImage(); };
    auto iconKeys = [&] {
        std::vector<qint64> keys;
        for (QAbstractButton* button : buttons) keys.push_back(button->icon().cacheKey());
        return keys;
    };

    // A 1080p frame: time until every thumbnail is shown, against one plain shrink of it.
    const Image frame = makeTestCard(1920, 1080);
    QElapsedTimer clock;
    clock.start();
    const Image shrunk = orientAndScale(frame, AffineTransform::identity(), 80, 45);
    const double resizeMs = clock.nsecsElapsed() / 1e6;
    ASSERT_EQ(shrunk.width(), 80);
    const std::vector<qint64> placeholders = iconKeys();
    clock.restart();
    picker->setFrame(frame);
    const double setFrameMs = clock.nsecsElapsed() / 1e6;
    ASSERT_TRUE(processUntil([&] {
        const std::vector<qint64> now = iconKeys();
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i] == placeholders[i]) return false;
        return true;
    }));
    std::printf(
        "style thumbnails of a 1920x1080 frame: all %zu shown after %.1f ms "
        "(setFrame returned in %.2f ms; one plain resize of the frame: %.1f ms)\n",
        styles.size(), clock.nsecsElapsed() / 1e6, setFrameMs, resizeMs);
    EXPECT_NE(thumbnail(0), thumbnail(2)) << "each style shows its own filter";

    // A large frame followed at once by a small green one: only the green one's thumbnails
    // may stay, although the large one's would be done last.
    cv::Mat green(36, 64, CV_8UC4, cv::Scalar(0, 200, 0, 255));
    picker->setFrame(makeTestCard(3840, 2160));
    picker->setFrame(Image(green));
    BackgroundQueue::waitUntilIdle();
    QApplication::processEvents();
    for (size_t i = 0; i < buttons.size(); ++i) {
        const QImage picture = thumbnail(i);
        const QColor centre = picture.pixelColor(picture.width() / 2, picture.height() / 2);
        EXPECT_TRUE(centre.green() > 150 && centre.red() < 60) << "thumbnail " << i;
    }

    StyleKind chosen = StyleKind::normal;
    QObject::connect(picker, &StylePicker::styleChosen, [&](StyleKind s) { chosen = s; });
    picker->setCurrent(StyleKind::gaussian);
    EXPECT_TRUE(buttons[0]->isChecked());
    EXPECT_EQ(chosen, StyleKind::normal) << "setCurrent emits nothing";
    clickAt(*buttons[2], buttons[2]->rect().center());
    EXPECT_EQ(chosen, StyleKind::pixellate);
    EXPECT_TRUE(buttons[2]->isChecked());
    EXPECT_FALSE(buttons[0]->isChecked());

    // From the keyboard: the arrows move the choice, Enter picks the focused style.
    buttons[2]->setFocus();
    key(*buttons[2], Qt::Key_Right);
    EXPECT_EQ(chosen, StyleKind::bokeh);
    buttons[0]->setFocus();
    key(*buttons[0], Qt::Key_Return);
    EXPECT_EQ(chosen, StyleKind::gaussian);
}

TEST(EmojiPickerControl, SearchNarrowsTheEmojiAndAPickGoesToRecentlyUsed) {
    QSettings().remove("recentEmoji");
    QElapsedTimer clock;
    clock.start();
    auto* made = new EmojiPicker;
    const double madeMs = clock.nsecsElapsed() / 1e6;
    Panel panel(made);
    std::printf("emoji picker: made in %.0f ms, shown after %.0f ms\n", madeMs,
                clock.nsecsElapsed() / 1e6);
    auto* picker = byName<EmojiPicker>(panel.window, "Emoji");
    auto* field = byName<QLineEdit>(panel.window, "Search Emoji");
    ASSERT_TRUE(picker && field);
    EXPECT_FALSE(byName<QWidget>(panel.window, "recently used")) << "nothing picked yet";
    auto visibleEmoji = [&] {
        QStringList names;
        for (PickerButton* button : picker->findChildren<PickerButton*>())
            if (button->isVisibleTo(picker)) names << button->accessibleName();
        return names;
    };
    const qsizetype everything = visibleEmoji().size();
    EXPECT_GT(everything, 1000);
    EXPECT_TRUE(visibleEmoji().contains("dog face"));

    field->setText("grinning");
    const QStringList found = visibleEmoji();
    ASSERT_FALSE(found.isEmpty());
    EXPECT_LT(found.size(), 20);
    for (const QString& name : found) EXPECT_TRUE(name.contains("grinning")) << name.toStdString();

    std::vector<std::string> chosen;
    QObject::connect(picker, &EmojiPicker::emojiChosen,
                     [&](const std::string& e) { chosen.push_back(e); });
    QWidget* matches = byName<QWidget>(panel.window, "search results");
    ASSERT_TRUE(matches);
    auto* grinning = byName<QAbstractButton>(*matches, "grinning face");
    ASSERT_TRUE(grinning);
    clickAt(*grinning, grinning->rect().center());
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], "\U0001F600");
    EXPECT_EQ(QSettings().value("recentEmoji").toStringList(), QStringList{"\U0001F600"});

    // The arrows move among the matches.
    QApplication::processEvents();  // lays the matches out
    grinning->setFocus();
    key(*grinning, Qt::Key_Right);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), found[1]);
    key(*QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), grinning);

    // Enter in the field picks the first match; Escape clears the search.
    field->setText("dog face");
    key(*field, Qt::Key_Return);
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[1], "\U0001F436");
    key(*field, Qt::Key_Escape);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_GT(visibleEmoji().size(), everything) << "the groups and recently used are back";

    QWidget* recent = byName<QWidget>(panel.window, "recently used");
    ASSERT_TRUE(recent);
    const auto recentButtons = recent->findChildren<QAbstractButton*>();
    ASSERT_EQ(recentButtons.size(), 2);
    EXPECT_EQ(recentButtons[0]->accessibleName(), "dog face") << "most recent first";
    EXPECT_EQ(recentButtons[1]->accessibleName(), "grinning face");
    EXPECT_TRUE(recentButtons[0]->isChecked()) << "the picked emoji is marked";

    // A new picker starts from what was stored.
    EmojiPicker again;
    QWidget* stored = byName<QWidget>(again, "recently used");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->findChildren<QAbstractButton*>().size(), 2);
}
