#include "net/pattern_matcher.h"
#include "net/text_encoding.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kAnswerBytes = std::size_t{32} << 20;
constexpr std::string_view kStart = "{\"blogId\":";
constexpr std::string_view kEnd = ",\n\"blogType\":";

// A blog-list answer as the service sends it: JSONP around one record per post,
// mostly ASCII with Chinese categories and titles.
std::string buildAnswer() {
    const std::vector<std::string> words = {
        qzb::gbk("日志"),     qzb::gbk("随笔"), qzb::gbk("生活"), qzb::gbk("心情"), qzb::gbk("旅行"),
        qzb::gbk("读书"),     qzb::gbk("笔记"), qzb::gbk("今天"), qzb::gbk("周末"), qzb::gbk("回忆"),
        qzb::gbk("【转载】"), qzb::gbk("，"),   qzb::gbk("的"),   qzb::gbk("春天"), qzb::gbk("😀"),
    };
    const std::vector<std::string> categories = {qzb::gbk("个人日记"), qzb::gbk("心情随笔"),
                                                 qzb::gbk("旅途")};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pickWord(0, words.size() - 1);
    std::uniform_int_distribution<int> titleWords(2, 8);
    std::uniform_int_distribution<int> comments(0, 120);

    std::string out = "_Callback({\"code\":0,\"subcode\":0,\"message\":\"\",\"data\":{\"list\":[\n";
    for (int id = 1200000; out.size() < kAnswerBytes; id += 7) {
        std::string title;
        for (int n = titleWords(random); n > 0; --n)
            title += words[pickWord(random)];
        out +=
            "{\"blogId\":" + std::to_string(id) + ",\n\"blogType\":0,\n\"cate\":\"" +
            categories[static_cast<std::size_t>(id) % categories.size()] + "\",\n\"title\":\"" + title +
            "\",\n\"pubTime\":\"2012-03-04 12:00:00\",\n\"commentNum\":" + std::to_string(comments(random)) +
            ",\n\"replyNum\":0,\n\"effect\":134217728,\n\"right\":1},\n";
    }
    out += "]}});";
    return out;
}

const std::string& answer() {
    static const std::string text = buildAnswer();
    return text;
}

// The baseline: the same search with no regard for character boundaries and no copies.
std::size_t memmemScan(std::string_view text) {
    std::size_t valueBytes = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        const void* start = memmem(text.data() + from, text.size() - from, kStart.data(), kStart.size());
        if (start == nullptr)
            break;
        const auto valueBegin =
            static_cast<std::size_t>(static_cast<const char*>(start) - text.data()) + kStart.size();
        const void* end =
            memmem(text.data() + valueBegin, text.size() - valueBegin, kEnd.data(), kEnd.size());
        if (end == nullptr)
            break;
        const auto valueEnd = static_cast<std::size_t>(static_cast<const char*>(end) - text.data());
        valueBytes += valueEnd - valueBegin;
        from = valueEnd + kEnd.size();
    }
    return valueBytes;
}

void extractBetweenBench(benchmark::State& state) {
    const std::string& text = answer();
    for (auto _ : state) {
        auto values = qzb::extractBetween(text, kStart, kEnd);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void memmemBench(benchmark::State& state) {
    const std::string& text = answer();
    for (auto _ : state) {
        auto valueBytes = memmemScan(text);
        benchmark::DoNotOptimize(valueBytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(extractBetweenBench)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(memmemBench)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// Keeps the median throughput of each benchmark so the two can be compared in one line.
class RateReporter : public benchmark::ConsoleReporter {
public:
    // Plain text, so the summary line below is not wrapped in colour codes.
    RateReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (run.aggregate_name == "median" && rate != run.counters.end())
                m_bytesPerSecond[run.run_name.function_name] = rate->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    [[nodiscard]] double megabytesPerSecond(const std::string& name) const {
        const auto found = m_bytesPerSecond.find(name);
        return found == m_bytesPerSecond.end() ? 0.0 : found->second / 1e6;
    }

private:
    std::map<std::string, double> m_bytesPerSecond;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double extract = reporter.megabytesPerSecond("extractBetweenBench");
    const double baseline = reporter.megabytesPerSecond("memmemBench");
    if (extract > 0.0 && baseline > 0.0)
        std::printf("extractBetween over 32 MB: %.0f MB/s, memmem: %.0f MB/s, ratio %.2f (goal >= 1000 MB/s, "
                    "ratio <= 3)\n",
                    extract, baseline, baseline / extract);
    return 0;
}
