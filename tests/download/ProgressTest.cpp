// Reading progress out of engine output: the number before "% of", the 600 ms spacing, and the
// recorded engine output read the way the runner reads it.
#include "DownloadFixture.h"

#include "download/EngineRunner.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace
{

TEST(ProgressParse, NumberBeforeTheMarkerInTenths)
{
    struct Case {
        const char* text;
        bool parsed;
        int value;
    } cases[] = {
        {" 45.3", true, 453}, {"100.0", true, 1000}, {" 12.5", true, 125}, {"  0.0", true, 0},
        {"  7.5", true, 75},  {"] 100", false, 0},   {"", false, 0},       {"abc", false, 0},
    };
    for (const Case& c : cases) {
        int value = -7;
        EXPECT_EQ(ParseProgressValue(c.text, value), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(ProgressScan, AtMostOneValuePer600Milliseconds)
{
    ProgressScanner scanner;
    std::vector<int> values;
    scanner.Scan("\r[download]  12.5% of    3.31MiB", 100000, values);
    scanner.Scan("\r[download]  20.0% of    3.31MiB", 100600, values); // exactly 600 later: too soon
    scanner.Scan("\r[download] 100.0% of    3.31MiB", 100601, values);
    EXPECT_EQ(values, (std::vector<int>{125, 1000}));
    EXPECT_TRUE(scanner.Seen());
}

TEST(ProgressScan, SeveralMarkersInOneChunkGiveOnlyTheFirst)
{
    ProgressScanner scanner;
    std::vector<int> values;
    scanner.Scan("\r[download]  10.0% of 3MiB\r[download]  11.0% of 3MiB", 50000, values);
    EXPECT_EQ(values, (std::vector<int>{100}));
}

TEST(ProgressScan, UnparsableMarkerCountsAndStillRestartsTheSpacing)
{
    ProgressScanner scanner;
    std::vector<int> values;
    scanner.Scan("\r[download] 100% of    3.31MiB in 00:00:04", 50000, values);
    EXPECT_TRUE(values.empty());
    EXPECT_TRUE(scanner.Seen());
    scanner.Scan("\r[download]  50.0% of 3MiB", 50500, values);
    EXPECT_TRUE(values.empty());
    scanner.Scan("at the very end % of", 60000, values); // marker at the chunk's end, no number before it
    EXPECT_TRUE(values.empty());
}

TEST(ProgressScan, OutputWithoutMarkerIsNotProgress)
{
    ProgressScanner scanner;
    std::vector<int> values;
    scanner.Scan("[download] Demo Song.mp3 has already been downloaded\n", 50000, values);
    scanner.Scan("ERROR: [generic] None: HTTP Error 404\n", 51000, values);
    EXPECT_FALSE(scanner.Seen());
    EXPECT_TRUE(values.empty());
}

struct Chunk {
    int ms;
    std::string bytes;
};

std::vector<Chunk> ReadTranscript(const std::string& name)
{
    const auto text = harness::ReadFileBytes(dltest::StandinTools() + "\\transcripts\\" + name);
    std::vector<Chunk> chunks;
    if (!text)
        return chunks;
    size_t at = 0;
    while (at < text->size()) {
        const size_t end = text->find('\n', at);
        if (end == std::string::npos)
            break;
        const std::string line = text->substr(at, end - at);
        at = end + 1;
        int ms = 0;
        unsigned long count = 0;
        if (line.empty() || line[0] != '+' || std::sscanf(line.c_str(), "+%d %lu", &ms, &count) != 2)
            continue;
        chunks.push_back({ms, text->substr(at, count)});
        at += count + 1;
    }
    return chunks;
}

TEST(ProgressScan, RecordedEngineOutputReadsAsExpected)
{
    struct Case {
        const char* transcript;
        bool seen;
        std::vector<int> values;
    } cases[] = {
        // The closing "] 100% of" line counts but gives no value; the rest follow the spacing rule.
        {"mp3-ok.tr", true, {0, 302, 537, 761, 995}},
        {"video-ok.tr", true, {0, 302, 537, 761, 995}},
        {"mp3-already.tr", false, {}},
        {"http-404.tr", false, {}},
        {"video-tv-unavailable.tr", false, {}},
    };
    for (const Case& c : cases) {
        const auto chunks = ReadTranscript(c.transcript);
        ASSERT_FALSE(chunks.empty()) << c.transcript;
        ProgressScanner scanner;
        std::vector<int> values;
        for (const Chunk& chunk : chunks)
            scanner.Scan(chunk.bytes.c_str(), 1000000 + static_cast<DWORD>(chunk.ms), values);
        EXPECT_EQ(scanner.Seen(), c.seen) << c.transcript;
        EXPECT_EQ(values, c.values) << c.transcript;
    }
}

TEST(TitleQueryOutput, ErrorAndWarningLinesAreNeverTheTitle)
{
    struct Case {
        std::string output;
        std::string title;
        bool refused;
    } cases[] = {
        {"Demo Song\n", "Demo Song", false},
        {"Demo Song\r\n \r\n", "Demo Song", false},
        {"WARNING: [youtube] falling back\nDemo Song\n", "Demo Song", false},
        {"ERROR: [generic] None: 'best' is not a valid URL.\nERROR: 'song' is not a valid URL.\n", "", false},
        {"First\nSecond\n", "First\nSecond", false},
        {"ERROR: [youtube] x: Sign in to confirm you\xE2\x80\x99re not a bot.\n", "", true},
        {"Some Title\nSIGN IN TO CONFIRM\n", "Some Title\nSIGN IN TO CONFIRM", true},
    };
    for (const Case& c : cases) {
        bool refused = false;
        EXPECT_EQ(TitleFromQueryOutput(c.output, refused), c.title) << c.output;
        EXPECT_EQ(refused, c.refused) << c.output;
    }
}

} // namespace
