// Scanned resumes through OCR: image files of each format, an image-only PDF, turned pages,
// the languages a country calls for, and hostile images refused before they are decoded.
#include "ImageToText.h"
#include "ConvertTestSupport.h"
#include "OcrEngine.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <leptonica/allheaders.h>
#include <zlib.h>

using namespace zorv::rp::convert;
using namespace zorv::test;

namespace {

PixPtr FixturePix() {
    const QByteArray png = Fixture(QStringLiteral("scan_resume.png"));
    return PixPtr{pixReadMemPng(reinterpret_cast<const l_uint8*>(png.constData()),
                                static_cast<size_t>(png.size()))};
}

// Takes over a buffer leptonica allocated.
QByteArray Adopt(l_uint8* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lept_free(data);
    return bytes;
}

QByteArray Png(Pix* pix) {
    l_uint8* data = nullptr;
    size_t size = 0;
    pixWriteMemPng(&data, &size, pix, 0);
    return Adopt(data, size);
}

QByteArray TiffOf(const std::vector<Pix*>& pages) {
    const PixaPtr pixa{pixaCreate(0)};
    for (Pix* page : pages)
        pixaAddPix(pixa.get(), page, L_CLONE);
    l_uint8* data = nullptr;
    size_t size = 0;
    pixaWriteMemMultipageTiff(&data, &size, pixa.get());
    return Adopt(data, size);
}

void ExpectResumeText(const zorv::rp::ActionResult& r, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    for (const char* expected : {"Harriet Q. Lindqvist", "harriet.lindqvist@example.org",
                                 "+1 303 555 0186", "Pinecrest Mapping Cooperative"})
        EXPECT_TRUE(r.text.contains(QLatin1String(expected))) << r.text.toStdString();
}

// A PNG chunk with its length and checksum.
QByteArray PngChunk(const char* type, const QByteArray& data) {
    QByteArray body = QByteArray(type, 4) + data;
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(data.size()), chunk.data());
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(
        static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()),
                                   static_cast<uInt>(body.size()))),
        crc.data());
    return chunk + crc;
}

// A PDF whose first page has a text layer and whose second page is the scan only.
QByteArray MixedPdf(Pix* scan) {
    const PixPtr gray{pixConvertTo8(scan, 0)};
    const l_int32 w = pixGetWidth(gray.get()), h = pixGetHeight(gray.get());
    QByteArray pixels;
    for (l_int32 y = 0; y < h; ++y) {
        const l_uint32* line = pixGetData(gray.get()) + y * pixGetWpl(gray.get());
        for (l_int32 x = 0; x < w; ++x)
            pixels.append(static_cast<char>(GET_DATA_BYTE(line, x)));
    }
    const QByteArray image = qCompress(pixels).mid(4); // a zlib stream without Qt's prefix
    const QByteArray text =
        "BT /F1 14 Tf 72 700 Td (Typed page with a summary of twenty years) Tj ET";
    const QByteArray draw =
        QStringLiteral("q %1 0 0 %2 0 0 cm /Im1 Do Q").arg(w / 2).arg(h / 2).toLatin1();
    return "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
           "2 0 obj << /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >> endobj\n"
           "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << "
           "/F1 5 0 R >> >> /Contents 6 0 R >> endobj\n"
           "4 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 " +
           QByteArray::number(w / 2) + ' ' + QByteArray::number(h / 2) +
           "] /Resources << /XObject << /Im1 7 0 R >> >> /Contents 8 0 R >> endobj\n"
           "5 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> endobj\n"
           "6 0 obj << /Length " +
           QByteArray::number(text.size()) + " >> stream\n" + text +
           "\nendstream endobj\n7 0 obj << /Type /XObject /Subtype /Image /Width " +
           QByteArray::number(w) + " /Height " + QByteArray::number(h) +
           " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length " +
           QByteArray::number(image.size()) + " >> stream\n" + image +
           "\nendstream endobj\n8 0 obj << /Length " + QByteArray::number(draw.size()) +
           " >> stream\n" + draw + "\nendstream endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n";
}

} // namespace

TEST(OcrFormats, MixedPdfKeepsTheTextLayerAndReadsTheScannedPage) {
    const PixPtr pix = FixturePix();
    const auto r = ConvertBytes(MixedPdf(pix.get()), QStringLiteral("pdf"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_TRUE(r.text.startsWith(QStringLiteral("Typed page with a summary of twenty years\n")))
        << r.text.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("harriet.lindqvist@example.org")));
}

