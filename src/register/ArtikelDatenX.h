#pragma once
#include <QMetaType>
#include <QString>

// The article data each article button carries, so pressing it needs no lookup.
struct TArtikelDatenX {
    Q_GADGET
    Q_PROPERTY(QString Artikel MEMBER Artikel)
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(QString Einheit MEMBER Einheit)
    Q_PROPERTY(int Gruppe MEMBER Gruppe)
    Q_PROPERTY(bool RabattFaehig MEMBER RabattFaehig)
    Q_PROPERTY(int MWSTSatz MEMBER MWSTSatz)
    Q_PROPERTY(int ID_GS MEMBER ID_GS)
    Q_PROPERTY(int IstKuechenArtikel MEMBER IstKuechenArtikel)
    Q_PROPERTY(int IstSchankArtikel MEMBER IstSchankArtikel)
    Q_PROPERTY(int IstGebaeckArtikel MEMBER IstGebaeckArtikel)
    Q_PROPERTY(bool Lagerfuehrung MEMBER Lagerfuehrung)
    Q_PROPERTY(double Artikelpreis_1 MEMBER Artikelpreis_1)
    Q_PROPERTY(double Artikelpreis_2 MEMBER Artikelpreis_2)
    Q_PROPERTY(double Artikelpreis_3 MEMBER Artikelpreis_3)
    Q_PROPERTY(double Artikelpreis_4 MEMBER Artikelpreis_4)
    Q_PROPERTY(double Artikelpreis_5 MEMBER Artikelpreis_5)
    Q_PROPERTY(double Artikelpreis_6 MEMBER Artikelpreis_6)
    Q_PROPERTY(double Einkaufspreis MEMBER Einkaufspreis)
    Q_PROPERTY(double Mengenrabatt_1 MEMBER Mengenrabatt_1)
    Q_PROPERTY(double Mengenrabatt_2 MEMBER Mengenrabatt_2)
    Q_PROPERTY(double Mengenrabatt_3 MEMBER Mengenrabatt_3)
    Q_PROPERTY(double Menge_Verminderung_1 MEMBER Menge_Verminderung_1)
    Q_PROPERTY(double Menge_Verminderung_2 MEMBER Menge_Verminderung_2)
    Q_PROPERTY(double Menge_Verminderung_3 MEMBER Menge_Verminderung_3)
    Q_PROPERTY(bool HatSeriennummern MEMBER HatSeriennummern)
    Q_PROPERTY(int AnzahlTickets MEMBER AnzahlTickets)
    Q_PROPERTY(QString Pfandartikel MEMBER Pfandartikel)
    Q_PROPERTY(int PLU MEMBER PLU)
    Q_PROPERTY(int MinutenFuerPreis MEMBER MinutenFuerPreis)
public:
    QString Artikel, Name, Einheit;
    int Gruppe = 0;
    bool RabattFaehig = false;
    int MWSTSatz = 0, ID_GS = 0, IstKuechenArtikel = 0, IstSchankArtikel = 0, IstGebaeckArtikel = 0;
    bool Lagerfuehrung = false;
    double Artikelpreis_1 = 0, Artikelpreis_2 = 0, Artikelpreis_3 = 0, Artikelpreis_4 = 0, Artikelpreis_5 = 0,
           Artikelpreis_6 = 0, Einkaufspreis = 0;
    double Mengenrabatt_1 = 0, Mengenrabatt_2 = 0, Mengenrabatt_3 = 0;
    double Menge_Verminderung_1 = 0, Menge_Verminderung_2 = 0, Menge_Verminderung_3 = 0;
    bool HatSeriennummern = false;
    int AnzahlTickets = 0;
    QString Pfandartikel;
    int PLU = 0, MinutenFuerPreis = 0;
};
Q_DECLARE_METATYPE(TArtikelDatenX)
