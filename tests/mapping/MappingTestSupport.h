// Helpers of the mapping tests: files in a private folder, and one extraction run.
#pragma once

#include "TestSupport.h"
#include "TokensFromXML.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zorv::test {

class TempFolderTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const {
        const QString path = Path(name);
        EXPECT_TRUE(WriteFile(path, bytes)) << path.toStdString();
        return path;
    }

private:
    QTemporaryDir dir_;
};

struct Extraction {
    std::int32_t NTokens = -1;
    QStringList TokenNames;
    QStringList TokenValues;

    void Run(const QString& hrxml, const QString& map) {
        GetTokensFromXMLWithMap(hrxml, map, NTokens, TokenNames, TokenValues);
    }
};

// A map document: the root HRXMLMap around the given token elements.
inline QByteArray MapOf(const QByteArray& tokens) {
    return "<?xml version=\"1.0\"?>\n<HRXMLMap>\n" + tokens + "\n</HRXMLMap>\n";
}

} // namespace zorv::test
