// "更新所有股票价" over 5,000 tdx day files against the floor of opening and reading the same files.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/login.h"
#include "app/program_directory.h"
#include "port/prompter.h"
#include "prices/price_update.h"

using namespace varneth;

namespace {

constexpr int kCodes = 5000;

class QuoteDirectory {
public:
    static QuoteDirectory& get() {
        static QuoteDirectory q;
        return q;
    }
    prices::PriceUpdate& update() { return *update_; }
    const std::vector<std::filesystem::path>& files() const { return files_; }

private:
    QuoteDirectory() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "varneth-bench-XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        app::createProgramDirectory(dir_ / "p", app::findDataDir(dir_), true);
        login_ = std::make_unique<app::Login>(engine_, dir_ / "p", prompter_, clock_);
        login_->start();
        session_ = login_->enter("我的帐户", "");
        storage::Cursor general(session_->curr(), "allstocks.DBF");
        for (int i = 0; i < kCodes; ++i) {
            const bool sz = i < kCodes / 2;
            char code[16];
            std::snprintf(code, sizeof code, "%06d", sz ? 2000 + i : 601000 + i);
            general.append();
            general.setValue("CODE", std::string(code));
            general.post();
            const std::string market = sz ? "sz" : "sh";
            const auto file = dir_ / "q/vipdoc" / market / "lday" / (market + code + ".day");
            std::filesystem::create_directories(file.parent_path());
            std::string bytes(96, '\0');
            bytes[64 + 16] = static_cast<char>(i % 200 + 1);
            std::ofstream(file, std::ios::binary) << bytes;
            files_.push_back(file);
        }
        storage::Cursor source(session_->curr(), prices::QuoteSources::kTable);
        source.append();
        source.setValue("HQCODE", "tdx");
        source.setValue("LENGTH", 32.0);
        source.setValue("NOW", true);
        source.setValue("PATH", (dir_ / "q").string());
        source.post();
        sources_ = std::make_unique<prices::QuoteSources>(engine_);
        update_ = std::make_unique<prices::PriceUpdate>(engine_, *sources_, prompter_, clock_);
    }

    std::filesystem::path dir_;
    storage::Engine engine_;
    port::ScriptedPrompter prompter_;
    port::FixedClock clock_{port::DateTime{2026, 12, 4, 17, 0, 0}};
    std::unique_ptr<app::Login> login_;
    std::unique_ptr<app::Session> session_;
    std::unique_ptr<prices::QuoteSources> sources_;
    std::unique_ptr<prices::PriceUpdate> update_;
    std::vector<std::filesystem::path> files_;
};

void BM_UpdateAllTdx(benchmark::State& state) {
    auto& q = QuoteDirectory::get();
    for (auto _ : state)
        if (!q.update().updateAll(prices::DisplayMode::UpdateOnly)) state.SkipWithError("the update stopped");
}
BENCHMARK(BM_UpdateAllTdx)->Unit(benchmark::kMillisecond);

void BM_ReadSameFilesFloor(benchmark::State& state) {
    auto& q = QuoteDirectory::get();
    char buf[128];
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto& f : q.files()) {
            std::FILE* h = std::fopen(f.c_str(), "rb");
            total += std::fread(buf, 1, sizeof buf, h);
            std::fclose(h);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadSameFilesFloor)->Unit(benchmark::kMillisecond);

}  // namespace
