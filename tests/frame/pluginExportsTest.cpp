#include <gtest/gtest.h>

#include <string>

#include "plugin/pluginExports.h"
#include "plugin/quorvel.h"

namespace {

bool startsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(PluginExports, ReturnTheFixedShortTexts) {
    EXPECT_STREQ(getPluginName(), "quorvel (v0.8.4)");
    EXPECT_STREQ(getPluginVersion(), "0.8.4");
    EXPECT_STREQ(getGUIScript(), "");
    EXPECT_STREQ(getHelpFile(), "");
}

TEST(PluginExports, DescriptionIsTheWholeHtmlText) {
    const std::string description = getPluginDescription();
    EXPECT_EQ(description.size(), 989u);
    EXPECT_TRUE(startsWith(description,
                           "This tool convert from stimulation protocols (*.prt) to design matrices "
                           "(*.sdm)<P><I>Use of the tool</I><BR>Before starting the conversion"));
    EXPECT_TRUE(endsWith(description, "<I>0.8.3:</I> Change of resulting file names ((_z) for each "
                                      "confound), automated recognition of confound names.<BR>"
                                      "<I>0.8.4:</I> Bugfix of skipping first protocol name.<BR>"));
    EXPECT_NE(description.find("motion estimate names (*_3DMC.sdm) are retrieved from a text "
                               "file.<BR><I>Notes</I><BR>- Please ensure"),
              std::string::npos);
    EXPECT_EQ(description.find('\n'), std::string::npos);
}

TEST(PluginExports, AuthorIsOneItalicLineNamingTheDevelopersAndYears) {
    const std::string author = getAuthor();
    EXPECT_TRUE(startsWith(author, "<i>"));
    EXPECT_TRUE(endsWith(author, "</i>"));
    EXPECT_NE(author.find("the quorvel developers"), std::string::npos);
    EXPECT_NE(author.find("2025"), std::string::npos);
    EXPECT_NE(author.find("2026"), std::string::npos);
    EXPECT_EQ(author.find('\n'), std::string::npos);
    // 8-bit text the host shows as it is.
    for (char c : author) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << int(c);
}

TEST(PluginExports, TextsAreTheSameOnEveryCallAndOutliveThePluginObject) {
    using TextFunction = const char* (*)();
    const TextFunction functions[] = {getAuthor, getGUIScript, getHelpFile, getPluginDescription,
                                      getPluginName, getPluginVersion};
    std::vector<std::pair<const char*, std::string>> before;
    for (TextFunction f : functions) before.emplace_back(f(), f());

    MNZRPluginInterface* plugin = createPlugin();
    ASSERT_NE(plugin, nullptr);
    EXPECT_NE(dynamic_cast<Quorvel*>(plugin), nullptr);
    // Destroyed as the host destroys it: through the interface's first slot.
#if defined(__MINGW32__)
    plugin->deletingDestructor(1);
#else
    delete plugin;
#endif

    for (std::size_t i = 0; i < std::size(functions); ++i) {
        EXPECT_EQ(functions[i](), before[i].first);
        EXPECT_EQ(functions[i](), before[i].second);
    }
}

}  // namespace