TEST(OcrFormats, PngJpegAndImageOnlyPdfAreRead) {
    ExpectResumeText(
        ConvertBytes(Fixture(QStringLiteral("scan_resume.png")), QStringLiteral("png")), "png");
    const PixPtr pix = FixturePix();
    l_uint8* data = nullptr;
    size_t size = 0;
    const PixPtr gray{pixConvertTo8(pix.get(), 0)};
    pixWriteMemJpeg(&data, &size, gray.get(), 90, 0);
    const QByteArray jpeg = Adopt(data, size);
    ExpectResumeText(ConvertBytes(jpeg, QStringLiteral("jpg")), "jpeg");
    pixWriteMemPdf(&data, &size, pix.get(), 150, nullptr);
    ExpectResumeText(ConvertBytes(Adopt(data, size), QStringLiteral("pdf")), "pdf");
}

TEST(OcrFormats, MultiPageTiffIsReadPageByPage) {
    const PixPtr pix = FixturePix();
    const l_int32 w = pixGetWidth(pix.get()), h = pixGetHeight(pix.get());
    const BoxPtr top{boxCreate(0, 0, w, h * 11 / 20)};
    const BoxPtr bottom{boxCreate(0, h * 11 / 20, w, h * 9 / 20)};
    const PixPtr first{pixClipRectangle(pix.get(), top.get(), nullptr)};
    const PixPtr second{pixClipRectangle(pix.get(), bottom.get(), nullptr)};
    const auto r = ConvertBytes(TiffOf({first.get(), second.get()}), QStringLiteral("tif"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_LT(r.text.indexOf(QStringLiteral("harriet.lindqvist@example.org")),
              r.text.indexOf(QStringLiteral("Colorado School of Surveying")))
        << r.text.toStdString();
    EXPECT_GE(r.text.indexOf(QStringLiteral("harriet.lindqvist@example.org")), 0);
}

TEST(OcrFormats, TurnedPagesAreReadUpright) {
    const PixPtr pix = FixturePix();
    for (int quads : {1, 2, 3}) {
        const PixPtr turned{pixRotateOrth(pix.get(), quads)};
        const auto r = ConvertBytes(Png(turned.get()), QStringLiteral("png"));
        ASSERT_TRUE(r.ok) << quads << ": " << r.message.toStdString();
        EXPECT_TRUE(r.text.contains(QStringLiteral("harriet.lindqvist@example.org")))
            << quads << ": " << r.text.toStdString();
    }
}

TEST(OcrFormats, SkewedPagesKeepTheirLines) {
    // Turned by two degrees: a line's right end lies some 15 points lower than its start,
    // more than a line's height apart from where the level page has it.
    const PixPtr pix = FixturePix();
    const PixPtr gray{pixConvertTo8(pix.get(), 0)};
    constexpr float kTwoDegrees = 2.0F * 3.14159265F / 180.0F;
    const PixPtr skewed{
        pixRotate(gray.get(), kTwoDegrees, L_ROTATE_AREA_MAP, L_BRING_IN_WHITE, 0, 0)};
    const auto level = ConvertBytes(Png(pix.get()), QStringLiteral("png"));
    const auto r = ConvertBytes(Png(skewed.get()), QStringLiteral("png"));
    ExpectResumeText(r, "skewed");
    const auto lineWith = [](const QString& text, const QString& what) {
        for (const QString& line : text.split(u'\n'))
            if (line.contains(what))
                return line;
        return QString();
    };
    for (const QString& what : {QStringLiteral("Pinecrest Mapping Cooperative"),
                                QStringLiteral("Colorado School of Surveying")})
        EXPECT_EQ(lineWith(r.text, what), lineWith(level.text, what)) << r.text.toStdString();
}

TEST(OcrFormats, ImagesWithoutTextKeepTheScannedPdfMessage) {
    const PixPtr blank{pixCreate(600, 800, 8)};
    pixSetAllArbitrary(blank.get(), 255);
    l_uint8* data = nullptr;
    size_t size = 0;
    pixWriteMemPdf(&data, &size, blank.get(), 100, nullptr);
    auto r = ConvertBytes(Adopt(data, size), QStringLiteral("pdf"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              QStringLiteral("The PDF file contains no text (it may be a scanned image)."));
    r = ConvertBytes(Png(blank.get()), QStringLiteral("png"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("The image contains no text that could be read."));
}

TEST(OcrHostileImages, BombsFloodsAndCutFilesAreRefused) {
    // 60,000 x 60,000 one-bit pixels in a few hundred bytes: refused from the header.
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(60000, ihdr.data());
    qToBigEndian<quint32>(60000, ihdr.data() + 4);
    ihdr[8] = 1; // bit depth; colour type 0 (gray)
    const QByteArray bomb = QByteArray("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", ihdr) +
                            PngChunk("IDAT", qCompress(QByteArray(65536, '\0')).mid(4)) +
                            PngChunk("IEND", {});
    auto r = ConvertBytes(bomb, QStringLiteral("png"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("60000 x 60000 pixels, too large")))
        << r.message.toStdString();

    const PixPtr pix = FixturePix();
    const PixPtr gray{pixConvertTo8(pix.get(), 0)};
    l_uint8* data = nullptr;
    size_t size = 0;
    pixWriteMemJpeg(&data, &size, gray.get(), 90, 0);
    const QByteArray jpeg = Adopt(data, size);
    r = ConvertBytes(jpeg.left(jpeg.size() / 2), QStringLiteral("jpg"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("The JPEG image is damaged or cut short."));

    const PixPtr tiny{pixCreate(8, 8, 1)};
    r = ConvertBytes(TiffOf(std::vector<Pix*>(1000, tiny.get())), QStringLiteral("tiff"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              QStringLiteral("The TIFF image has 1000 pages, too many for a resume (at most 30)."));
}

TEST(OcrHostileImages, GiantPdfPageIsRefusedBeforeRendering) {
    // A page of 200 x 200 inches without text: rendering it even at 70 dpi would pass the
    // OCR budget.
    const QByteArray pdf =
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
        "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 14400 14400] >> endobj\n"
        "trailer << /Root 1 0 R >>\n%%EOF\n";
    const auto r = ConvertBytes(pdf, QStringLiteral("pdf"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              QStringLiteral("Page 1 of the PDF file measures 200 x 200 inches, too large to "
                             "read by OCR."));
}

TEST(OcrHostileImages, PdfImageBombIsRefusedBeforeRendering) {
    // 60,000 x 60,000 pixels declared in a few hundred bytes, drawn on a letter page; the
    // names escaped as a hostile file may write them. Drawing it would take minutes.
    const QByteArray data = qCompress(QByteArray(65536, '\0')).mid(4);
    const QByteArray draw = "q 612 0 0 792 0 0 cm /Im1 Do Q";
    const QByteArray pdf =
        "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
        "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
        "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject "
        "<< /Im1 4 0 R >> >> /Contents 5 0 R >> endobj\n"
        "4 0 obj << /Type /XObject /Subtype /Im#61ge /W#69dth 60000 /Height 60000 /ColorSpace "
        "/DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length " +
        QByteArray::number(data.size()) + " >> stream\n" + data +
        "\nendstream endobj\n5 0 obj << /Length " + QByteArray::number(draw.size()) +
        " >> stream\n" + draw + "\nendstream endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n";
    const auto r = ConvertBytes(pdf, QStringLiteral("pdf"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, QStringLiteral("The PDF file holds an image of 60000 x 60000 pixels, too "
                                        "large to read by OCR."));
}

TEST(OcrLayout, MisreadContactDetailsAreMended) {
    OcrPage page;
    page.width = 2000;
    page.height = 800;
    double x = 50;
    for (const char* word : {"Mail:",
                             "j.",
                             "p.",
                             "dubois@example.",
                             "fr",
                             "or",
                             "JP@EXAMPLE",
                             ".NET",
                             "jo.xGexample.co.",
                             "uk",
                             "www.exampleGroup.com",
                             "jo",
                             ".xGexample.",
                             "mx",
                             "X@Y",
                             ".",
                             "NET",
                             "+",
                             "(614)",
                             "227-5091",
                             "+1",
                             "303",
                             "Kim",
                             "0'Hara"}) {
        page.words.push_back(PdfWord{QString::fromLatin1(word), x, 100, x + 60, 112, true});
        x += 66;
    }
    const PdfPage laidOut = LayOutOcrPage(page);
    ASSERT_EQ(laidOut.lines.size(), 1U);
    EXPECT_EQ(laidOut.lines[0].text,
              QStringLiteral("Mail: j.p.dubois@example.fr or JP@EXAMPLE.NET jo.x@example.co.uk "
                             "www.exampleGroup.com jo.x@example.mx X@Y.NET \u00B7 (614) 227-5091 "
                             "+1 303 Kim O'Hara"))
        << laidOut.lines[0].text.toStdString();
}

// A page of 12-point lines 14 points apart, 6 points a letter, set from the left at 50.
struct PageWriter {
    OcrPage page{{}, 600, 800};
    double y = 100;
    // The words of `text` on the current line from `x`: `letter` points a letter less
    // `inset`, `gap` points apart.
    void Set(const QString& text, double x, double letter = 6, double inset = 0, double gap = 4) {
        for (const QString& word : text.split(u' ')) {
            const double width = letter * static_cast<double>(word.size()) - inset;
            page.words.push_back(PdfWord{word, x, y, x + width, y + 12, true});
            x += width + gap;
        }
    }
    void Line(const QString& text) {
        Set(text, 50);
        y += 14;
    }
    QStringList LaidOut() const {
        QStringList lines;
        for (const PdfLine& line : LayOutOcrPage(page).lines)
            lines << line.text;
        return lines;
    }
};

TEST(OcrLayout, LinesThePageBrokeAtItsMarginAreJoined) {
    PageWriter w;
    const QString full =
        QStringLiteral("Engineer in the platform team group from June 2016 - February");
    w.Line(full); // as wide as the widest line: it ends at the margin
    w.Line(QStringLiteral("2020"));
    w.Line(QStringLiteral("Grado en Administracion y Direccion de Empresas, Universidad"));
    w.Line(QStringLiteral("Madrid, 2015"));
    w.Line(QStringLiteral("Short line"));
    w.Line(QStringLiteral("Next line fits after the short one"));
    w.Line(QStringLiteral("A line that runs on to the end of the line and then one more"));
    w.Line(QStringLiteral("Longer line next is a line of its own"));
    w.Line(QStringLiteral("A sentence that ends with a full stop right at the margin."));
    w.Line(QStringLiteral("Education"));
    w.Line(QStringLiteral("A list item that runs on to the end of the line and a bit more"));
    w.Line(QStringLiteral("\u2022 A bullet starts a new item"));
    w.Line(QStringLiteral("Another line that runs to the very end of the line at all now"));
    w.y += 14; // a blank line
    w.Line(QStringLiteral("After a blank line"));
    const QStringList expected = {
        full + QStringLiteral(" 2020"),
        QStringLiteral("Grado en Administracion y Direccion de Empresas, Universidad Madrid, 2015"),
        QStringLiteral("Short line"),
        QStringLiteral("Next line fits after the short one"),
        QStringLiteral("A line that runs on to the end of the line and then one more"),
        QStringLiteral("Longer line next is a line of its own"),
        QStringLiteral("A sentence that ends with a full stop right at the margin."),
        QStringLiteral("Education"),
        QStringLiteral("A list item that runs on to the end of the line and a bit more"),
        QStringLiteral("\u2022 A bullet starts a new item"),
        QStringLiteral("Another line that runs to the very end of the line at all now"),
        QStringLiteral("After a blank line")};
    EXPECT_EQ(w.LaidOut(), expected) << w.LaidOut().join(u'|').toStdString();
}

TEST(OcrLanguages, CountryChoosesLanguagesEnglishOtherwise) {
    EXPECT_EQ(OcrLanguagesFor(QStringLiteral("DE")), QStringLiteral("deu"));
    EXPECT_EQ(OcrLanguagesFor(QStringLiteral(" be ")), QStringLiteral("fra+nld"));
    EXPECT_EQ(OcrLanguagesFor(QStringLiteral("France")), QStringLiteral("fra"));
    EXPECT_EQ(OcrLanguagesFor(QStringLiteral("CA")), QStringLiteral("eng+fra"));
    EXPECT_EQ(OcrLanguagesFor(QString()), QStringLiteral("eng"));
    EXPECT_EQ(OcrLanguagesFor(QStringLiteral("XX")), QStringLiteral("eng"));
}

// What the English model reads of an address stands only when it is a sound address.
TEST(OcrLanguages, AnEnglishReadingReplacesOnlyASoundAddress) {
    const auto second = [](const char* read, const char* word) {
        return AddressOrWord(QString::fromUtf8(read), QString::fromUtf8(word));
    };
    EXPECT_EQ(second("'jo.lee@example. fr", "jo.lee@examptle.fr,"), u"jo.lee@example.fr,");
    EXPECT_EQ(second("(Jo.Lee@Example.de)", "(jo.lee©example.de)"), u"(jo.lee@example.de)");
    EXPECT_EQ(second("jo.lee@example.com", "jo.leegexample."), u"jo.lee@example.com");
    EXPECT_EQ(second("jo.lee@example.nt", "jo.lee@example.nl"), u"jo.lee@example.nl");
    EXPECT_EQ(second("jo.lee@example..be", "jo.lee@example.be"), u"jo.lee@example.be");
    EXPECT_EQ(second("jo.leegexample.ch", "jo.lee@example."), u"jo.lee@example.");
    EXPECT_EQ(second("Analyst", "Node.js"), u"Node.js");
    EXPECT_TRUE(MayBeAddress(QStringLiteral("jo.leegexample.")));
    EXPECT_FALSE(MayBeAddress(QStringLiteral("Inc.")));
}

// Another country's model reads the page; the mail address is read again in English.
TEST(OcrLanguages, AnotherCountrysScanKeepsItsAddressWhole) {
    for (const char* country : {"DE", "FR", "ES"}) {
        SCOPED_TRACE(country);
        const auto r = ImageToText(Fixture(QStringLiteral("scan_resume.png")), FileType::Png,
                                   OcrSettings{QString::fromLatin1(country), {}});
        ASSERT_TRUE(r.ok) << r.message.toStdString();
        EXPECT_TRUE(r.text.contains(QStringLiteral("\nharriet.lindqvist@example.org\n")))
            << r.text.toStdString();
    }
}

// A table set with spaces, as OCR reads it: rows of plain words. Cells start where several
// rows have a word after a clear gap, though one row's gap is hardly wider than a space;
// a cell's wrapped rest joins its own cell, not the row's last one.
TEST(OcrLayout, TableColumnsAndWrappedCellsAreKept) {
    PageWriter w;
    const auto row = [&](std::initializer_list<std::pair<double, const char*>> cells) {
        for (const auto& [x, text] : cells)
            w.Set(QString::fromLatin1(text), x);
        w.y += 14;
    };
    const QString summary =
        QStringLiteral("Buyer and analyst with ten years in trade, health care and logistics");
    w.Line(summary); // running text across the page: the table is no column of the page
    w.Line(summary);
    row({{50, "Employer"}, {210, "Position"}, {400, "Dates"}});
    row({{50, "Northwind Trading Limited"}, {210, "Buyer"}, {400, "2019 - 2021"}});
    row({{50, "Blue Harbor"}, {210, "Senior Analyst"}, {400, "2016 - 2019"}});
    row({{50, "Fairview Regional Medical"}, {210, "Nurse"}, {400, "2014 - 2016"}});
    row({{50, "Center"}});
    w.y += 14;
    w.Line(QStringLiteral("Running text is one piece."));
    const QStringList expected = {
        summary,
        summary,
        QStringLiteral("Employer\tPosition\tDates"),
        QStringLiteral("Northwind Trading Limited\tBuyer\t2019 - 2021"),
        QStringLiteral("Blue Harbor\tSenior Analyst\t2016 - 2019"),
        QStringLiteral("Fairview Regional Medical Center\tNurse\t2014 - 2016"),
        QStringLiteral("Running text is one piece.")};
    EXPECT_EQ(w.LaidOut(), expected) << w.LaidOut().join(u'|').toStdString();
}

// A typewriter face leaves wide gaps around every word: read as such, the years starting
// each row would be taken for a column of their own and pulled up into the heading.
TEST(OcrLayout, TypewriterSpacesAreReadAsSpaces) {
    PageWriter w;
    const QStringList lines = {QStringLiteral("Clerk, teller and buyer in banking and trade for "
                                              "fifteen years."),
                               QStringLiteral("Work Experience"),
                               QStringLiteral("2019 - 2021 Northwind Trading, Buyer"),
                               QStringLiteral("2016 - 2019 Blue Harbor, Analyst"),
                               QStringLiteral("2014 - 2016 Fairview, Clerk"),
                               QStringLiteral("2012 - 2014 Lakeside Bank, Teller"),
                               QStringLiteral("Education"),
                               QStringLiteral("2008 - 2012 Lakeside College, BA History")};
    for (const QString& line : lines) {
        w.Set(line, 50, 7.2, 2, 9.2); // a 7.2-point advance plus the letters' side bearings
        w.y += 14;
    }
    EXPECT_EQ(w.LaidOut(), lines) << w.LaidOut().join(u'|').toStdString();
}
