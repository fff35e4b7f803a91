// File signatures: each format by its content, whatever the file is called.
#include "FileSignature.h"

#include <QByteArray>
#include <gtest/gtest.h>

using zorv::input::Signature;
using zorv::input::SniffSignature;

TEST(FileSignature, EachFormatByItsFirstBytes) {
    const QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    QByteArray encryptedName;
    for (char c : QByteArrayView("EncryptionInfo"))
        encryptedName.append(c).append('\0');
    EXPECT_EQ(SniffSignature("\xEF\xBB\xBF \r\n{\\rtf1 x}"), Signature::Rtf);
    EXPECT_EQ(SniffSignature("mail gateway junk\n%PDF-1.7"), Signature::Pdf);
    EXPECT_EQ(SniffSignature(QByteArray("PK\x03\x04", 4) + "a %PDF- inside"), Signature::Zip);
    EXPECT_EQ(SniffSignature(ole + QByteArray(600, 0)), Signature::Ole);
    EXPECT_EQ(SniffSignature(ole + QByteArray(600, 0) + encryptedName), Signature::EncryptedOle);
    EXPECT_EQ(SniffSignature("\xFFWPC\x10"), Signature::Wpd);
    EXPECT_EQ(SniffSignature("<html><body>{\\rtf</body></html>"), Signature::None);
    EXPECT_EQ(SniffSignature(""), Signature::None);
}
