#include "port/report_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

// A report file holds the report's own lines and nothing else, page after page, and is written
// only once it is complete.
TEST(TextFileReport, WritesThePagesLinesOnly) {
    const fs::path dir = fs::temp_directory_path() / "varneth_report_sink_test";
    fs::remove_all(dir);
    const fs::path file = dir / "report" / "hold2026-12-07.txt";
    varneth::port::TextFileReport r(file);
    r.line("第1页");
    r.line("   ");
    r.newPage();
    r.line("第2页");
    EXPECT_FALSE(fs::exists(file));
    ASSERT_TRUE(r.finish());
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "第1页\n   \n第2页\n");
    EXPECT_FALSE(fs::exists(fs::path(file) += ".tmp"));
    fs::remove_all(dir);
}
