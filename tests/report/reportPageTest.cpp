// The page as a whole: texts from files escaped, nothing outside the file referred to, every
// group's section reachable from the overview, failed and missing groups with their reasons.
#include <gtest/gtest.h>

#include <limits>
#include <regex>

#include "pictureDecoding.h"
#include "report/htmlText.h"
#include "report/reportPage.h"

namespace {

using morvane::ColumnKind;
using quorvel::test::occurrences;

TEST(HtmlText, EscapesMarkupQuotesAndBrokenText) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain name_1.prt", "plain name_1.prt"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"a & b", "a &amp; b"},
        {"say \"hi\" and 'bye'", "say &quot;hi&quot; and &#39;bye&#39;"},
        {"&amp;", "&amp;amp;"},
        {"Gr\xC3\xB6\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC", "Gr\xC3\xB6\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC"},  // UTF-8 kept
        {"latin1 \xE9t\xE9", "latin1 \xEF\xBF\xBDt\xEF\xBF\xBD"},                                      // not UTF-8
        {"cut \xE6\x97", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},                                                // sequence cut short
        {"overlong \xC0\xBC", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},                                      // an encoded '<'
        {std::string("nul\0bell\x07 tab\tline\n", 19), "nul\xEF\xBF\xBD" "bell\xEF\xBF\xBD tab\tline\n"},
    };
    for (const auto& [text, html] : cases) EXPECT_EQ(morvane::escapeHtml(text), html) << text;
}

TEST(HtmlText, ShortensByCharactersWithoutSplittingASequence) {
    const std::string ellipsis = "\xE2\x80\xA6";
    EXPECT_EQ(morvane::shortenedText("short", 10), "short");
    EXPECT_EQ(morvane::shortenedText("exactly10!", 10), "exactly10!");
    EXPECT_EQ(morvane::shortenedText("eleven char", 10), "eleven ch" + ellipsis);
    EXPECT_EQ(morvane::shortenedText("\xC3\xB6\xC3\xB6\xC3\xB6\xC3\xB6", 3), "\xC3\xB6\xC3\xB6" + ellipsis);
}

morvane::RunReport okRun(const std::string& protocol, const std::vector<std::string>& names) {
    morvane::RunReport run;
    run.protocol = protocol;
    run.timeCourse = "sub-01/run.vtc";
    run.designMatrix = "sub-01/run.sdm";
    run.rows = 3;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        run.predictors.push_back({names[i], last ? ColumnKind::Constant : i == 0 ? ColumnKind::Task : ColumnKind::Confound,
                                  i == 0 ? std::optional<double>(1.5) : std::nullopt,
                                  i == 0 ? std::optional<double>(0.2) : std::nullopt,
                                  i == 0 ? std::optional<std::string>(names[1]) : std::nullopt});
    }
    run.correlation.assign(names.size(), std::vector<std::optional<double>>(names.size()));
    for (std::size_t i = 0; i + 1 < names.size(); ++i)
        for (std::size_t j = 0; j + 1 < names.size(); ++j) run.correlation[i][j] = i == j ? 1.0 : 0.2;
    run.rank = static_cast<int>(names.size());
    run.conditionNumber = 2.0;
    run.framewiseDisplacement = morvane::MotionFigures{0.1, 0.2, 0, {0.0, 0.1, 0.2}};
    return run;
}

morvane::SdmContent matrixFor(const morvane::RunReport& run) {
    morvane::SdmContent matrix;
    matrix.dataPoints = run.rows;
    for (const auto& predictor : run.predictors) matrix.names.push_back(predictor.name);
    matrix.colors.assign(matrix.names.size(), morvane::Rgb{255, 0, 0});
    for (int row = 0; row < run.rows; ++row)
        for (std::size_t column = 0; column < matrix.names.size(); ++column)
            matrix.values.push_back(column + 1 == matrix.names.size() ? 1.0 : row * 0.5 - column);
    return matrix;
}

