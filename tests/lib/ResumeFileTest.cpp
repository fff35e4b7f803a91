// The one check of a resume file: each refusal names the file, and a good file is read whole.
#include "ResumeFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zorv;

TEST(ResumeFile, EachRefusalSaysWhyAndNamesTheFile) {
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty.txt");
    const QString huge = dir.filePath("huge.pdf");
    QFile(empty).open(QIODevice::WriteOnly);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kMaxResumeBytes + 1)); // sparse: costs no disk
    }
    const QString missing = dir.filePath("missing.doc");
    EXPECT_EQ(ResumeFileProblem("  "), "Resume not given.");
    EXPECT_EQ(ResumeFileProblem(missing), "Resume not found.\r\n" + missing);
    EXPECT_EQ(ResumeFileProblem(dir.path()), "The resume is not a file: " + dir.path());
    EXPECT_EQ(ResumeFileGiven(dir.path()), "Resume not found.\r\n" + dir.path());
    EXPECT_EQ(ResumeFileProblem(empty), "The resume file is empty: " + empty);
    EXPECT_EQ(ResumeFileProblem(huge), "The resume file is larger than 50 MiB: " + huge);
    QByteArray bytes = "stale";
    EXPECT_EQ(ReadResumeFile(huge, bytes), ResumeFileProblem(huge));
    EXPECT_TRUE(bytes.isEmpty());
}

TEST(ResumeFile, AGoodFileIsReadWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cv.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Jane Doe\n");
    file.close();
    EXPECT_EQ(ResumeFileProblem(path), "");
    QByteArray bytes;
    EXPECT_EQ(ReadResumeFile(path, bytes), "");
    EXPECT_EQ(bytes, "Jane Doe\n");
    EXPECT_TRUE(ResumeExtensions().contains("wpd"));
}
