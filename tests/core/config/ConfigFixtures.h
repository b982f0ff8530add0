#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kelm::test {

// Joins lines with CR LF (and ends the last one), as the program's files are written.
QByteArray CrLf(const QStringList& lines);
// Writes bytes to folder + name (folder created); fails the current test on error.
void WriteFixture(const QString& folder, const QString& name, const QByteArray& bytes);
void WriteFixture(const QString& folder, const QString& name, const QStringList& lines);
// A small, complete and valid configuration folder: every file the program reads at start.
void WriteGoodConfigSet(const QString& folder);

} // namespace kelm::test
