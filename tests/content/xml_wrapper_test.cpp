#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "content/ticpp.h"
#include "support/scoped_temp_home.h"

namespace {

ticpp::Element ParseRoot(ticpp::Document& document, const std::string& text) {
    document.Parse(text.data(), text.size());
    return document.FirstChildElement("Root");
}

template <class T> bool Converts(const std::string& text, T* value) {
    try {
        ticpp::FromString(text, value);
        return true;
    } catch (const ticpp::Exception&) {
        return false;
    }
}

} // namespace

TEST(XmlWrapper, NumbersConvertOnlyWhenTheWholeTextIsANumber) {
    int i = -99;
    EXPECT_TRUE(Converts(" 42 ", &i));
    EXPECT_EQ(i, 42);
    for (const char* bad : {"", "abc", "12abc", "1.5", "99999999999"}) {
        i = -99;
        EXPECT_FALSE(Converts(bad, &i)) << bad;
        EXPECT_EQ(i, -99) << "a failed conversion must not change the value: " << bad;
    }
    unsigned u = 0;
    EXPECT_FALSE(Converts("-1", &u));
    double d = 0;
    EXPECT_TRUE(Converts("2e+07", &d));
    EXPECT_EQ(d, 2e7);
    float f = 0;
    EXPECT_TRUE(Converts("-0.25", &f));
    EXPECT_EQ(f, -0.25f);
    EXPECT_FALSE(Converts("1e99", &f));
}

