// The built-in word lists and the user's own lists that extend them.
#include "WordLists.h"
#include "QStringPrinter.h"
#include "Sections.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace zorv::rp;

TEST(WordLists, BuiltInListsAreEmbedded) {
    const WordLists& lists = GetWordLists({});
    EXPECT_GT(lists.headingKind.size(), 100);
    EXPECT_TRUE(lists.titles.Matches(QStringLiteral("Senior Engineer")));
    EXPECT_TRUE(lists.degrees.Matches(QStringLiteral("B.Sc.")));
    EXPECT_EQ(lists.countryByName.value(QStringLiteral("deutschland")), QStringLiteral("DE"));
    EXPECT_EQ(lists.languageByName.value(QStringLiteral("francais")), QStringLiteral("fr"));
}

TEST(WordLists, UserFilesExtendTheBuiltInOnes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(zorv::test::WriteFile(dir.filePath(QStringLiteral("headings.txt")),
                                      "# mine\nskills|Superpowers\nexperience|Battles fought\n"));
    ASSERT_TRUE(zorv::test::WriteFile(dir.filePath(QStringLiteral("titles.txt")), "wizard\n"));
    const WordLists& lists = GetWordLists(dir.path());
    EXPECT_EQ(HeadingKind(QStringLiteral("SUPERPOWERS:"), lists), QStringLiteral("skills"));
    EXPECT_EQ(HeadingKind(QStringLiteral("Battles Fought"), lists), QStringLiteral("experience"));
    EXPECT_EQ(HeadingKind(QStringLiteral("Education"), lists), QStringLiteral("education"));
    EXPECT_TRUE(lists.titles.Matches(QStringLiteral("Senior Wizard")));
    // The built-in lists stay as they were.
    EXPECT_TRUE(HeadingKind(QStringLiteral("Superpowers"), GetWordLists({})).isEmpty());
}

TEST(WordLists, CodesTheSchemaWouldRejectAreIgnored) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(zorv::test::WriteFile(dir.filePath(QStringLiteral("countries.txt")),
                                      "FRA|Fraland\nQQ|Qualand\n"));
    ASSERT_TRUE(zorv::test::WriteFile(dir.filePath(QStringLiteral("languages.txt")),
                                      "not a code|Klingon\n"));
    const WordLists& lists = GetWordLists(dir.path());
    EXPECT_FALSE(lists.countryByName.contains(QStringLiteral("fraland")));
    EXPECT_EQ(lists.countryByName.value(QStringLiteral("qualand")), QStringLiteral("QQ"));
    EXPECT_FALSE(lists.languageByName.contains(QStringLiteral("klingon")));
}

TEST(WordLists, MissingUserFolderGivesTheBuiltInLists) {
    const WordLists& lists = GetWordLists(QStringLiteral("/nonexistent/folder"));
    EXPECT_EQ(HeadingKind(QStringLiteral("Experience"), lists), QStringLiteral("experience"));
}

TEST(PhraseSets, WholeWordsPhrasesEndingsAndHyphens) {
    PhraseSet set;
    set.Add(QStringLiteral("engineer"));
    set.Add(QStringLiteral("chef de projet"));
    set.Add(QStringLiteral("*entwickler"));
    EXPECT_TRUE(set.Matches(QStringLiteral("Engineer-in-Training")));
    EXPECT_FALSE(set.Matches(QStringLiteral("Engineering Solutions")));
    EXPECT_TRUE(set.Matches(QStringLiteral("Chef de projet digital")));
    EXPECT_FALSE(set.Matches(QStringLiteral("chef de partie")));
    EXPECT_TRUE(set.Matches(QStringLiteral("Softwareentwickler")));
}

} // namespace
