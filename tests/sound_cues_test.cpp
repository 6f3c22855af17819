#include <gtest/gtest.h>

#include <cmath>

#include "logger/features/sound/cue_images.h"
#include "logger/features/sound/riff_reader.h"

namespace kelvinor {
namespace {

double sampleAt(const WaveSound& w, std::size_t i) {  // -1..1
    if (w.format.bitsPerSample == 8) return (w.samples[i] - 128) / 128.0;
    return static_cast<std::int16_t>(w.samples[2 * i] | w.samples[2 * i + 1] << 8) / 32768.0;
}
std::size_t count(const WaveSound& w) {
    return w.samples.size() / w.format.blockAlign;
}

// Frequency from the zero crossings of samples [from, to).
double frequency(const WaveSound& w, std::size_t from, std::size_t to) {
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        if ((sampleAt(w, i - 1) < 0) != (sampleAt(w, i) < 0)) ++crossings;
    return crossings / 2.0 / ((to - from) / static_cast<double>(w.format.samplesPerSecond));
}
double peak(const WaveSound& w, std::size_t from, std::size_t to) {
    double p = 0;
    for (std::size_t i = from; i < to; ++i) p = std::fmax(p, std::fabs(sampleAt(w, i)));
    return p;
}

TEST(CueImages, FormatsChunksAndLengths) {
    struct Case {
        int cue;
        std::uint32_t rate;
        std::uint16_t bits;
        std::size_t dataBytes, imageBytes;
        double ms;
    };
    const Case cases[] = {{0, 22050, 16, 1360, 1404, 30.8},
                          {1, 22050, 8, 9952, 10008, 451.3},
                          {2, 11025, 8, 10119, 10164, 917.8}};
    for (const Case& c : cases) {
        const auto image = cueImage(c.cue);
        ASSERT_EQ(image.size(), c.imageBytes) << c.cue;
        const auto wave = readWave(image);
        ASSERT_TRUE(wave) << c.cue;
        EXPECT_EQ(wave->format.formatTag, 1);
        EXPECT_EQ(wave->format.channels, 1);
        EXPECT_EQ(wave->format.samplesPerSecond, c.rate);
        EXPECT_EQ(wave->format.bitsPerSample, c.bits);
        EXPECT_EQ(wave->samples.size(), c.dataBytes);
        EXPECT_NEAR(count(*wave) * 1000.0 / c.rate, c.ms, 0.1);
        const std::uint32_t riffSize = image[4] | image[5] << 8 | image[6] << 16 | image[7] << 24;
        EXPECT_EQ(riffSize, image.size() - 8);
    }
    // The problem cue's "fact" chunk stands between "fmt " and "data".
    const auto problem = cueImage(1);
    EXPECT_EQ(std::string(problem.begin() + 36, problem.begin() + 40), "fact");
    EXPECT_EQ(problem[40], 4);
    EXPECT_EQ(std::string(problem.begin() + 48, problem.begin() + 52), "data");
    // The alarm cue's odd data chunk is followed by one fill byte.
    EXPECT_EQ(cueImage(2).size(), 44u + 10119u + 1u);
    EXPECT_TRUE(cueImage(3).empty());
}

TEST(CueImages, TheirCharacter) {
    const auto click = *readWave(cueImage(0));
    EXPECT_NEAR(peak(click, 0, count(click)), 0.1, 0.03);
    const auto problem = *readWave(cueImage(1));
    const std::size_t ms = 22050 / 1000;
    EXPECT_NEAR(frequency(problem, 0, 75 * ms), 1400, 100);
    EXPECT_LT(peak(problem, 85 * ms, 135 * ms), 0.01);  // the pause
    EXPECT_NEAR(frequency(problem, 145 * ms, 300 * ms), 1150, 100);
    EXPECT_GT(peak(problem, 145 * ms, 180 * ms), 4 * peak(problem, 350 * ms, 400 * ms));  // fading
    const auto alarm = *readWave(cueImage(2));
    const std::size_t n = count(alarm);
    EXPECT_GT(peak(alarm, 0, n), 0.85);
    EXPECT_LE(peak(alarm, 0, n), 0.95);
    const double first = frequency(alarm, 0, n / 4), last = frequency(alarm, 3 * n / 4, n);
    EXPECT_GE(first, 1000);
    EXPECT_LE(last, 2000);
    EXPECT_GT(last, first + 200);  // rising
}

TEST(RiffReader, EveryTruncationIsRefusedWithoutReadingPastTheImage) {
    for (int cue = 0; cue < 3; ++cue) {
        const auto image = cueImage(cue);
        const auto full = readWave(image);
        ASSERT_TRUE(full);
        const std::size_t dataEnd =
            static_cast<std::size_t>(full->samples.data() - image.data()) + full->samples.size();
        for (std::size_t length = 0; length < image.size(); ++length) {
            // A copy of exactly this length, so a read past it would be caught by the sanitizer.
            const std::vector<std::uint8_t> cut(image.begin(),
                                                image.begin() + static_cast<long>(length));
            const auto wave = readWave(cut);
            EXPECT_EQ(wave.has_value(), length >= dataEnd) << cue << " " << length;
        }
    }
}

TEST(RiffReader, MalformedImages) {
    const auto good = cueImage(1);
    auto changed = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> image(good.begin(), good.end());
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(at));
        return readWave(image).has_value();
    };
    EXPECT_TRUE(changed(0, {'R'}));
    EXPECT_FALSE(changed(0, {'R', 'I', 'F', 'X'}));
    EXPECT_FALSE(changed(8, {'W', 'A', 'V', 'X'}));
    EXPECT_FALSE(changed(12, {'f', 'm', 't', 'X'}));
    EXPECT_FALSE(changed(16, {0xFF, 0xFF, 0xFF, 0x7F}));  // fmt length past the end
    EXPECT_FALSE(changed(20, {0, 0}));                    // format tag 0
    EXPECT_FALSE(changed(22, {0, 0}));                    // no channels
    EXPECT_FALSE(changed(24, {0, 0, 0, 0}));              // no sample rate
    EXPECT_FALSE(changed(24, {0, 0xCA, 0x9A, 0x3B}));     // a billion samples a second
    EXPECT_FALSE(changed(34, {24, 0}));                   // 24-bit
    EXPECT_FALSE(changed(40, {0xF0, 0xFF, 0xFF, 0xFF}));  // fact length past the end
    EXPECT_FALSE(changed(48, {'d', 'a', 't', 'X'}));      // no "data"
    EXPECT_FALSE(changed(52, {0x00, 0x00, 0x01, 0x00}));  // data length past the end
    EXPECT_FALSE(changed(52, {0, 0, 0, 0}));              // empty data
}

}  // namespace
}  // namespace kelvinor