TEST(XmlWrapper, BoolsTakeTheSixWordsInAnyCase) {
    const std::vector<std::pair<std::string, bool>> accepted = {
        {"true", true}, {"TRUE", true},   {"True", true},   {"1", true},  {"t", true},
        {"T", true},    {"false", false}, {"FaLsE", false}, {"0", false}, {"f", false}};
    for (const auto& [text, expected] : accepted) {
        bool value = !expected;
        EXPECT_TRUE(Converts(text, &value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* bad : {"yes", "", "tru", "2", " true"}) {
        bool value = false;
        EXPECT_FALSE(Converts(bad, &value)) << bad;
    }
}

TEST(XmlWrapper, NumbersAreWrittenShortButReadBackExactly) {
    EXPECT_EQ(ticpp::ToString(1.5f), "1.5");
    EXPECT_EQ(ticpp::ToString(0.1f), "0.1");
    EXPECT_EQ(ticpp::ToString(39062.5), "39062.5");
    EXPECT_EQ(ticpp::ToString(20000000.0), "2e+07");
    EXPECT_EQ(ticpp::ToString(1234567.0), "1234567");
    EXPECT_EQ(ticpp::ToString(true), "true");
    EXPECT_EQ(ticpp::ToString(-7), "-7");
    for (const double d : {1.0 / 3.0, 123456789.123, DBL_MAX, -DBL_MIN, 1e-300}) {
        double back = 0;
        ticpp::FromString(ticpp::ToString(d), &back);
        EXPECT_EQ(back, d) << ticpp::ToString(d);
    }
    for (const float f : {1.0f / 3.0f, 16777215.0f, FLT_MAX, 3.14159274f}) {
        float back = 0;
        ticpp::FromString(ticpp::ToString(f), &back);
        EXPECT_EQ(back, f) << ticpp::ToString(f);
    }
}

TEST(XmlWrapper, AttributesAndChildrenThatAreMissingThrowWithTheirNames) {
    ticpp::Document document;
    const ticpp::Element root = ParseRoot(document, "<Root><Item name=\"a\" value=\"x1\"/></Root>");
    const ticpp::Element item = root.FirstChildElement("Item");
    EXPECT_EQ(item.GetAttribute("name"), "a");
    EXPECT_TRUE(item.HasAttribute("value"));
    EXPECT_FALSE(item.HasAttribute("type"));

    const auto message = [](const auto& action) {
        try {
            action();
        } catch (const ticpp::Exception& e) {
            return std::string(e.what());
        }
        return std::string("(no exception)");
    };
    EXPECT_NE(message([&] { item.GetAttribute("type"); }).find("'type'"), std::string::npos);
    EXPECT_NE(message([&] {
                  int v;
                  item.GetAttribute("value", &v);
              }).find("\"x1\""),
              std::string::npos);
    EXPECT_NE(message([&] { root.FirstChildElement("Other"); }).find("'Other'"), std::string::npos);
    EXPECT_NE(message([&] { item.NextSiblingElement("Item"); }).find("'Item'"), std::string::npos);
    EXPECT_NE(message([&] { document.FirstChildElement("Wrong"); }).find("'Wrong'"),
              std::string::npos);
    EXPECT_FALSE(root.FirstChildElement("Other", false));
    EXPECT_FALSE(item.NextSiblingElement("Item", false));
}

TEST(XmlWrapper, ChildrenOfOneNameInDocumentOrder) {
    ticpp::Document document;
    const ticpp::Element root = ParseRoot(
        document, "<Root><A v=\"1\"/><B v=\"x\"/><!-- c --><A v=\"2\"/>text<A v=\"3\"/></Root>");
    std::vector<int> seen;
    for (const ticpp::Element a : root.Children("A")) {
        int v = 0;
        a.GetAttribute("v", &v);
        seen.push_back(v);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(root.Children("None").begin(), root.Children("None").end());
}

TEST(XmlWrapper, BrokenOrMissingInputThrows) {
    ScopedTempHome home;
    ticpp::Document document;
    for (const std::string text : {"", "<Root>", "<Root></Other>", "not xml at all <"}) {
        EXPECT_THROW(document.Parse(text.data(), text.size()), ticpp::Exception) << text;
    }
    EXPECT_THROW(document.LoadFile("missing.xml"), ticpp::Exception);
    try {
        document.LoadFile("missing.xml");
    } catch (const ticpp::Exception& e) {
        EXPECT_NE(std::string(e.what()).find("missing.xml"), std::string::npos);
    }
}

TEST(XmlWrapper, SavedDocumentHasTheDeclarationAndKeepsAttributeOrderAndText) {
    ScopedTempHome home;
    ticpp::Document document;
    ticpp::Element root = document.Create("Root");
    ticpp::Element item = root.InsertEndChild("Param");
    item.SetAttribute("name", "a <\"b\"> & c\n");
    item.SetAttribute("type", "float");
    item.SetAttribute("value", 0.1f);
    document.SaveFile("out.xml");

    const std::string text = home.ReadFile("out.xml");
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", 0), 0u) << text;
    const auto name = text.find("name="), type = text.find("type="), value = text.find("value=");
    EXPECT_LT(name, type);
    EXPECT_LT(type, value);

    ticpp::Document loaded;
    loaded.LoadFile("out.xml");
    const ticpp::Element param = loaded.FirstChildElement("Root").FirstChildElement("Param");
    EXPECT_EQ(param.GetAttribute("name"), "a <\"b\"> & c\n");
    float v = 0;
    param.GetAttribute("value", &v);
    EXPECT_EQ(v, 0.1f);
}

TEST(XmlWrapper, ParsesABufferWithoutATerminatingNul) {
    const char bytes[] = {'<', 'R', 'o', 'o', 't', '/', '>', 'X', 'X'};
    ticpp::Document document;
    document.Parse(bytes, 7);
    EXPECT_EQ(document.FirstChildElement("Root").Value(), "Root");
}

// A controls file whose element name runs into bytes that claim longer UTF-8 sequences than
// are left.
const std::string
    kCutName("\x3c\x3f\x78\x6d\x6c\x20\x76\x65\x72\x73\x69\x6f\x6e\x3d\x22\x31\x2e\x30\x22\x20"
             "\x65\x6e\x63\x6f\x64\x69\x6e\x67\x3d\x22\x55\x54\x46\x2d\x38\x22\x20\x3f\x3e\x0a"
             "\x3c\x43\x6f\x6e\x74\x72\x6f\x6c\x73\x3e\x0a\x72\x6e\x6c\x6f\x20\x61\x6d\x65\x3d"
             "\x22\x42\x61\x63\x6b\x77\x61\x72\x64\x22\x20\x22\x3c\x3f\x78\x6d\x6c\x20\x76\x65"
             "\x72\x73\x69\x6f\x6e\x3d\x22\x31\x2e\x30\x22\x20\x65\x6e\x63\x6f\x64\x69\x6e\x67"
             "\x3d\x22\x55\x3c\x3f\x78\x6d\x6e\x20\x76\x65\x72\x73\x69\x6f\xc6\xc6\xc6\xc6\x43"
             "\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6"
             "\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xe6\xc6\xc6\xc6\xc6\xc6\xc6"
             "\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xc6\xff\xff\xff\xbf\xff\xff\xff\xff\xff\xff\xff"
             "\xff\xff\xff\xff\xff\xff\xf2\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"
             "\xff\x31\x35\x22\x20\x2f\x3e\xff\xff\xcc\xcc\xcc\xcc\xcc\xcc\xcc",
             216);

TEST(XmlWrapper, AUtf8SequenceCutAtTheEndIsNeverReadPastTheText) {
    // A lead byte claims up to three more bytes; at the very end of the text they are not
    // there, and the reader must stop inside the buffer (AddressSanitizer checks it).
    ticpp::Document document;
    for (const std::string& text :
         {std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><Root a\xf0"),
          std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><R\xff\xff\xff\xff"),
          std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><Root>\xf2"), kCutName}) {
        try {
            document.Parse(text.data(), text.size());
        } catch (const ticpp::Exception&) {
            // Broken input may be refused; it must not be read past its end.
        }
    }
}
