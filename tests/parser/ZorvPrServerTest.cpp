// The ZorvPr process itself, through the client's parser object: files it refuses with a
// clear message, the calls it refuses, its debug log, and its end when its input closes.
#include "DebugLog.h"
#include "OfficeConverter.h"
#include "ParserErrors.h"
#include "ParserTestSupport.h"

#include <QEventLoop>
#include <QTimer>

using namespace zorv;
using zorv::test::ParserTest;

namespace {

struct DoneEvent {
    bool received = false;
    QString what;
    bool ok = false;
    QString msg;
};

class Server : public ParserTest {
protected:
    std::shared_ptr<ParserObject> Start() {
        ParserEvents events;
        events.Done = [this](const QString& w, bool ok, const QString& m) {
            done_ = {true, w, ok, m};
        };
        events.Message = [this](const QString& t) { messages_ << t; };
        return ParserObject::Create(std::move(events), Programs().Server());
    }
    // Issues the action and waits for its Done (at most `ms`).
    DoneEvent Run(ParserObject& pr, const QString& what, int ms = 10000) {
        done_ = {};
        pr.Call(what);
        QElapsedTimer clock;
        clock.start();
        while (!done_.received && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done_;
    }
    DoneEvent Convert(const QString& file) {
        auto pr = Start();
        pr->Call(QStringLiteral("Prepare"));
        pr->SetProperty(QStringLiteral("ResumeFileName"), file);
        pr->Call(QStringLiteral("FinishSetup"));
        return Run(*pr, QStringLiteral("Convert"));
    }

    DoneEvent done_;
    QStringList messages_;
};

TEST_F(Server, RefusesFilesThatCannotBeConvertedWithAClearMessage) {
    UseRealServer();
    struct Case {
        QString file;
        const char* says;
    };
    const QString big = Path(QStringLiteral("big.txt"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(50LL * 1024 * 1024 + 1)); // sparse: no disk used
    }
    const std::vector<Case> cases = {
        {Path(QStringLiteral("missing.txt")), "Resume not found."},
        {WriteResume(QStringLiteral("empty.txt"), QByteArray()), "empty"},
        {big, "larger than 50 MiB"},
        {Path(QStringLiteral("system")), "not a file"},
        {QString(), "Resume not given."},
    };
    for (const Case& c : cases) {
        const DoneEvent done = Convert(c.file);
        EXPECT_TRUE(done.received) << qPrintable(c.file);
        EXPECT_EQ(done.what, QStringLiteral("Convert"));
        EXPECT_FALSE(done.ok);
        EXPECT_TRUE(done.msg.contains(QLatin1String(c.says))) << qPrintable(done.msg);
    }
}

TEST_F(Server, RefusesUnknownAndCorruptFilesWithoutHanging) {
    UseRealServer();
    static const char kNoise[] = "\x13\x37\x00\xffPK\x03\x04garbage";
    const QByteArray noise(kNoise, sizeof kNoise - 1);
    for (const QString& name :
         {QStringLiteral("r.xyz"), QStringLiteral("r.docx"), QStringLiteral("r.pdf")}) {
        const DoneEvent done = Convert(WriteResume(name, noise));
        EXPECT_TRUE(done.received) << qPrintable(name);
        EXPECT_FALSE(done.ok) << qPrintable(name);
        EXPECT_FALSE(done.msg.isEmpty()) << qPrintable(name);
    }
}

// What a converter makes of bytes that are no text is refused, not parsed as a resume:
// private-use characters, or assigned ones in a long run without a space or line break.
TEST_F(Server, TextOfMostlyPrivateUseCharactersIsUnreadable) {
    UseRealServer();
    for (const char16_t first : {u'\xE000', u'\x4E00'}) {
        QString garbage = QStringLiteral("Jane Doe\n");
        for (int i = 0; i < 400; ++i)
            garbage += QChar(first + (i * 37) % 0x1000);
        QByteArray utf16("\xff\xfe", 2);
        utf16 += QByteArray(reinterpret_cast<const char*>(garbage.utf16()), garbage.size() * 2);
        const DoneEvent done = Convert(WriteResume(QStringLiteral("noise.txt"), utf16));
        EXPECT_FALSE(done.ok);
        EXPECT_TRUE(done.msg.contains("no readable text")) << qPrintable(done.msg);
    }
}

// Random bytes behind a compound-file header: the office reads them as some text, which is
// refused as unreadable.
TEST_F(Server, RandomBytesBehindAnOleHeaderAreUnreadable) {
    if (FindOfficeProgram().isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    UseRealServer();
    QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    std::uint32_t state = 7;
    while (ole.size() < 20000) {
        state = state * 1664525u + 1013904223u; // any fixed noise will do
        ole.append(char(state >> 24));
    }
    auto pr = Start();
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeFileName"), WriteResume(QStringLiteral("cv.doc"), ole));
    pr->Call(QStringLiteral("FinishSetup"));
    const DoneEvent done = Run(*pr, QStringLiteral("Convert"), kOfficeTimeLimitMs * 2);
    ASSERT_TRUE(done.received);
    EXPECT_FALSE(done.ok);
    EXPECT_TRUE(done.msg.contains("no readable text") || done.msg.contains("could not read"))
        << qPrintable(done.msg);
}

TEST_F(Server, ConvertsADocxResume) {
    UseRealServer();
    auto pr = Start();
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeFileName"),
                    test::DataPath(QStringLiteral("parser/two_page_resume.docx")));
    const DoneEvent done = Run(*pr, QStringLiteral("Convert"));
    ASSERT_TRUE(done.ok) << qPrintable(done.msg);
    const QString text = pr->GetProperty(QStringLiteral("ResumeContent")).toString();
    EXPECT_TRUE(text.contains(QStringLiteral("Alexandra M. Petrov")));
    EXPECT_TRUE(text.contains(QStringLiteral("PROFESSIONAL EXPERIENCE")));
}

// A handler's error cannot climb out of the event loop: it fails the try instead.
TEST_F(Server, AFailingDoneHandlerFailsTheTryWithItsError) {
    UseRealServer();
    std::vector<DoneEvent> dones;
    ParserEvents events;
    events.Done = [&](const QString& w, bool ok, const QString& m) {
        dones.push_back({true, w, ok, m});
        if (ok)
            throw std::runtime_error("the handler broke");
    };
    auto pr = ParserObject::Create(std::move(events), Programs().Server());
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeFileName"),
                    WriteResume(QStringLiteral("r.txt"), "Jane Doe\nEngineer\n"));
    pr->Call(QStringLiteral("Convert"));
    QElapsedTimer clock;
    clock.start();
    while (dones.size() < 2 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(dones.size(), 2u);
    EXPECT_TRUE(dones[0].ok);
    EXPECT_EQ(dones[1].what, QStringLiteral("Convert"));
    EXPECT_FALSE(dones[1].ok);
    EXPECT_EQ(dones[1].msg, QStringLiteral("the handler broke"));
}

TEST_F(Server, ParseWithoutContentFailsClearlyAndWritesNothing) {
    UseRealServer();
    auto pr = Start();
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("XMLResumeFileName"), Path(QStringLiteral("x.xml")));
    const DoneEvent done = Run(*pr, QStringLiteral("Parse"));
    EXPECT_FALSE(done.ok);
    EXPECT_TRUE(done.msg.contains(QStringLiteral("no resume content")));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("x_HRXML.XML"))));
}

