#include "report/Rtf.h"

#include <QColor>
#include <QHash>
#include <cctype>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

namespace {

void textAnhaengen(QByteArray& out, const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0x20) {
            // Signed 16-bit code, then a plain replacement for old readers.
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
}

int index(QVector<QString>& tabelle, const QString& wert) {
    int i = tabelle.indexOf(wert);
    if (i < 0) {
        tabelle << wert;
        i = tabelle.size() - 1;
    }
    return i;
}

} // namespace

QByteArray Rtf::schreiben(const QTextDocument& dokument) {
    QVector<QString> schriften{dokument.defaultFont().family()};
    QVector<QString> farben; // colour table entries "r,g,b"; index 0 is "auto"
    QByteArray koerper;
    for (QTextBlock b = dokument.begin(); b.isValid(); b = b.next()) {
        koerper += "\\pard";
        const Qt::Alignment a = b.blockFormat().alignment();
        if (a & Qt::AlignHCenter) koerper += "\\qc";
        else if (a & Qt::AlignRight) koerper += "\\qr";
        else koerper += "\\ql";
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            const QTextCharFormat fmt = f.charFormat();
            QByteArray g = "{";
            const QStringList familien = fmt.fontFamilies().toStringList();
            if (!familien.isEmpty()) g += "\\f" + QByteArray::number(index(schriften, familien.first()));
            if (fmt.fontPointSize() > 0) g += "\\fs" + QByteArray::number(qRound(fmt.fontPointSize() * 2));
            if (fmt.fontWeight() >= QFont::Bold) g += "\\b";
            if (fmt.fontItalic()) g += "\\i";
            if (fmt.fontUnderline()) g += "\\ul";
            if (fmt.foreground().style() != Qt::NoBrush) {
                const QColor c = fmt.foreground().color();
                g += "\\cf" + QByteArray::number(index(farben, QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue())) + 1);
            }
            if (fmt.background().style() != Qt::NoBrush) {
                const QColor c = fmt.background().color();
                g += "\\highlight" +
                     QByteArray::number(index(farben, QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue())) + 1);
            }
            g += ' ';
            textAnhaengen(g, f.text());
            koerper += g + '}';
        }
        if (b.next().isValid()) koerper += "\\par\n";
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (int i = 0; i < schriften.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil ";
        textAnhaengen(out, schriften.at(i));
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (const QString& f : farben) {
        const QStringList t = f.split(QLatin1Char(','));
        out += "\\red" + t.at(0).toLatin1() + "\\green" + t.at(1).toLatin1() + "\\blue" + t.at(2).toLatin1() + ';';
    }
    out += "}\n" + koerper + "}\n";
    return out;
}

namespace {

struct Zustand {
    bool fett = false, kursiv = false, unterstrichen = false;
    int groesse = 0; // half points
    int schrift = -1, farbe = 0, hintergrund = 0;
    bool ueberspringen = false;
    int uc = 1;
};

class Leser {
public:
    Leser(const QByteArray& rtf, QTextDocument& d) : m_rtf(rtf), m_cursor(&d) {}

    void lesen() {
        QVector<Zustand> stapel{Zustand{}};
        int ziel = 0; // 0 body, 1 font table, 2 colour table
        QVector<int> zielStapel{0};
        int schriftNummer = -1;
        QString schriftName;
        QColor farbe;
        bool farbeGesetzt = false;
        Qt::Alignment ausrichtung = Qt::AlignLeft;
        int auslassen = 0;
        QByteArray ansi;

        auto ansiAusgeben = [&] {
            if (ansi.isEmpty()) return;
            QStringDecoder dec("Windows-1252");
            const QString t = dec.isValid() ? dec.decode(ansi) : QString::fromLatin1(ansi);
            ansi.clear();
            text(t, stapel.last(), ziel, schriftName);
        };

        for (int i = 0; i < m_rtf.size();) {
            const char c = m_rtf.at(i);
            if (c == '{') {
                ansiAusgeben();
                stapel << stapel.last();
                zielStapel << ziel;
                ++i;
            } else if (c == '}') {
                ansiAusgeben();
                if (ziel == 1 && schriftNummer >= 0) {
                    m_schriften[schriftNummer] = schriftName.trimmed().remove(QLatin1Char(';'));
                    schriftNummer = -1;
                }
                if (stapel.size() > 1) stapel.removeLast();
                if (zielStapel.size() > 1) ziel = zielStapel.takeLast();
                ++i;
            } else if (c == '\\') {
                ++i;
                if (i >= m_rtf.size()) break;
                const char n = m_rtf.at(i);
                if (n == '\\' || n == '{' || n == '}') {
                    if (auslassen > 0) --auslassen;
                    else ansi += n;
                    ++i;
                    continue;
                }
                if (n == '\'') {
                    const int wert = m_rtf.mid(i + 1, 2).toInt(nullptr, 16);
                    i += 3;
                    if (auslassen > 0) --auslassen;
                    else ansi += char(wert);
                    continue;
                }
                if (n == '*') {
                    stapel.last().ueberspringen = true;
                    ++i;
                    continue;
                }
                if (!std::isalpha(static_cast<unsigned char>(n))) {
                    ++i; // control symbol we do not use
                    continue;
                }
                int s = i;
                while (i < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf.at(i)))) ++i;
                const QByteArray wort = m_rtf.mid(s, i - s);
                s = i;
                if (i < m_rtf.size() && (m_rtf.at(i) == '-' || std::isdigit(static_cast<unsigned char>(m_rtf.at(i))))) {
                    ++i;
                    while (i < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf.at(i)))) ++i;
                }
                const bool hatZahl = i > s;
                const int zahl = hatZahl ? m_rtf.mid(s, i - s).toInt() : 1;
                if (i < m_rtf.size() && m_rtf.at(i) == ' ') ++i;

