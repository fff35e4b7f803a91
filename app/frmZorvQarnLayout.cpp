// The window's stored design: every control at its place in twips, with its font, caption,
// tab order and fixed settings. Nothing moves or resizes at run time.
#include "LinkLabel.h"
#include "Twips.h"
#include "frmZorvQarn.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <iterator>

namespace zorv {
namespace {

constexpr int kClientWidth = 10065;
constexpr int kClientHeight = 2445;

// The design's 8.25 point regular font; a family this desktop lacks falls back to its sans font.
QFont DesignFont(const QString& family, bool underline = false) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (QFontDatabase::hasFamily(family))
        font.setFamily(family);
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(underline);
    return font;
}

} // namespace

void frmZorvQarn::CreateControls() {
    setObjectName(QStringLiteral("frmZorvQarn"));
    setWindowTitle(QStringLiteral("Qarnel"));
    setWindowIcon(QIcon(QStringLiteral(":/zorvqarn/ZorvQarn.xpm")));
    const QFont windowFont = DesignFont(QStringLiteral("Tahoma"));
    const QFont boxFont = DesignFont(QStringLiteral("MS Sans Serif"));
    const QFont labelFont = DesignFont(QStringLiteral("Tahoma"), true);
    setFont(windowFont);

    const qreal dpi = logicalDpiY();
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));

    auto place = [&](QWidget* w, const char* name, int left, int top, int width, int height,
                     const QFont& font) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(TwipsRect(left, top, width, height, dpi));
        w->setFont(font);
    };
    auto link = [&](const char* name, const char* caption, int top) {
        auto* label = new LinkLabel(QString::fromLatin1(caption), this);
        place(label, name, 375, top, 1890, 225, labelFont);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        label->setPalette(palette);
        label->setFocusPolicy(Qt::NoFocus);
        return label;
    };
    auto box = [&](const char* name, int top) {
        auto* edit = new QLineEdit(this);
        place(edit, name, 2340, top, 6585, 285, boxFont);
        return edit;
    };
    auto browse = [&](const char* name, int top) {
        auto* button = new QPushButton(QStringLiteral("..."), this);
        place(button, name, 8970, top, 345, 285, boxFont);
        return button;
    };
    auto command = [&](const char* name, const char* caption, int left) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        place(button, name, left, 1845, 1095, 315, windowFont);
        return button;
    };

    lblInputResume = link("lblInputResume", "Input Resume:", 285);
    txtInputResume = box("txtInputResume", 225);
    cmdBrowseInputResume = browse("cmdBrowseInputResume", 225);
    lblResumeTemplate = link("lblResumeTemplate", "Resume Template:", 645);
    txtResumeTemplate = box("txtResumeTemplate", 585);
    cmdBrowseResumeTemplate = browse("cmdBrowseResumeTemplate", 585);
    lblOutputResume = link("lblOutputResume", "Output Resume:", 1005);
    txtOutputResume = box("txtOutputResume", 945);
    txtOutputResume->setReadOnly(true);
    lblOutputHRXML = link("lblOutputHRXML", "Output HRXML:", 1380);
    txtOutputHRXML = box("txtOutputHRXML", 1320);
    txtOutputHRXML->setReadOnly(true);
    cmdCreate = command("cmdCreate", "&Create", 3870);
    cmdClose = command("cmdClose", "Close", 5100);

    // Carries the labels' pointer image; never shown.
    picMouseIcon = new QLabel(this);
    place(picMouseIcon, "picMouseIcon", 9120, 1035, 540, 435, boxFont);
    picMouseIcon->setPixmap(QPixmap(QStringLiteral(":/zorvqarn/PointingHand.xpm")));
    picMouseIcon->setFocusPolicy(Qt::NoFocus);
    picMouseIcon->hide();

    QWidget* order[] = {
        txtInputResume,  cmdBrowseInputResume, txtResumeTemplate, cmdBrowseResumeTemplate,
        txtOutputResume, txtOutputHRXML,       cmdCreate,         cmdClose};
    for (QWidget* w : order)
        w->setFocusPolicy(Qt::StrongFocus);
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Centred on the screen when first shown.
    if (const QScreen* s = screen())
        move(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), s->geometry()).topLeft());
}

} // namespace zorv
