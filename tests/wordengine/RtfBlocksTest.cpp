// Template blocks in Rich Text: paragraph blocks repeated and removed, inline blocks,
// nesting with fields looked up in the item and then outside, conditionals, redaction,
// markers split by formatting, and blocks that cannot be copied staying as written. Every
// byte outside the blocks and markers stays as it was, so the outputs are compared whole.
#include "RtfDocument.h"

#include <gtest/gtest.h>

namespace engine = zorv::wordengine;
using zorv::TokenList;
using zorv::TokenRecord;

namespace {

TokenRecord Item(const QStringList& names, const QStringList& values,
                 std::vector<TokenList> lists = {}) {
    return TokenRecord{names, values, std::move(lists)};
}

TokenList Lines(const QString& name, const QStringList& lines) {
    TokenList list{name, {}};
    for (const QString& line : lines)
        list.items.push_back(Item({"Name"}, {line}));
    return list;
}

TokenRecord Profile() {
    TokenRecord top = Item({"FullName", "Email", "Phone"}, {"Jane", "j@x.org", " "});
    top.lists.push_back(
        {"Positions",
         {Item({"Title", "Employer"}, {"Lead", "Acme"}, {Lines("Bullets", {"b1", "b2"})}),
          Item({"Title", "Employer"}, {"Analyst", "Globex"}, {Lines("Bullets", {})})}});
    top.lists.push_back(Lines("Languages", {"English", "French"}));
    top.lists.push_back(Lines("Skills", {}));
    return top;
}

std::string Expanded(const QByteArray& rtf, bool* uses = nullptr) {
    auto doc = engine::RtfDocument::FromBytes(QStringLiteral("/t/t.rtf"), rtf);
    const bool blocks = doc->UsesTemplateBlocks(nullptr);
    if (uses)
        *uses = blocks;
    doc->FillTemplate(Profile());
    return doc->Serialize().toStdString();
}

TEST(RtfBlocks, ParagraphBlocksRepeatPerItemAndGoWithoutItemsWithTheirMarkerParagraphs) {
    bool uses = false;
    EXPECT_EQ(Expanded("{\\rtf1 Name: [[FullName]]\\par [[#Positions]]\\par\n"
                       "\\b [[Title]]\\b0 , [[Employer]] for [[FullName]]\\par\n"
                       "[[/Positions]]\\par [[#Skills]]\\par [[Name]]\\par [[/Skills]]\\par "
                       "End\\par}",
                       &uses),
              "{\\rtf1 Name: Jane\\par \n\\b Lead\\b0 , Acme for Jane\\par\n"
              "\\b Analyst\\b0 , Globex for Jane\\par\nEnd\\par}");
    EXPECT_TRUE(uses);
}

TEST(RtfBlocks, InlineBlocksNestAndConditionalsKeepOrRemove) {
    EXPECT_EQ(Expanded("{\\rtf1 [[#Positions]]\\par [[Title]]: [[#Bullets]][[Name]]; "
                       "[[/Bullets]]\\par [[/Positions]]\\par "
                       "Langs: [[#Languages]]{\\i [[Name]]} [[/Languages]]!\\par "
                       "[[?Email]]\\par Mail [[Email]]\\par [[/Email]]\\par "
                       "[[?Phone]]\\par Tel [[Phone]]\\par [[/Phone]]\\par "
                       "[[Missing]] [[#Nope]]x[[/Nope]] [[Name]]\\par}"),
              "{\\rtf1 Lead: b1; b2; \\par Analyst: \\par "
              "Langs: {\\i English} {\\i French} !\\par Mail j@x.org\\par "
              "[[Missing]] [[#Nope]]x[[/Nope]] [[Name]]\\par}");
}

TEST(RtfBlocks, MarkersSplitByFormattingWorkAndBlocksThatCannotBeCopiedStayAsWritten) {
    EXPECT_EQ(Expanded("{\\rtf1 {\\b [[#Lang}uages]]\\par [[Name]]\\par [[/Languages]]\\par}"),
              "{\\rtf1 {\\b }English\\par French\\par }");
    // The opening marker's group closes inside the block: copying it would break the file.
    EXPECT_EQ(Expanded("{\\rtf1 {\\b [[#Languages]]}[[Name]][[/Languages]]\\par}"),
              "{\\rtf1 {\\b [[#Languages]]}[[Name]][[/Languages]]\\par}");
    // A control word before a removed marker keeps its delimiter.
    EXPECT_EQ(Expanded("{\\rtf1 \\b[[#Languages]]x[[/Languages]]\\par}"), "{\\rtf1 \\b xx\\par}");
}

TEST(RtfBlocks, HeadersExpandTheirOwnBlocksBesideTheMainText) {
    EXPECT_EQ(Expanded("{\\rtf1 {\\header [[#Languages]]\\par [[Name]]\\par [[/Languages]]\\par}"
                       "[[#Languages]]\\par [[Name]]/[[FullName]]\\par [[/Languages]]\\par}"),
              "{\\rtf1 {\\header English\\par French\\par }English/Jane\\par French/Jane\\par }");
}

TEST(RtfBlocks, ATableRowFromTheOpeningToTheClosingMarkerRepeatsWithoutThem) {
    const QByteArray head = "{\\rtf1 \\trowd\\cellx1000\\cellx2000\\intbl H1\\cell H2\\cell\\row\n";
    EXPECT_EQ(Expanded(head +
                       "\\trowd\\cellx1000\\cellx2000\\intbl [[#Positions]][[Title]]\\cell "
                       "{\\b [[Employer]]}[[/Positions]]\\cell\\trowd\\cellx1000\\row\n"
                       "\\trowd\\cellx1000\\intbl [[#Skills]][[Name]][[/Skills]]\\cell\\row\n"
                       "\\pard After\\par}"),
              (head + "\\trowd\\cellx1000\\cellx2000\\intbl Lead\\cell {\\b Acme}\\cell"
                      "\\trowd\\cellx1000\\row\\trowd\\cellx1000\\cellx2000\\intbl "
                      "Analyst\\cell {\\b Globex}\\cell\\trowd\\cellx1000\\row\n\n"
                      "\\pard After\\par}")
                  .toStdString());
}

TEST(RtfBlocks, RedactionMarkersGoAndPlainTemplatesAreLeftToTheMarkerFill) {
    bool uses = false;
    EXPECT_EQ(Expanded("{\\rtf1 [[!Redact]]\\par Hi [[FullName]][[!Redact]]\\par}", &uses),
              "{\\rtf1 Hi Jane\\par}");
    EXPECT_TRUE(uses);
    auto doc = engine::RtfDocument::FromBytes(QStringLiteral("/t/t.rtf"),
                                              "{\\rtf1 [[FullName]] [[/Skills]]\\par}");
    bool redact = true;
    EXPECT_FALSE(doc->UsesTemplateBlocks(&redact));
    EXPECT_FALSE(redact);
}

} // namespace