// A study whose every text from a file is hostile, and which has each kind of group.
morvane::StudyReport hostileStudy() {
    morvane::StudyReport study;
    study.morvaneVersion = "9.9 <b>";
    study.list = "lists/<img src=x onerror=alert(1)>.txt";
    study.runs.push_back(okRun("<script>alert('protocol')</script>.prt",
                               {"\" onmouseover=\"alert(1)", "motion & <tx>", "</text><script>x()</script>", "Constant"}));
    study.runs.back().flags = {"high-vif", "<b>odd-flag</b>"};
    study.runs.back().logLines = {"Saved <design matrix> to \"a&b.sdm\"", "</pre><script>alert('log')</script>"};
    study.runs.back().notes = {"the motion file <m&m.sdm> has 2 of 3 points"};
    morvane::RunReport failed;
    failed.protocol = "run2.prt";
    failed.status = morvane::RunStatus::Failed;
    failed.reason = "the protocol's <Conditions> & 'names' could not be read";
    failed.flags = {"failed"};
    study.runs.push_back(failed);
    morvane::RunReport missing;
    missing.protocol = "run3.prt";
    missing.status = morvane::RunStatus::Missing;
    missing.reason = "no design matrix at run3_run3.sdm";
    missing.flags = {"missing"};
    study.runs.push_back(missing);
    study.runs.push_back(okRun("run4.prt", {"task", "motion", "Constant"}));
    return study;
}

std::string pageOf(const morvane::StudyReport& study) {
    std::vector<morvane::RunPictures> pictures;
    for (const auto& run : study.runs) {
        const morvane::SdmContent matrix = matrixFor(run);
        pictures.push_back(morvane::drawRunPictures(run, run.status == morvane::RunStatus::Ok ? &matrix : nullptr, study.settings));
    }
    return morvane::reportPage(study, pictures);
}

TEST(ReportPage, TextsFromFilesCannotOpenTagsOrLeaveAttributes) {
    const std::string page = pageOf(hostileStudy());
    EXPECT_EQ(occurrences(page, "<script"), 1u);  // the page's own sorting script only
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<tx>"), std::string::npos);
    EXPECT_EQ(page.find("9.9 <b>"), std::string::npos);
    EXPECT_EQ(page.find("<b>odd-flag"), std::string::npos);
    EXPECT_EQ(page.find("\" onmouseover"), std::string::npos);
    EXPECT_EQ(page.find("</pre><script"), std::string::npos);
    EXPECT_EQ(page.find("<Conditions>"), std::string::npos);
    // The texts are there, readable.
    for (const char* escaped : {"&lt;script&gt;alert(&#39;protocol&#39;)&lt;/script&gt;.prt", "&quot; onmouseover=&quot;alert(1)",
                                "motion &amp; &lt;tx&gt;", "Saved &lt;design matrix&gt; to &quot;a&amp;b.sdm&quot;",
                                "the protocol&#39;s &lt;Conditions&gt; &amp; &#39;names&#39; could not be read",
                                "lists/&lt;img src=x onerror=alert(1)&gt;.txt", "the motion file &lt;m&amp;m.sdm&gt; has 2 of 3 points", "&lt;b&gt;odd-flag&lt;/b&gt;", "9.9 &lt;b&gt;"})
        EXPECT_NE(page.find(escaped), std::string::npos) << escaped;
    // A flag the page does not know still gets a badge, with a class made only of safe letters.
    EXPECT_NE(page.find("class=\"badge flag-bodd-flagb\""), std::string::npos);
}

