#include <gtest/gtest.h>

#include <string>

#include "platform/cf_data.h"
#include "platform/cf_dictionary.h"
#include "platform/xml/cf_xml_tree.h"
#include "tests/support/tools.h"

namespace {

using namespace tbx;

CFXMLTreeRef Parse(const std::string& text, CFOptionFlags options = kCFXMLParserSkipWhitespace) {
    CFDataRef data =
        CFDataCreateWithBytesNoCopy(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                    static_cast<CFIndex>(text.size()), kCFAllocatorNull);
    CFXMLTreeRef tree =
        CFXMLTreeCreateFromData(nullptr, data, nullptr, options, kCFXMLNodeCurrentVersion);
    CFRelease(data);
    return tree;
}

std::u16string Str(CFTreeRef tree) {
    CFStringRef s = CFXMLNodeGetString(CFXMLTreeGetNode(tree));
    return s ? s->Text() : u"<none>";
}

std::u16string Attribute(CFTreeRef element, const char* name) {
    auto* info =
        static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(element)));
    if (!info)
        return u"<not an element>";
    CFStringRef key = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    CFTypeRef value = CFDictionaryGetValue(info->attributes, key);
    CFRelease(key);
    return value ? static_cast<CFStringRef>(value)->Text() : u"<absent>";
}

TEST(CFXMLTreeTest, ElementsAttributesAndTextWithReferencesReplaced) {
    CFXMLTreeRef tree = Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<!-- a comment -->\n"
                              "<root a=\"x &amp; &lt;y&gt; &#x0a;&#xe9;\" b='&quot;'>\n"
                              "  <child>t&amp;x<!-- c -->t<![CDATA[<raw>]]></child>\n"
                              "  <empty/>\n"
                              "  <?pi data?>\n"
                              "</root>");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(CFXMLNodeGetTypeCode(CFXMLTreeGetNode(tree)), kCFXMLNodeTypeDocument);
    ASSERT_EQ(CFTreeGetChildCount(tree), 1);
    CFTreeRef root = CFTreeGetFirstChild(tree);
    EXPECT_EQ(Str(root), u"root");
    EXPECT_EQ(Attribute(root, "a"), u"x & <y> \n\u00e9");
    EXPECT_EQ(Attribute(root, "b"), u"\"");
    EXPECT_EQ(Attribute(root, "c"), u"<absent>");
    ASSERT_EQ(CFTreeGetChildCount(root), 2); // blanks and the processing instruction dropped
    CFTreeRef child = CFTreeGetChildAtIndex(root, 0);
    ASSERT_EQ(CFTreeGetChildCount(child), 1);
    EXPECT_EQ(CFXMLNodeGetTypeCode(CFXMLTreeGetNode(CFTreeGetFirstChild(child))),
              kCFXMLNodeTypeText);
    EXPECT_EQ(Str(CFTreeGetFirstChild(child)), u"t&xt<raw>");
    EXPECT_EQ(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(CFTreeGetFirstChild(child))), nullptr);
    CFTreeRef empty = CFTreeGetChildAtIndex(root, 1);
    EXPECT_EQ(Str(empty), u"empty");
    EXPECT_TRUE(static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(empty)))
                    ->isEmpty);
    EXPECT_EQ(CFTreeGetChildAtIndex(root, 2), nullptr);
    EXPECT_EQ(CFTreeGetChildAtIndex(root, -1), nullptr);
    CFRelease(tree);
}

TEST(CFXMLTreeTest, WhitespaceIsKeptWithoutTheOption) {
    CFXMLTreeRef tree = Parse("<r> <a/> </r>", kCFXMLParserNoOptions);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(CFTreeGetChildCount(CFTreeGetFirstChild(tree)), 3);
    CFRelease(tree);
}

TEST(CFXMLTreeTest, BadDocumentsGiveNoTree) {
    for (const char* text : {"", "<a>", "<a></b>", "<a x='1' x='2'/>", "<a>&undefined;</a>",
                             "<a>&#x0;</a>", "text", "<a/><b/>"})
        EXPECT_EQ(Parse(text), nullptr) << text;
    EXPECT_EQ(CFXMLTreeCreateFromData(nullptr, nullptr, nullptr, 0, 1), nullptr);
}

