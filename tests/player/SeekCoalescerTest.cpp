#include "player/SeekCoalescer.h"

#include <gtest/gtest.h>

namespace {

MediaTime at(double seconds) {
    return MediaTime::fromSeconds(seconds, 600);
}

}  // namespace

TEST(SeekCoalescer, ABurstSeeksOnceAtATimeEndsOnTheLastTargetAndAnswersEveryRequestOnce) {
    SeekCoalescer seeks;
    std::vector<std::pair<int, bool>> answers;
    auto answer = [&](int request) {
        return [&, request](bool done) { answers.push_back({request, done}); };
    };

    EXPECT_EQ(seeks.request(at(1), answer(1)), at(1));
    EXPECT_TRUE(seeks.isBusy());
    // While the first is in flight, each later request takes the place of the one before.
    for (int i = 2; i <= 5; ++i) EXPECT_EQ(seeks.request(at(i), answer(i)), std::nullopt);
    EXPECT_EQ(answers, (std::vector<std::pair<int, bool>>{{2, false}, {3, false}, {4, false}}));

    answers.clear();
    EXPECT_EQ(seeks.seekEnded(), at(5));  // the last target, sought next
    EXPECT_EQ(answers, (std::vector<std::pair<int, bool>>{{1, true}}));
    answers.clear();
    EXPECT_EQ(seeks.seekEnded(), std::nullopt);
    EXPECT_EQ(answers, (std::vector<std::pair<int, bool>>{{5, true}}));
    EXPECT_FALSE(seeks.isBusy());
}

TEST(SeekCoalescer, ALaterRequestForTheSameSecondsIsAnsweredByTheSeekInFlight) {
    SeekCoalescer seeks;
    int finished = 0;
    seeks.request(at(2), [&](bool done) { finished += done; });
    seeks.request(MediaTime(2, 1), [&](bool done) { finished += done; });
    EXPECT_EQ(seeks.seekEnded(), std::nullopt);
    EXPECT_EQ(finished, 2);
    EXPECT_FALSE(seeks.isBusy());
}

TEST(SeekCoalescer, ACompletionMaySeekAgain) {
    SeekCoalescer seeks;
    std::optional<MediaTime> issued;
    seeks.request(at(1), [&](bool) { issued = seeks.request(at(3)); });
    EXPECT_EQ(seeks.seekEnded(), std::nullopt);
    EXPECT_EQ(issued, at(3));
    EXPECT_TRUE(seeks.isBusy());
}
