// Relationships resolved the one way: relative to the source part's folder, absolute from
// the package root, never out of the package; external targets kept as written.
#include "PackageParts.h"
#include "XmlInput.h"

#include <gtest/gtest.h>

using namespace zorv::input;

TEST(PackageParts, RelationshipTargetsResolveInsideThePackageOnly) {
    const XmlDocPtr rels = ReadXml(
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"r1\" Type=\"t/header\" Target=\"header1.xml\"/>"
        "<Relationship Id=\"r2\" Type=\"t\" Target=\"../customXml/./item1.xml\"/>"
        "<Relationship Id=\"r3\" Type=\"t\" Target=\"/word/media/a.png\"/>"
        "<Relationship Id=\"r4\" Type=\"t\" Target=\"../../../etc/passwd\"/>"
        "<Relationship Id=\"r5\" Type=\"t\" Target=\"file:///etc/passwd\"/>"
        "<Relationship Id=\"r6\" Type=\"t\" Target=\"https://example.org/x\" "
        "TargetMode=\"External\"/></Relationships>",
        {});
    ASSERT_NE(rels, nullptr);
    const auto all = ReadRelationships(rels.get(), QStringLiteral("word/document.xml"));
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].id, "r1");
    EXPECT_EQ(all[0].type, "t/header");
    EXPECT_EQ(all[0].target, "word/header1.xml");
    EXPECT_EQ(all[1].target, "customXml/item1.xml");
    EXPECT_EQ(all[2].target, "word/media/a.png");
    EXPECT_EQ(all[3].target, "");
    EXPECT_EQ(all[4].target, "");
    EXPECT_TRUE(all[5].external);
    EXPECT_EQ(all[5].target, "https://example.org/x");
    EXPECT_EQ(RelsNameOf(QStringLiteral("word/document.xml")), "word/_rels/document.xml.rels");
    EXPECT_EQ(RelsNameOf(QString()), "_rels/.rels");
}