TEST(CFXMLTreeTest, ExternalEntitiesAreNeverLoaded) {
    stravel::testing::TempDir dir;
    const std::string secret = dir / "secret.txt";
    stravel::testing::WriteFileBytes(secret, "SECRET");
    CFXMLTreeRef tree =
        Parse("<!DOCTYPE r [<!ENTITY e SYSTEM \"file://" + secret + "\">]><r a=\"1\">x&e;y</r>");
    if (tree) {
        CFTreeRef root = CFTreeGetFirstChild(tree);
        for (CFIndex i = 0; i < CFTreeGetChildCount(root); ++i)
            EXPECT_EQ(Str(CFTreeGetChildAtIndex(root, i)).find(u"SECRET"), std::u16string::npos);
        CFRelease(tree);
    }
}

TEST(CFXMLTreeTest, DocumentsThatDeclareOrUseEntitiesAreRefused) {
    // Even a small one: expanding what others declare is how a few bytes become gigabytes.
    EXPECT_EQ(Parse("<!DOCTYPE r [<!ENTITY e \"hello\"><!ENTITY f \"&e;, &#x41;\">]>"
                    "<r a=\"&e;\">&e; world &f;</r>"),
              nullptr);
    std::string laughs = "<!DOCTYPE r [<!ENTITY a \"lol\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        laughs += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i)
            laughs += std::string("&") + char(c - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><r>&k;</r>";
    EXPECT_EQ(Parse(laughs), nullptr);
    // Parameter and unparsed entities, and references only an outside document type could
    // declare.
    for (const char* text :
         {"<!DOCTYPE r [<!ENTITY % p \"x\">]><r/>",
          "<!DOCTYPE r [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]><r/>",
          "<!DOCTYPE r SYSTEM \"r.dtd\"><r>&e;</r>", "<!DOCTYPE r SYSTEM \"r.dtd\"><r a=\"&e;\"/>"})
        EXPECT_EQ(Parse(text), nullptr) << text;
    // A document type without entities, and the five predefined references, are fine.
    CFXMLTreeRef tree =
        Parse("<!DOCTYPE r SYSTEM \"r.dtd\"><r a=\"&amp;&lt;\">&gt;&quot;&apos;</r>");
    ASSERT_NE(tree, nullptr);
    CFTreeRef root = CFTreeGetChildAtIndex(tree, CFTreeGetChildCount(tree) - 1);
    EXPECT_EQ(Attribute(root, "a"), u"&<");
    EXPECT_EQ(Str(CFTreeGetFirstChild(root)), u">\"'");
    CFRelease(tree);
}

TEST(CFXMLTreeTest, DeepDocumentsAreRefusedOrFreedWithoutRecursion) {
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "<a>";
    for (int i = 0; i < 200; ++i)
        deep += "</a>";
    CFXMLTreeRef tree = Parse(deep);
    ASSERT_NE(tree, nullptr);
    CFRelease(tree);
    std::string deeper;
    for (int i = 0; i < 100000; ++i)
        deeper += "<a>";
    EXPECT_EQ(Parse(deeper), nullptr);
}

TEST(CFDataTest, CopiesOrBorrows) {
    UInt8 bytes[3] = {1, 2, 3};
    CFDataRef copy = CFDataCreate(nullptr, bytes, 3);
    CFDataRef borrowed = CFDataCreateWithBytesNoCopy(nullptr, bytes, 3, kCFAllocatorNull);
    bytes[0] = 9;
    EXPECT_EQ(CFDataGetBytePtr(copy)[0], 1);
    EXPECT_EQ(CFDataGetBytePtr(borrowed)[0], 9);
    EXPECT_EQ(CFDataGetLength(borrowed), 3);
    EXPECT_EQ(CFGetTypeID(copy), CFDataGetTypeID());
    EXPECT_NE(CFGetTypeID(copy), CFStringGetTypeID());
    EXPECT_EQ(CFDataCreate(nullptr, nullptr, 2), nullptr);
    EXPECT_EQ(CFDataCreateWithBytesNoCopy(nullptr, bytes, 3, kCFAllocatorDefault), nullptr);
    CFRelease(copy);
    CFRelease(borrowed);
}

} // namespace
