#pragma once

#include <QPair>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVector>

// A handle on one of the panel's INI files. The files are UTF-8, so a caption typed
// into a text editor as "Ñandú" reads back as typed, and what the panel writes stays
// readable in that editor. Older versions of the panel wrote Latin-1: a file that is
// not valid UTF-8 is one of theirs, and is rewritten as UTF-8 before it is read, so its
// accented labels read as they were written and every later save keeps them. A file
// that cannot be written is left as it is; Qt 5 reads it as Latin-1, Qt 6, which reads
// INI files only as UTF-8, shows its accented letters as replacement characters.
class IniFile : public QSettings
{
public:
    explicit IniFile(const QString &path);

private:
    IniFile(const QString &path, bool latin1);
};

// How the values of both settings files are read. Every reader asks QSettings for a
// key with the empty text as default (the flag reader asks itself, to name the key when
// it refuses a value) and converts what comes back here, so a file
// edited by hand never stops the program: a value of the wrong kind becomes the
// default of its kind.

// Text: absent gives the empty text. A bare comma list that QSettings split on
// reading ("A, B" typed by hand without quotes) is joined back with ", ".
QString iniText(const QVariant &value);

// Flag: true/false, 1/0, yes/no or on/off in any case, blanks around it ignored. Absent
// or empty gives defaultValue; anything else gives it too, and the orvik.panel category
// says which key held which value, so a typing slip never turns a function on.
bool iniFlag(const QSettings &settings, const QString &key, bool defaultValue);

// Number: absent or not a whole number gives 0.
int iniNumber(const QVariant &value);

// A stored list selection ("comindex", "speedindex"): the number narrowed to a signed
// 8-bit value, as the serial settings dialog keeps it.
qint8 iniSelectionIndex(const QVariant &value);

// Whether a stored selection can be applied to a box holding count items. Negative
// values only come from a hand-edited file (or an index of 128 and more after the
// narrowing); they would leave the box with no current item, so they are refused.
bool selectionIndexFits(qint8 index, int count);

// A text cut to at most maxLength UTF-16 units without splitting a character: a
// surrogate pair is kept whole or dropped whole, and a lone surrogate (which a file
// edited by hand may hold) is left out, so no half character is ever shown or written.
QString wholeCharacters(const QString &text, int maxLength);

// Keys and the values to store under them, in writing order; an invalid QVariant
// removes its key.
using IniValues = QVector<QPair<QString, QVariant>>;

// Writes the values to the file and tells whether they reached the disk. A file that
// cannot be written is left alone; when the write itself fails (a full disk), every key
// is put back to what it held before. Either way the values that failed do not linger
// in the handles this process shares on the file, to reach the disk unasked with the
// next write that succeeds.
bool writeIniValues(const QString &path, const IniValues &values);

// Writes everything still pending to disk and tells whether it arrived. QSettings
// buffers writes, so a folder without write permission, a full disk or a path that
// names a directory only shows up here.
bool flushSettings(QSettings &settings);
