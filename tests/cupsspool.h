#pragma once

// Reading back what the CUPS scheduler was given to print: the documents it
// keeps in its spool, and their text placed on a grid of characters.

#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>

// Runs a command (as root through "sudo -n" when needed) and returns its output,
// or nothing when it failed.
std::optional<QByteArray> Run(const QString& program, const QStringList& arguments,
                              bool asRoot = false);

// The queue the tests print to: the one that PRINTER names, which CUPS and so
// the program take as the default printer, leaving the system's default alone.
QString TestQueue();

// Why this machine cannot run a printing test, or nothing when it can.
QString CannotRunReason();

// Documents of jobs on the test queue that the scheduler holds, by job number;
// jobs of other programs on other queues are not among them.
QMap<int, QString> SpooledDocuments();

// Waits for `wanted` documents that were not in `before`.
QMap<int, QString> NewDocuments(const QMap<int, QString>& before, int wanted);

struct PrintedWord {
    int page;
    double left, top, width;
    QString text;
};

QList<PrintedWord> ReadWords(const QString& pdf);

// Rebuilds the rows of a one-page document from the positions of its words,
// given the printable area's corner and the index of the last printed row.
QStringList RebuildRows(const QList<PrintedWord>& words, QPointF corner, int lastRow);

// Rows without trailing blanks, and without trailing empty rows.
QStringList Trimmed(QStringList rows);