#include "logger/application/startup.h"
#include "logger/constants/control_ids.h"
#include "logger/features/sound/sound_cues.h"
#include "tests/support/scenario.h"

namespace kelvinor {
namespace {

using namespace testing;

// Notice, title, instant query, aliases, thresholds, start, interval with its
// notice, file name, a cycle without and one with an alarm, stop, question.
int scriptedLife(Scenario& s, std::int64_t stopAt) {
    ScriptedDesktop& d = s.desktop;
    d.answerPrompt("");
    d.clickAt(0, instantQueryButton);
    d.clickAt(0, renameButton);
    for (int k = 0; k < 3; ++k) d.answerPrompt("S");
    d.clickAt(0, thresholdsButton);
    for (const char* a : {"5,2", "-56", "126", "-56", "126", "-56"}) d.answerPrompt(a);
    d.clickAt(0, startButton);
    d.answerPrompt("S1");  // below the minimum: the notice
    d.answerPrompt("log.KLV");
    d.answerMessage(kAnswerNo);
    d.clickAt(stopAt, stopButton);  // while the program waits for the third cycle
    return s.runStartUp(1);
}

TEST(SoundCues, EveryCueOfAScriptedLifeWithItsPause) {
    TemporaryWorkFolder folder;
    Scenario s(ScenarioOptions{.soundAvailable = true});
    EXPECT_EQ(scriptedLife(s, 14000), 0);
    std::vector<int> cues(23, 0);
    cues[20] = alarmCue;
    EXPECT_EQ(s.sound.cues(), cues);
    const std::vector<std::int64_t> times = {
        1090,  1590,                                  // notice, title
        2090,  2590,                                  // instant query: start, after the result
        3090,  3590,  4090, 4590,                     // aliases
        5090,  5590,  6090, 6590,  7090, 7590, 8090,  // thresholds
        8590,  9090,  9590, 10090,                    // start, interval, its notice, file name
        10590, 13090,                                 // the cycles: click, then the alarm cue
        14000, 15000};                                // stop, after the question
    std::vector<std::int64_t> played;
    for (const auto& p : s.sound.played) played.push_back(p.atMs);
    EXPECT_EQ(played, times);
    EXPECT_EQ(s.sound.loaded.size(), 3u);
    EXPECT_EQ(s.sound.loaded[0].bytes, 1360u);
    EXPECT_EQ(s.sound.loaded[1].bytes, 9952u);
    EXPECT_EQ(s.sound.loaded[2].bytes, 10119u);
}

TEST(SoundCues, WithoutAnOutputNoCueAndNoPause) {
    TemporaryWorkFolder folder;
    Scenario s;
    EXPECT_EQ(scriptedLife(s, 3000), 0);
    EXPECT_TRUE(s.sound.played.empty());
    EXPECT_TRUE(s.sound.loaded.empty());
    EXPECT_EQ(s.clock.sleptMs(), 1090 + 500);  // the scan's waits and the pause before the question
}

}  // namespace
}  // namespace kelvinor