                if (wort != "u") ansiAusgeben();
                Zustand& z = stapel.last();
                if (wort == "fonttbl") ziel = 1;
                else if (wort == "colortbl") ziel = 2;
                else if (wort == "stylesheet" || wort == "info" || wort == "pict" || wort == "header" ||
                         wort == "footer" || wort == "listtable" || wort == "listoverridetable")
                    z.ueberspringen = true;
                else if (ziel == 1 && wort == "f") {
                    schriftNummer = zahl;
                    schriftName.clear();
                } else if (ziel == 2) {
                    if (wort == "red") farbe.setRed(zahl), farbeGesetzt = true;
                    else if (wort == "green") farbe.setGreen(zahl), farbeGesetzt = true;
                    else if (wort == "blue") farbe.setBlue(zahl), farbeGesetzt = true;
                } else if (wort == "b") z.fett = !hatZahl || zahl != 0;
                else if (wort == "i") z.kursiv = !hatZahl || zahl != 0;
                else if (wort == "ul") z.unterstrichen = !hatZahl || zahl != 0;
                else if (wort == "ulnone") z.unterstrichen = false;
                else if (wort == "plain") {
                    const bool sk = z.ueberspringen;
                    const int uc = z.uc;
                    z = Zustand{};
                    z.ueberspringen = sk;
                    z.uc = uc;
                } else if (wort == "fs") z.groesse = zahl;
                else if (wort == "f") z.schrift = zahl;
                else if (wort == "cf") z.farbe = zahl;
                else if (wort == "highlight" || wort == "cb") z.hintergrund = zahl;
                else if (wort == "uc") z.uc = zahl;
                else if (wort == "u") {
                    ansiAusgeben();
                    const QChar zeichen(char16_t(zahl < 0 ? zahl + 65536 : zahl));
                    text(QString(zeichen), z, ziel, schriftName);
                    auslassen = z.uc;
                    continue;
                } else if (wort == "pard") ausrichtung = Qt::AlignLeft;
                else if (wort == "qc") ausrichtung = Qt::AlignHCenter;
                else if (wort == "qr") ausrichtung = Qt::AlignRight;
                else if (wort == "ql") ausrichtung = Qt::AlignLeft;
                else if (wort == "line") text(QString(QChar::LineSeparator), z, ziel, schriftName);
                else if (wort == "tab") text(QStringLiteral("\t"), z, ziel, schriftName);
                else if (wort == "par" && ziel == 0 && !z.ueberspringen) {
                    absatzAusrichten(ausrichtung);
                    m_cursor.insertBlock();
                }
                if (ziel == 0 && !z.ueberspringen) absatzAusrichten(ausrichtung);
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else if (c == ';' && ziel == 2) {
                m_farben << (farbeGesetzt ? farbe : QColor());
                farbe = QColor(0, 0, 0);
                farbeGesetzt = false;
                ++i;
            } else {
                if (auslassen > 0) --auslassen;
                else ansi += c;
                ++i;
            }
        }
        ansiAusgeben();
    }

private:
    void absatzAusrichten(Qt::Alignment a) {
        QTextBlockFormat bf = m_cursor.blockFormat();
        if (bf.alignment() != a) {
            bf.setAlignment(a);
            m_cursor.setBlockFormat(bf);
        }
    }

    void text(const QString& t, const Zustand& z, int ziel, QString& schriftName) {
        if (ziel == 1) {
            schriftName += t;
            return;
        }
        if (ziel != 0 || z.ueberspringen || t.isEmpty()) return;
        QTextCharFormat f;
        f.setFontWeight(z.fett ? QFont::Bold : QFont::Normal);
        f.setFontItalic(z.kursiv);
        f.setFontUnderline(z.unterstrichen);
        if (z.groesse > 0) f.setFontPointSize(z.groesse / 2.0);
        if (m_schriften.contains(z.schrift)) f.setFontFamilies({m_schriften.value(z.schrift)});
        if (z.farbe > 0 && z.farbe < m_farben.size() && m_farben.at(z.farbe).isValid())
            f.setForeground(m_farben.at(z.farbe));
        if (z.hintergrund > 0 && z.hintergrund < m_farben.size() && m_farben.at(z.hintergrund).isValid())
            f.setBackground(m_farben.at(z.hintergrund));
        m_cursor.insertText(t, f);
    }

    const QByteArray& m_rtf;
    QTextCursor m_cursor;
    QHash<int, QString> m_schriften;
    QVector<QColor> m_farben;
};

} // namespace

void Rtf::lesen(const QByteArray& rtf, QTextDocument& dokument) {
    dokument.clear();
    Leser(rtf, dokument).lesen();
}
