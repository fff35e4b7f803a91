// Text encodings: byte-order marks, UTF-8, Windows-1252 and other code pages told apart by
// uchardet, and the code pages RTF names by number.
#include "TextDecoding.h"
#include "ConvertTestSupport.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace zorv::rp::convert;

TEST(DecodeText, ByteOrderMarksDecideAndAreDropped) {
    EXPECT_EQ(DecodeText("\xEF\xBB\xBFJos\xC3\xA9"), QStringLiteral("José"));
    EXPECT_EQ(DecodeText(QByteArrayView("\xFF\xFEJ\0o\0s\0\xE9\0", 10)), QStringLiteral("José"));
    EXPECT_EQ(DecodeText(QByteArrayView("\xFE\xFF\0J\0o\0s\0\xE9", 10)), QStringLiteral("José"));
}

TEST(DecodeText, Utf16WithoutMarkIsRecognised) {
    const QString text = QStringLiteral("Jane Doe, Software Engineer");
    const QByteArray le(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(DecodeText(le), text);
}

TEST(DecodeText, ValidUtf8StaysUtf8) {
    EXPECT_EQ(DecodeText("M\xC3\xBCller \xE2\x80\x93 K\xC3\xB6ln"),
              QStringLiteral("Müller – Köln"));
}

TEST(DecodeText, Windows1252IsDetected) {
    const QByteArray cp1252 = "R\xE9sum\xE9 of Fran\xE7ois M\xFCller \x96 \x93quoted\x94 text, "
                              "caf\xE9 and na\xEFve d\xE9j\xE0 vu.";
    EXPECT_EQ(DecodeText(cp1252),
              QStringLiteral("Résumé of François Müller – “quoted” text, café and naïve déjà vu."));
}

TEST(DecodeText, CyrillicCodePageIsDetectedNotGuessed) {
    // "Иван Петров, инженер-программист, Москва" several times in Windows-1251.
    const QString russian = QStringLiteral("Иван Петров, инженер-программист, Москва. "
                                           "Опыт работы: разработка программного обеспечения. ");
    QStringEncoder encoder("windows-1251");
    ASSERT_TRUE(encoder.isValid());
    const QByteArray bytes = encoder.encode(russian.repeated(3));
    EXPECT_EQ(DecodeText(bytes), russian.repeated(3));
}

TEST(DecodeCodePage, WindowsPagesByNumber) {
    EXPECT_EQ(DecodeCodePage("\x80\x93x\x94", 1252), QStringLiteral("€“x”"));
    EXPECT_EQ(DecodeCodePage("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), QStringLiteral("Привет"));
    EXPECT_EQ(DecodeCodePage("\xB9\xE6", 1250), QStringLiteral("ąć"));
    EXPECT_EQ(DecodeCodePage("abc", 99999), QStringLiteral("abc"));
}
