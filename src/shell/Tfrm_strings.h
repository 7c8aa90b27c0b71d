#pragma once
#include <QString>

// The fixed German message catalogue, looked up by id ("sm_24", "sko_2", ...).
// A "\r" in a text is a line break when shown.
class Tfrm_strings {
public:
    // Text of the id; an unknown id is a programming error and gives the id itself.
    static QString text(const char* id);
    static bool enthaelt(const char* id);
    // The text as shown in a message box: "\r" becomes a line break.
    static QString anzeigetext(const QString& text);
};

inline QString sm(const char* id) { return Tfrm_strings::text(id); }