TEST_F(Server, AnHRXMLFileThatCannotBeWrittenFailsTheParse) {
    auto pr = Start(); // TestZorvPr, canned results written by the server's own writer
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeContent"), QStringLiteral("Jane Doe"));
    pr->SetProperty(QStringLiteral("XMLResumeFileName"), Path(QStringLiteral("no/such/dir/x.xml")));
    const DoneEvent done = Run(*pr, QStringLiteral("Parse"));
    EXPECT_FALSE(done.ok);
    EXPECT_TRUE(done.msg.contains(QStringLiteral("could not be written"))) << qPrintable(done.msg);
    EXPECT_TRUE(pr->GetProperty(QStringLiteral("XMLResume")).toString().isEmpty());
}

TEST_F(Server, ParseReplacesTheHRXMLFileWhole) {
    const QString hrxml = Path(QStringLiteral("r_HRXML.XML"));
    ASSERT_TRUE(test::WriteFile(hrxml, QByteArray(100000, 'x')));
    auto pr = Start();
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeContent"), QStringLiteral("Jane Doe"));
    pr->SetProperty(QStringLiteral("XMLResumeFileName"), Path(QStringLiteral("r.xml")));
    ASSERT_TRUE(Run(*pr, QStringLiteral("Parse")).ok);
    EXPECT_EQ(test::ReadFile(hrxml), QByteArray("<Resume><fake what=\"Parse\"/></Resume>"));
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral("*HRXML*")}).size(), 1); // no leftovers
}

TEST_F(Server, RefusesASecondActionWhileOneRuns) {
    UseFaults(QStringLiteral("hang"));
    auto pr = Start();
    pr->Call(QStringLiteral("Convert"));
    try {
        pr->Call(QStringLiteral("Parse"));
        FAIL() << "no error";
    } catch (const ZorvError& e) {
        EXPECT_EQ(e.Number(), ErrAutomation);
    }
    // Calls other than actions are still answered while the action hangs.
    EXPECT_EQ(pr->GetProperty(QStringLiteral("DoneReceived")).toBool(), false);
}

TEST_F(Server, RefusesUnknownCallsAndProperties) {
    UseRealServer();
    auto pr = Start();
    for (const auto& call : {QStringLiteral("Frobnicate"), QStringLiteral("convert")}) {
        try {
            pr->Call(call);
            FAIL() << "no error";
        } catch (const ZorvError& e) {
            EXPECT_EQ(e.Number(), ErrNoSuchMember);
        }
    }
    try {
        pr->SetProperty(QStringLiteral("XMLResume"), QStringLiteral("<x/>"));
        FAIL() << "no error";
    } catch (const ZorvError& e) {
        EXPECT_EQ(e.Number(), ErrAutomation);
    }
}

