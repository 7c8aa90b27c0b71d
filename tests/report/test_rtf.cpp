#include "report/Rtf.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {
QTextCharFormat format(bool fett, bool kursiv, bool unter, double pt, QColor farbe = {}, QColor hinten = {}) {
    QTextCharFormat f;
    f.setFontWeight(fett ? QFont::Bold : QFont::Normal);
    f.setFontItalic(kursiv);
    f.setFontUnderline(unter);
    if (pt > 0) f.setFontPointSize(pt);
    if (farbe.isValid()) f.setForeground(farbe);
    if (hinten.isValid()) f.setBackground(hinten);
    f.setFontFamilies({QStringLiteral("DejaVu Serif")});
    return f;
}

QTextCharFormat formatBei(const QTextDocument& d, const QString& text) {
    const QTextCursor c = d.find(text);
    EXPECT_FALSE(c.isNull()) << qPrintable(text);
    return c.charFormat();
}
} // namespace

TEST(Rtf, FormatierungUndSonderzeichenUeberlebenSchreibenUndLesen) {
    QTextDocument original;
    QTextCursor c(&original);
    c.insertText(QStringLiteral("Öffnungszeiten {Mo–Fr} C:\\Kasse "), format(true, false, false, 18, Qt::red));
    c.insertText(QStringLiteral("kursiv"), format(false, true, true, 0, {}, Qt::yellow));
    QTextBlockFormat mitte;
    mitte.setAlignment(Qt::AlignHCenter);
    c.insertBlock(mitte);
    c.insertText(QStringLiteral("Zeile\u2028zwei € ✓"), format(false, false, false, 12, QColor(0, 128, 0)));
    QTextBlockFormat rechts;
    rechts.setAlignment(Qt::AlignRight);
    c.insertBlock(rechts);
    c.insertText(QStringLiteral("Ende"), format(false, false, false, 0));

    const QByteArray rtf = Rtf::schreiben(original);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    for (char b : rtf) ASSERT_LT(static_cast<unsigned char>(b), 0x80) << "RTF is 7-bit text";

    QTextDocument gelesen;
    Rtf::lesen(rtf, gelesen);
    EXPECT_EQ(gelesen.toPlainText(), original.toPlainText());
    ASSERT_EQ(gelesen.blockCount(), 3);
    EXPECT_EQ(gelesen.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(gelesen.findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    const QTextCharFormat fett = formatBei(gelesen, "Öffnungszeiten");
    EXPECT_EQ(fett.fontWeight(), QFont::Bold);
    EXPECT_EQ(fett.fontPointSize(), 18);
    EXPECT_EQ(fett.foreground().color(), QColor(Qt::red));
    EXPECT_EQ(fett.fontFamilies().toStringList().value(0), "DejaVu Serif");
    const QTextCharFormat kursiv = formatBei(gelesen, "kursiv");
    EXPECT_TRUE(kursiv.fontItalic());
    EXPECT_TRUE(kursiv.fontUnderline());
    EXPECT_EQ(kursiv.fontWeight(), QFont::Normal);
    EXPECT_EQ(kursiv.background().color(), QColor(Qt::yellow));
    EXPECT_EQ(formatBei(gelesen, "zwei").foreground().color(), QColor(0, 128, 0));
}

// Texts written by other word processors: code-page bytes, ignorable groups, \plain.
TEST(Rtf, FremdeDateienMitCodepageUndUnbekanntenGruppen) {
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator Writer;}"
        "{\\info{\\title Geheim}}{\\stylesheet{\\s0 Normal;}}"
        "\\pard\\qc\\b Gr\\'fc\\'dfe\\b0  aus \\i M\\u252?nchen\\i0\\par\\plain Schlu\\'df}";
    QTextDocument d;
    Rtf::lesen(rtf, d);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("Grüße aus München\nSchluß"));
    EXPECT_EQ(formatBei(d, "Grüße").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatBei(d, "aus").fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatBei(d, "München").fontItalic());
    EXPECT_EQ(d.firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // Broken input never crashes and keeps what it can read.
    for (const char* kaputt : {"{\\rtf1 offen", "}}}", "{\\rtf1\\'", "{\\rtf1\\u", "{\\rtf1\\uc9\\u65"}) {
        QTextDocument x;
        Rtf::lesen(kaputt, x);
    }
}