TEST(ReportPage, RefersToNothingOutsideTheFile) {
    const std::string page = pageOf(hostileStudy());
    for (const char* outside : {"http://", "https://", "src=\"//", "href=\"//", "url(//", "url(http", "@import", "ftp://",
                                "file:", "<link", "<iframe", "src=\"", "xlink:href=\"h"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    // Every picture is inline data, and the page forbids any other source.
    EXPECT_EQ(occurrences(page, "href=\"data:image/png;base64,"), occurrences(page, "<image "));
    EXPECT_NE(page.find("default-src 'none'"), std::string::npos);
}

TEST(ReportPage, EveryGroupHasItsSectionReachableFromTheOverview) {
    const morvane::StudyReport study = hostileStudy();
    const std::string page = pageOf(study);
    for (std::size_t i = 1; i <= study.runs.size(); ++i) {
        const std::string anchor = "run-" + std::to_string(i);
        EXPECT_EQ(occurrences(page, "id=\"" + anchor + "\""), 1u) << anchor;
        EXPECT_EQ(occurrences(page, "href=\"#" + anchor + "\""), 1u) << anchor;
    }
    EXPECT_EQ(occurrences(page, "<section class=\"run"), study.runs.size());
    EXPECT_EQ(occurrences(page, "<tr><td class=\"number\" data-v="), study.runs.size());
    // Pictures for the two groups with outputs, and their PNGs readable.
    EXPECT_EQ(occurrences(page, "<svg class=\"design-matrix\""), 2u);
    EXPECT_EQ(occurrences(page, "<svg class=\"heat-map\""), 2u);
    EXPECT_EQ(occurrences(page, "<svg class=\"fd-trace\""), 2u);
    for (const std::string& png : quorvel::test::embeddedPngs(page)) EXPECT_GT(quorvel::test::decodePng(png, 3).width, 0);
    // Failed and missing groups show their status and reason.
    EXPECT_NE(page.find("data-status=\"failed\""), std::string::npos);
    EXPECT_NE(page.find("data-status=\"missing\""), std::string::npos);
    EXPECT_NE(page.find("<p class=\"reason\">no design matrix at run3_run3.sdm</p>"), std::string::npos);
    EXPECT_NE(page.find("<b>1</b> failed, <b>1</b> missing"), std::string::npos);
    // Their flag is their status: one badge each in the overview and in the heading (and one in
    // the page's explanation of the flags).
    EXPECT_EQ(occurrences(page, ">missing</span>"), 3u);
    EXPECT_EQ(occurrences(page, ">failed</span>"), 3u);
}

TEST(ReportPage, MissingPicturesAndEmptyStudiesStillMakeAWholePage) {
    morvane::StudyReport study = hostileStudy();
    const std::string fewer = morvane::reportPage(study, {});  // no pictures at all
    EXPECT_EQ(occurrences(fewer, "<section class=\"run"), study.runs.size());
    EXPECT_EQ(fewer.find("<svg class=\"design-matrix\""), std::string::npos);
    EXPECT_NE(fewer.find("Nothing to draw"), std::string::npos);
    study.runs.clear();
    const std::string empty = morvane::reportPage(study, {});
    EXPECT_NE(empty.find("<b>0</b> protocol groups"), std::string::npos);
    EXPECT_NE(empty.find("</html>"), std::string::npos);
}

TEST(ReportPage, OverviewShowsInfiniteVifAndNoVarianceApart) {
    morvane::StudyReport study;
    morvane::RunReport run = okRun("run.prt", {"collinear", "empty", "motion", "Constant"});
    run.predictors[1].kind = ColumnKind::Task;
    run.predictors[0].vif.reset();  // explained completely by the others
    run.predictors[0].vifInfinite = true;
    run.predictors[1].withoutVariance = true;
    for (auto& row : run.correlation) row[1].reset();
    run.correlation[1].assign(4, std::nullopt);
    run.conditionNumber.reset();
    run.rank = 2;
    run.nonZeroColumns = 3;  // the empty condition is a column of zeros
    study.runs.push_back(run);
    const std::string page = morvane::reportPage(study, {morvane::drawRunPictures(run, nullptr, study.settings)});
    EXPECT_NE(page.find("data-v=\"Infinity\">\xE2\x88\x9E</td>"), std::string::npos);  // largest VIF
    EXPECT_NE(page.find(">no variance</td>"), std::string::npos);
    EXPECT_NE(page.find("<span class=\"warn\">rank 2 of 3</span>"), std::string::npos);
    EXPECT_FALSE(std::regex_search(page, std::regex("\\b(nan|inf)\\b", std::regex::icase)));
}

}  // namespace