TEST_F(Server, DebugModeWritesALogInTheTemporaryFolder) {
    UseRealServer();
    auto pr = Start();
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeFileName"), Path(QStringLiteral("missing.doc")));
    pr->Call(QStringLiteral("FinishSetup"));
    pr->Call(QStringLiteral("StartDebug"));
    pr->SetProperty(QStringLiteral("DebugMode"), true);
    Run(*pr, QStringLiteral("Convert"));
    const QByteArray log =
        test::ReadFile(test::PrivateTempDir(Path(QStringLiteral("tmp"))) + "ZorvPr_debug.log");
    EXPECT_TRUE(log.contains("debug started")) << log.constData();
    EXPECT_TRUE(log.contains("Convert failed")) << log.constData();
}

TEST_F(Server, WithoutDebugModeNoLogIsWritten) {
    UseRealServer();
    Convert(Path(QStringLiteral("missing.doc")));
    EXPECT_FALSE(
        QFile::exists(test::PrivateTempDir(Path(QStringLiteral("tmp"))) + "ZorvPr_debug.log"));
}

TEST_F(Server, EndsWhenItsInputCloses) {
    QProcess p;
    p.start(test::RealServer(), {});
    ASSERT_TRUE(p.waitForStarted(5000));
    ASSERT_TRUE(p.waitForReadyRead(10000));
    EXPECT_TRUE(p.readLine().startsWith("{\"event\":\"Ready\""));
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(5000));
}

TEST_F(Server, AnswersGarbageWithAnErrorAndGoesOn) {
    QProcess p;
    p.start(test::RealServer(), {});
    ASSERT_TRUE(p.waitForStarted(5000));
    p.write("not json\n{\"id\":7,\"call\":\"get\",\"name\":\"DoneReceived\"}\n");
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (out.count('\n') < 3 && clock.elapsed() < 10000 && p.waitForReadyRead(1000))
        out += p.readAll();
    EXPECT_TRUE(out.contains("\"id\":-1")) << out.constData();
    EXPECT_TRUE(out.contains("{\"id\":7,\"ok\":true,\"value\":false}")) << out.constData();
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(5000));
}

// A one-page PDF whose content stream opens `saves` graphics states: a few bytes of file
// that cost the converter hundreds of bytes of memory each.
QByteArray StateStackPdf(int saves) {
    const QByteArray content = QByteArray("q\n").repeated(saves) + "BT ET\n";
    const QByteArray objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
            "\nendstream",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray xref = "xref\n0 5\n0000000000 65535 f \n";
    int number = 0;
    for (const QByteArray& object : objects) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(++number) + " 0 obj\n" + object + "\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + xref + "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + start + "\n%%EOF\n";
}

TEST_F(Server, AResumeThatNeedsTooMuchMemoryFailsItsTryAndEndsTheServerAlone) {
    UseRealServer();
    const QString text = WriteResume(QStringLiteral("cv.txt"), "Jane Doe\n");
    const QString pdf = WriteResume(QStringLiteral("states.pdf"), StateStackPdf(1'000'000));
    const QByteArray saved = qgetenv("ZORV_PR_MEMORY_LIMIT_MB");
    qputenv("ZORV_PR_MEMORY_LIMIT_MB", "300");
    auto pr = Start();
    if (saved.isNull())
        qunsetenv("ZORV_PR_MEMORY_LIMIT_MB");
    else
        qputenv("ZORV_PR_MEMORY_LIMIT_MB", saved);
    pr->Call(QStringLiteral("Prepare"));
    pr->SetProperty(QStringLiteral("ResumeFileName"), text);
    ASSERT_TRUE(Run(*pr, QStringLiteral("Convert")).ok); // an ordinary resume fits
    pr->SetProperty(QStringLiteral("ResumeFileName"), pdf);
    const DoneEvent done = Run(*pr, QStringLiteral("Convert"), 60000);
    ASSERT_TRUE(done.received);
    EXPECT_FALSE(done.ok);
    EXPECT_EQ(done.msg, QStringLiteral("The resume needs more memory than the parser allows "
                                       "(over 300 MiB): ") +
                            pdf);
    // The server is gone; the client says so and starts another one for the next resume.
    QElapsedTimer clock;
    clock.start();
    bool gone = false;
    while (!gone && clock.elapsed() < 5000) {
        try {
            pr->GetProperty(QStringLiteral("DoneReceived"));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        } catch (const ZorvError& e) {
            gone = e.Number() == ErrServerUnavailable;
        }
    }
    EXPECT_TRUE(gone);
    const DoneEvent next = Convert(text);
    EXPECT_TRUE(next.ok) << qPrintable(next.msg);
}

} // namespace
