#pragma once

#include <QString>

// What an encoder did to the characters its encoding cannot hold as they are:
// those written as numeric character references ("&#128512;"), and those
// written as the code of a look-alike that reads back as another character
// (U+301C WAVE DASH comes back as U+FF5E FULLWIDTH TILDE). Save and output
// tell the user about both.
struct CharChanges
{
    qsizetype refs = 0;         // characters written as references
    char32_t firstRef = 0;      // the first of them
    qsizetype mapped = 0;       // characters written as a look-alike
    char32_t firstMapped = 0;   // the first of them
    char32_t firstMappedTo = 0; // and what it reads back as

    void addRef(char32_t c);
    void addMapped(char32_t from, char32_t to);
    void add(const CharChanges &other);
    bool isEmpty() const { return refs == 0 && mapped == 0; }
};

// The status text after a save (output false) or an output (output true)
// that changed characters, e.g.
// "3文字を文字参照（&#…;）で保存しました（最初は😀）"; empty when nothing changed.
QString CharChangesText(const CharChanges &changes, bool output = false);
